#pragma once

#include <QString>
#include <cstdint>
#include <vector>

class CZbDoc;

// A model of what an oscilloscope records when a laser spot sweeps a printed
// EAN-13 code and a photodiode sees the light: the bars come out high. For
// tests, benchmarks and simulated instruments.

// One stretch of the sweep: its duration and whether it lies on a bar.
struct ScanSegment {
    double duration; // seconds
    bool bar;
};

struct ScanParameters {
    double moduleTime = 40e-6;  // seconds the spot takes to cross one module
    double barGrowth = 0;       // seconds added to every bar (ink spread), taken from the spaces
    double samplePeriod = 2e-6; // seconds between samples
    double startTime = 0;       // time of the first sample
    float high = 4.0f;          // volts on a bar
    float low = 0.4f;           // volts on a space and the quiet zones
    int quietModules = 11;      // quiet zone on each side, in modules
    double riseTime = 0;        // 10-90 % rise time of the photodiode chain, seconds
    float noise = 0;            // standard deviation of the added noise, volts
    std::uint32_t seed = 1;     // of the noise
    double runUpTime = 0;       // laser run-up before the quiet zone: a ramp from 0 V to low
};

struct ScanTrace {
    std::vector<float> time;  // seconds
    std::vector<float> value; // volts
};

// The 95 modules of a 13-digit EAN-13 code, '1' for a bar; empty when the
// code is not 13 digits. The check digit is drawn as given.
QString Ean13Modules(const QString& code);

// Bar and space stretches of a module string, at the parameters' module time
// and bar growth, between two quiet zones.
std::vector<ScanSegment> CodeSegments(const QString& modules, const ScanParameters& parameters);

// Samples the sweep of the stretches: run-up, levels, rise time and noise.
ScanTrace MakeScanTrace(const std::vector<ScanSegment>& segments, const ScanParameters& parameters);

// The sweep of a whole code.
ScanTrace MakeCodeScan(const QString& code, const ScanParameters& parameters);

// Puts a trace into the document as channel CH1 (columns 0 and 1), shown
// alone; at most the table's rows, the rest of the table with no value.
void WriteScan(CZbDoc& doc, const ScanTrace& trace);
