// Paints a graph of 5000 rows with three curves into a 1920x1080 image again
// and again and prints the median time per paint. The view repaints on every
// change, so this should stay well under 5 ms.
#include <QGuiApplication>
#include <cmath>

#include "paintbench.h"

namespace {

constexpr int kRows = 5000;
constexpr int kPaints = 200;

// CH1 a noisy sine, CH2 a square wave, the edges a staircase: three curves.
void FillDocument(CZbDoc& doc) {
    doc.ClearSamples();
    doc.m_nChannels = kChannelCh1 | kChannelCh2;
    doc.m_nDisplay = kChannelCh1 | kChannelCh2 | kChannelEdges;
    doc.m_nPoints = kRows;
    for (int row = 0; row < kRows; ++row) {
        const float t = row * 1e-5f;
        doc.m_fT[row][0] = t;
        doc.m_fT[row][1] = 2 * std::sin(t * 400) + 0.05f * std::sin(t * 9e4f);
        doc.m_fT[row][2] = t;
        doc.m_fT[row][3] = (row / 250) % 2 ? 1.5f : -1.5f;
        doc.m_fT[row][4] = t;
        doc.m_fT[row][5] = float((row / 100) % 7) * 0.4f - 1.2f;
    }
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    CZbApp app;
    CZbDoc doc(&app);
    FillDocument(doc);
    PrintPaintTimes("graph, 5000 rows, 3 curves", doc, app, kPaints);
    return 0;
}
