// The spreadsheet export of a full table: CH1, CH2 and the edges over all
// 5000 rows, as text and written to a file; prints the median times.

#include <QFileInfo>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>

#include "benchtiming.h"
#include "common/novalue.h"
#include "doc/zbdoc.h"
#include "output/spreadsheet.h"

int main() {
    CZbDoc doc(nullptr);
    // Two 5000-sample channels and the 60 edges of a code.
    for (int row = 0; row < CZbDoc::kCapacity; ++row) {
        doc.m_fT[row][0] = doc.m_fT[row][2] = row * 1e-6f;
        doc.m_fT[row][1] = 2.0f + 1.8f * std::sin(row * 0.05f);
        doc.m_fT[row][3] = 5.0f - doc.m_fT[row][1];
        if (row < 60) {
            doc.m_fT[row][4] = row * 1e-4f;
            doc.m_fT[row][5] = 2.3f;
        }
    }
    doc.m_nPoints = CZbDoc::kCapacity;
    doc.m_nChannels = kChannelCh1 | kChannelCh2;
    doc.m_nDisplay = kChannelCh1 | kChannelCh2 | kChannelEdges;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("export.txt"));
    constexpr int kRuns = 30;
    const double text = MedianMs([&] { SpreadsheetText(doc, true); }, kRuns);
    bool ok = true;
    const double file = MedianMs([&] { ok = WriteSpreadsheet(doc, path, true) && ok; }, kRuns);
    std::printf("spreadsheet export, 5000 rows x 3 curves (%lld bytes): median %.1f ms for the "
                "text, %.1f ms to the file (%d runs)\n",
                static_cast<long long>(QFileInfo(path).size()), text, file, kRuns);
    return ok ? 0 : 1;
}
