// "&Calculer" of a degree-7 polynomial over the whole 5000-row table, again
// and again; prints the median time of one fit (target: under 1 ms).

#include <QElapsedTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "doc/zbdoc.h"
#include "graph/regressionpanel.h"

int main() {
    CZbDoc doc(nullptr);
    // One edge of a scan: 5000 samples 1 us apart, 5 ms into the trace.
    doc.m_nChannels = 1;
    doc.m_nDisplay = 1;
    doc.m_nPoints = CZbDoc::kCapacity;
    for (int row = 0; row < CZbDoc::kCapacity; ++row) {
        const double t = 5e-3 + 1e-6 * row;
        doc.m_fT[row][0] = static_cast<float>(t);
        doc.m_fT[row][1] = static_cast<float>(2.5 + 2 * std::tanh((t - 7.5e-3) * 2e3));
    }
    CRegressionSet& set = *doc.m_pRegressions;
    set.m_nType[0] = 6; // degree 7
    RegressionRange range;
    range.firstRow = 0;
    range.lastRow = CZbDoc::kCapacity - 1;

    constexpr int kWarmUp = 20, kRuns = 2000;
    std::vector<double> times;
    bool succeeded = false;
    for (int run = 0; run < kWarmUp + kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        ComputeSlot(doc, 0, range, &succeeded);
        if (run >= kWarmUp) times.push_back(timer.nsecsElapsed() / 1e3);
    }
    std::sort(times.begin(), times.end());
    std::printf("degree-7 fit of %d rows (%s): median %.1f us per fit (min %.1f, max %.1f, %d "
                "fits)\n",
                CZbDoc::kCapacity, succeeded ? "computed" : "failed", times[times.size() / 2],
                times.front(), times.back(), kRuns);
    return succeeded ? 0 : 1;
}
