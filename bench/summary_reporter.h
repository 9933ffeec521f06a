// The console report plus, at the end, what the issue asks of the driver:
// each operation next to the bare round trips it makes, as a ratio, the time
// per receipt position, and whether the receipt's cost stays linear.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "peak_memory.h"

namespace zarvik::bench {

struct Comparison {
    std::string name;   // the benchmark, which reports the floor and ratio as counters
    int positions = 0;  // 0: not a receipt
};

class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    // Colours only on a terminal, so that a saved report reads plainly.
    SummaryReporter(std::vector<Comparison> comparisons, bool colour)
        : ConsoleReporter(colour ? OO_ColorTabular : OO_Tabular),
          comparisons_(std::move(comparisons)) {}

    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

    std::optional<PeakMemory> peakMemory;
    int peakMemoryPositions = 0;

  private:
    // One repetition, or an aggregate of them.
    struct Sample {
        double driver = 0;  // seconds per call
        double floor = 0;   // seconds per call's round trips
        double ratio = 0;
    };
    struct Summary {
        Sample median;
    };
    std::optional<Summary> summaryOf(const std::string& name) const;

    std::vector<Comparison> comparisons_;
    std::map<std::string, std::vector<Sample>> repetitions_;
    std::map<std::string, Sample> medians_;
};

}  // namespace zarvik::bench
