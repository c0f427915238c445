#include "decode/scanmodel.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "code/code.h"
#include "common/novalue.h"
#include "doc/zbdoc.h"

namespace {

const char* const kLeftGuard = "101";
const char* const kMiddleGuard = "01010";
const char* const kRightGuard = "101";

// The sweep is computed on a finer grid than the samples so that an edge
// between two samples weighs in proportion, as the optics average it.
constexpr int kSubSamples = 8;
// A first-order chain takes 2.2 time constants from 10 % to 90 %.
constexpr double kRiseTimeConstants = 2.2;

QString DigitModules(const CCode& tables, int digit, char set) {
    const int column = set - 'A';
    QString modules;
    for (int bit = kModulesPerDigit - 1; bit >= 0; --bit)
        modules +=
            (tables.m_nPattern[digit][column] >> bit) & 1 ? QLatin1Char('1') : QLatin1Char('0');
    return modules;
}

} // namespace

QString Ean13Modules(const QString& code) {
    if (code.size() != kCodeLength) return QString();
    for (QChar c : code)
        if (!IsCodeDigit(c)) return QString();
    const CCode tables(nullptr);
    const QString& sets = tables.m_strParity[code.at(0).digitValue()];
    QString modules = QLatin1String(kLeftGuard);
    for (int k = 1; k <= 6; ++k)
        modules += DigitModules(tables, code.at(k).digitValue(), sets.at(k - 1).toLatin1());
    modules += QLatin1String(kMiddleGuard);
    for (int k = 7; k < kCodeLength; ++k)
        modules += DigitModules(tables, code.at(k).digitValue(), 'C');
    return modules + QLatin1String(kRightGuard);
}

std::vector<ScanSegment> CodeSegments(const QString& modules, const ScanParameters& parameters) {
    const double quiet = parameters.quietModules * parameters.moduleTime;
    std::vector<ScanSegment> segments{{quiet, false}};
    for (int k = 0; k < modules.size(); ++k) {
        const bool bar = modules.at(k) == QLatin1Char('1');
        if (segments.back().bar == bar)
            segments.back().duration += parameters.moduleTime;
        else
            segments.push_back({parameters.moduleTime, bar});
    }
    if (segments.back().bar)
        segments.push_back({quiet, false});
    else
        segments.back().duration += quiet;
    // Ink spread widens each bar by half the growth on either side.
    const double half = parameters.barGrowth / 2;
    for (size_t k = 1; k + 1 < segments.size(); ++k) {
        if (!segments[k].bar) continue;
        segments[k].duration += 2 * half;
        segments[k - 1].duration -= half;
        segments[k + 1].duration -= half;
    }
    return segments;
}

ScanTrace MakeScanTrace(const std::vector<ScanSegment>& segments,
                        const ScanParameters& parameters) {
    double sweep = 0;
    for (const ScanSegment& segment : segments)
        sweep += std::max(0.0, segment.duration);
    const double total = parameters.runUpTime + sweep;
    const double period = parameters.samplePeriod;
    const auto count = static_cast<size_t>(std::floor(total / period)) + 1;

    // Bar coverage of each fine step, averaged over the step.
    const double step = period / kSubSamples;
    std::vector<double> coverage(count * kSubSamples, 0.0);
    double start = parameters.runUpTime;
    for (const ScanSegment& segment : segments) {
        const double end = start + std::max(0.0, segment.duration);
        if (segment.bar) {
            const auto first = static_cast<size_t>(std::max(0.0, std::floor(start / step)));
            for (size_t i = first; i < coverage.size() && i * step < end; ++i) {
                const double overlap = std::min(end, (i + 1) * step) - std::max(start, i * step);
                if (overlap > 0) coverage[i] += overlap / step;
            }
        }
        start = end;
    }

    // The photodiode chain as a first-order low-pass, run on the fine grid.
    const double tau = parameters.riseTime / kRiseTimeConstants;
    const double keep = tau > 0 ? std::exp(-step / tau) : 0.0;
    std::mt19937 generator(parameters.seed);
    std::normal_distribution<float> noise(0.0f, parameters.noise);

    ScanTrace trace;
    trace.time.resize(count);
    trace.value.resize(count);
    double level = parameters.runUpTime > 0 ? 0.0 : parameters.low;
    const double swing = parameters.high - parameters.low;
    for (size_t i = 0; i < coverage.size(); ++i) {
        const double t = i * step;
        double target = parameters.low + swing * std::min(1.0, coverage[i]);
        if (t < parameters.runUpTime) target = parameters.low * t / parameters.runUpTime;
        level = keep * level + (1 - keep) * target;
        if (i % kSubSamples == 0) {
            const size_t row = i / kSubSamples;
            trace.time[row] = static_cast<float>(parameters.startTime + row * period);
            trace.value[row] =
                static_cast<float>(level) + (parameters.noise > 0 ? noise(generator) : 0.0f);
        }
    }
    return trace;
}

ScanTrace MakeCodeScan(const QString& code, const ScanParameters& parameters) {
    return MakeScanTrace(CodeSegments(Ean13Modules(code), parameters), parameters);
}

void WriteScan(CZbDoc& doc, const ScanTrace& trace) {
    doc.ClearSamples();
    const int rows = std::min<int>(CZbDoc::kCapacity, static_cast<int>(trace.time.size()));
    for (int row = 0; row < rows; ++row) {
        doc.m_fT[row][0] = trace.time[row];
        doc.m_fT[row][1] = trace.value[row];
    }
    doc.m_nPoints = static_cast<std::int16_t>(rows);
    doc.m_nChannels = kChannelCh1;
    doc.m_nDisplay = kChannelCh1;
}
