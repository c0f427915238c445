#pragma once

// Median of repeated timings, shared by the file benchmarks.

#include <QElapsedTimer>
#include <algorithm>
#include <functional>
#include <vector>

// Median time in milliseconds of one call of work, after warmUp calls.
inline double MedianMs(const std::function<void()>& work, int runs, int warmUp = 2) {
    std::vector<double> times;
    for (int run = 0; run < warmUp + runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        if (run >= warmUp) times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}
