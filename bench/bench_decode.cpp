// Edge detection plus decoding of a 5000-row scan, again and again; prints the
// median time of one pass (target: under 100 us).

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "code/code.h"
#include "decode/edges.h"
#include "decode/scanmodel.h"
#include "doc/zbdoc.h"

int main() {
    CZbDoc doc(nullptr);
    // 11 + 95 + 11 modules over the whole table: about 42 samples a module.
    ScanParameters parameters;
    parameters.samplePeriod = 1e-6;
    parameters.moduleTime = parameters.samplePeriod * (CZbDoc::kCapacity - 1) / 117.0;
    parameters.noise = 0.05f;
    parameters.riseTime = 2 * parameters.samplePeriod;
    WriteScan(doc, MakeCodeScan(QStringLiteral("5410673004208"), parameters));
    CCode code(&doc);

    constexpr int kWarmUp = 20, kRuns = 2000;
    std::vector<double> times;
    float edges[kMaxEdges];
    int flags = 0;
    std::int16_t count = 0;
    for (int run = 0; run < kWarmUp + kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        count = DetectEdges(doc, 0, 1, 2.3f, edges);
        float T = 0, E = 0;
        code.MeasureReferences(edges, count, &T, &E);
        flags |= code.Decode(edges, count, T, E);
        if (run >= kWarmUp) times.push_back(timer.nsecsElapsed() / 1e3);
    }
    std::sort(times.begin(), times.end());
    std::printf("edges + decoding, %d rows, %d edges (flags %d, code %s): median %.1f us per pass "
                "(min %.1f, max %.1f, %d passes)\n",
                CZbDoc::kCapacity, count, flags, qPrintable(doc.m_strCode), times[times.size() / 2],
                times.front(), times.back(), kRuns);
    return flags == 0 ? 0 : 1;
}
