#include "summary_reporter.h"

#include <algorithm>
#include <cstdio>

namespace zarvik::bench {

namespace {

// The receipt sizes between which the cost per position has to stay flat.
constexpr int kFlatFrom = 100;
constexpr double kFlatTolerance = 1.25;
constexpr double kMaxRatioAt100 = 3.0;
constexpr double kMaxMemoryFactor = 20.0;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

const char* Verdict(bool good) { return good ? "yes" : "NO"; }

}  // namespace

void SummaryReporter::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        if (run.error_occurred) continue;
        const auto floor = run.counters.find("floor_us");
        const auto ratio = run.counters.find("ratio");
        if (floor == run.counters.end() || ratio == run.counters.end()) continue;
        const Sample sample{
            run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit),
            floor->second.value / 1e6, ratio->second.value};
        const std::string& name = run.run_name.function_name;
        if (run.run_type == Run::RT_Iteration) {
            repetitions_[name].push_back(sample);
        } else if (run.aggregate_name == "median") {
            medians_[name] = sample;
        }
    }
}

std::optional<SummaryReporter::Summary> SummaryReporter::summaryOf(const std::string& name) const {
    // Only the aggregates arrive when the report is limited to them.
    const auto median = medians_.find(name);
    if (median != medians_.end()) {
        return Summary{median->second};
    }
    const auto found = repetitions_.find(name);
    if (found == repetitions_.end() || found->second.empty()) return std::nullopt;
    std::vector<double> driver;
    std::vector<double> floor;
    std::vector<double> ratio;
    for (const Sample& sample : found->second) {
        driver.push_back(sample.driver);
        floor.push_back(sample.floor);
        ratio.push_back(sample.ratio);
    }
    return Summary{{Median(driver), Median(floor), Median(ratio)}};
}

void SummaryReporter::Finalize() {
    ConsoleReporter::Finalize();
    std::FILE* out = stdout;
    std::fprintf(out,
                 "\nDriver next to the floor (median of %s)\n"
                 "%-28s %11s %11s %14s %11s %13s %13s\n",
                 "the repetitions", "operation", "driver us", "floor us", "ratio", "own us",
                 "us/position", "own/position");
    // The driver's own cost per position leaves out the round trips, which
    // are the same few whatever the receipt's size.
    std::map<int, double> perPosition;
    std::map<int, double> ownPerPosition;
    std::optional<double> ratioAt100;
    for (const Comparison& comparison : comparisons_) {
        const auto summary = summaryOf(comparison.name);
        if (!summary) continue;
        const Sample& median = summary->median;
        const double ratio = median.ratio;
        std::fprintf(out, "%-28s %11.1f %11.1f %14.2f %11.1f", comparison.name.c_str(),
                     median.driver * 1e6, median.floor * 1e6, ratio,
                     (median.driver - median.floor) * 1e6);
        if (comparison.positions > 0) {
            const double each = median.driver / comparison.positions;
            const double own = (median.driver - median.floor) / comparison.positions;
            perPosition[comparison.positions] = each;
            ownPerPosition[comparison.positions] = own;
            std::fprintf(out, " %13.2f %13.2f", each * 1e6, own * 1e6);
            if (comparison.positions == 100) ratioAt100 = ratio;
        }
        std::fprintf(out, "\n");
    }

    std::fprintf(out, "\n");
    if (ratioAt100) {
        std::fprintf(out, "ProcessCheck of 100 positions within %.0fx its two round trips: %s\n",
                     kMaxRatioAt100, Verdict(*ratioAt100 <= kMaxRatioAt100));
    }
    const auto spread = [](const std::map<int, double>& each) -> std::optional<double> {
        std::vector<double> values;
        for (const auto& [positions, value] : each) {
            if (positions >= kFlatFrom) values.push_back(value);
        }
        if (values.size() < 2) return std::nullopt;
        return *std::max_element(values.begin(), values.end()) /
                   *std::min_element(values.begin(), values.end()) -
               1;
    };
    if (const auto own = spread(ownPerPosition)) {
        std::fprintf(out,
                     "Own cost per position from %d positions up varies by %.0f%% (at most "
                     "%.0f%%): %s\n",
                     kFlatFrom, *own * 100, (kFlatTolerance - 1) * 100,
                     Verdict(*own <= kFlatTolerance - 1));
    }
    if (const auto whole = spread(perPosition)) {
        std::fprintf(out, "Whole call per position from %d positions up varies by %.0f%%\n",
                     kFlatFrom, *whole * 100);
    }
    if (peakMemory) {
        const double factor = static_cast<double>(peakMemory->peakBytes) /
                              static_cast<double>(peakMemory->packageBytes);
        std::fprintf(out,
                     "Peak memory of ProcessCheck with %d positions: %.1f MiB for a package of "
                     "%.1f MiB, %.1fx (under %.0fx): %s\n",
                     peakMemoryPositions, peakMemory->peakBytes / 1048576.0,
                     peakMemory->packageBytes / 1048576.0, factor, kMaxMemoryFactor,
                     Verdict(factor < kMaxMemoryFactor));
    } else if (peakMemoryPositions > 0) {
        std::fprintf(out, "Peak memory: the measuring process failed\n");
    }
    std::fflush(out);
}

}  // namespace zarvik::bench
