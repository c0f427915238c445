#include "view/displayselection.h"

#include "common/novalue.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"

namespace {
constexpr std::int16_t kGraphBits = kAcquiredChannelBits | kChannelEdges;
} // namespace

bool DisplayBoxEnabled(DisplayType type, std::int16_t channels, std::int16_t bit) {
    if (type != DisplayType::Graph) return false;
    if (bit == kChannelEdges) return true;
    return (channels & bit) != 0;
}

std::int16_t InitialGraphChecks(const CZbDoc& doc) {
    const std::int16_t fromDisplay =
        doc.m_nDisplay <= kChannelMath ? doc.m_nDisplay : doc.m_nChannels;
    return static_cast<std::int16_t>((fromDisplay & kAcquiredChannelBits) |
                                     (doc.m_nDisplay & kChannelEdges));
}

std::int16_t DisplayFromSelection(DisplayType type, std::int16_t checkedBits) {
    switch (type) {
    case DisplayType::CodeSheet:
        return 0;
    case DisplayType::Image:
        return kChannelImage;
    case DisplayType::Graph:
        return static_cast<std::int16_t>(checkedBits & kGraphBits);
    }
    return 0;
}

void ApplyDisplaySelection(CZbDoc& doc, CZbApp& app, std::int16_t display) {
    doc.m_nDisplay = display;
    doc.m_pRegressions->Reset();
    app.m_fRefX = 0;
    app.m_fRefY = 0;
}
