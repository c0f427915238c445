#include "view/commandrules.h"

#include <QFile>

#include "common/novalue.h"
#include "doc/zbapp.h"
#include "doc/zbdoc.h"

bool ShowsGraph(const CZbDoc& doc) {
    return doc.m_nDisplay != 0 && !(doc.m_nDisplay & kChannelImage);
}

bool GraphRule(const CZbDoc& doc) {
    return doc.m_nPoints > 0 && ShowsGraph(doc);
}

bool CommandEnabled(CommandRule rule, const CZbDoc& doc) {
    switch (rule) {
    case CommandRule::Always:
        return true;
    case CommandRule::Graph:
        return GraphRule(doc);
    case CommandRule::PortIo:
        return doc.m_pApp && doc.m_pApp->m_bCardAvailable;
    }
    return false;
}

bool CommandChecked(CommandTool tool, const CZbDoc& doc) {
    switch (tool) {
    case CommandTool::None:
        return false;
    case CommandTool::Extraction:
        return doc.m_bExtractOpen != 0;
    case CommandTool::Regression:
        return doc.m_bRegressionOpen != 0;
    case CommandTool::Zoom:
        return doc.m_bZoomOpen != 0;
    }
    return false;
}

bool PortIoPossible() {
#if defined(__linux__) && (defined(__i386__) || defined(__x86_64__))
    // ioperm() needs CAP_SYS_RAWIO (bit 17 of the effective capabilities);
    // an ordinary user does not have it.
    constexpr unsigned long long kCapSysRawIo = 1ull << 17;
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
    // A /proc file tells no size, so atEnd() holds from the start: read it whole.
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray& line : lines) {
        if (!line.startsWith("CapEff:")) continue;
        bool ok = false;
        const unsigned long long caps = line.mid(7).trimmed().toULongLong(&ok, 16);
        return ok && (caps & kCapSysRawIo);
    }
    return false;
#else
    return false;
#endif
}
