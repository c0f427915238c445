#include "decode/scanchannel.h"

#include "doc/zbdoc.h"

int DefaultChannelIndex(const CZbDoc& doc) {
    for (const std::int16_t mask : {doc.m_nDisplay, doc.m_nChannels})
        for (int index = 0; index < kScanChannels; ++index)
            if (mask & ChannelBitOfIndex(index)) return index;
    return 0;
}
