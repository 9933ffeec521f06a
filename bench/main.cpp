// The driver's own cost next to the loopback floor. Every operation is called
// through the exported interface of the built component against a companion
// on loopback that answers at once; its floor is the same number of bare
// connect-send-receive-close round trips carrying the very bytes the driver
// sent, made right after each call. See docs/performance.md for how to run it and what it found.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "driver_session.h"
#include "peak_memory.h"
#include "round_trip.h"
#include "summary_reporter.h"
#include "workload.h"

namespace zarvik::bench {

namespace {

constexpr int kReceiptSizes[] = {1, 10, 100, 1000, 10000};
constexpr int kLargestReceipt = 10000;
const char* const kPeakMemoryFlag = "--peak_memory_positions=";

struct Operation {
    Operation(DriverSession& session, const std::string& method,
              const std::vector<host::Param>& params)
        : call(session, method, params) {}

    PreparedCall call;
    std::vector<std::string> requests;  // what the driver sent, in order
    int positions = 0;
};

std::vector<host::Param> ReceiptParams(const std::string& package) {
    return {host::Param::Str("KKT-1"), host::Param::Bool(false), host::Param::Str(package),
            host::Param::Empty()};
}

std::vector<host::Param> InAndOut(const std::string& input) {
    return {host::Param::Str("KKT-1"), host::Param::Str(input), host::Param::Empty()};
}

// Calls the operation once while the companion keeps what it receives; the
// measured calls then find it keeping nothing.
void Capture(DriverSession& session, Operation& operation,
             const std::vector<std::string>& methods) {
    session.companion().clear();
    session.companion().record(true);
    const bool done = operation.call();
    session.companion().record(false);
    if (!done) {
        const auto& errors = session.component().connection.errors;
        throw std::runtime_error(
            "the driver's call failed before measuring: " +
            (errors.empty() ? std::string("no error reported") : errors.back().description));
    }
    const auto received = session.companion().requests();
    for (const std::string& method : methods) {
        const auto found = std::find_if(received.begin(), received.end(), [&](const auto& request) {
            return request.method == method;
        });
        if (found == received.end()) throw std::runtime_error("the driver sent no " + method);
        operation.requests.push_back(found->raw);
    }
}

// Wall time: the driver waits on the companion, which runs on another thread.
// The minimum of the repetitions is the figure least disturbed by whatever
// else the machine is doing.
void Measured(benchmark::internal::Benchmark* benchmark) {
    benchmark->UseManualTime()->Unit(benchmark::kMicrosecond);
    benchmark->ComputeStatistics("min", [](const std::vector<double>& values) {
        return *std::min_element(values.begin(), values.end());
    });
}

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

// Each iteration makes the driver's call and then its bare round trips, so
// that both meet the same load on a machine shared with other work; the
// benchmark's time is the driver's, the floor and the ratio are counters.
void DriverAndFloor(benchmark::State& state, DriverSession& session, Operation& op) {
    session.truncateLog();
    const uint16_t port = session.companion().port();
    double driverSeconds = 0;
    double floorSeconds = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        const bool called = op.call();
        const auto calledAt = Clock::now();
        bool bare = true;
        for (const std::string& request : op.requests) bare = BareRoundTrip(port, request) && bare;
        const auto done = Clock::now();
        if (!called || !bare) {
            state.SkipWithError(called ? "a bare round trip failed" : "the driver's call failed");
            break;
        }
        state.SetIterationTime(Seconds(calledAt - start));
        driverSeconds += Seconds(calledAt - start);
        floorSeconds += Seconds(done - calledAt);
    }
    if (floorSeconds <= 0) return;
    using benchmark::Counter;
    state.counters["floor_us"] = Counter(floorSeconds * 1e6, Counter::kAvgIterations);
    state.counters["ratio"] = driverSeconds / floorSeconds;
    if (op.positions > 0) {
        state.counters["us_per_position"] =
            Counter(driverSeconds * 1e6 / op.positions, Counter::kAvgIterations);
    }
}

class Suite {
  public:
    explicit Suite(DriverSession& session) : session_(session) {}

    void add(const std::string& name, std::unique_ptr<Operation> operation,
             const std::vector<std::string>& methods) {
        Capture(session_, *operation, methods);
        Operation* op = operations_.emplace_back(std::move(operation)).get();
        DriverSession* session = &session_;
        benchmark::RegisterBenchmark(name.c_str(), [op, session](benchmark::State& state) {
            DriverAndFloor(state, *session, *op);
        })->Apply(Measured);
        comparisons_.push_back({name, op->positions});
    }

    std::vector<Comparison> comparisons() const { return comparisons_; }

  private:
    DriverSession& session_;
    std::deque<std::unique_ptr<Operation>> operations_;
    std::vector<Comparison> comparisons_;
};

// Our one flag; the rest belong to the benchmark library.
int TakePeakMemoryFlag(int& argc, char** argv) {
    int positions = kLargestReceipt;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], kPeakMemoryFlag, std::strlen(kPeakMemoryFlag)) == 0) {
            positions = std::atoi(argv[i] + std::strlen(kPeakMemoryFlag));
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    return positions;
}

int Run(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], ChildFlag()) == 0) {
        return RunPeakMemoryChild(std::atoi(argv[2]));
    }
    const int peakPositions = TakePeakMemoryFlag(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    DriverSession session;
    AnswerLikeTheCompanion(session.companion());
    Suite suite(session);
    for (const int positions : kReceiptSizes) {
        auto operation = std::make_unique<Operation>(session, "ProcessCheck",
                                                     ReceiptParams(ReceiptPackage(positions)));
        operation->positions = positions;
        suite.add("ProcessCheck/positions:" + std::to_string(positions), std::move(operation),
                  {"ProcessCheck", "GetDocumentOutputParametersAdditionals"});
    }
    suite.add("OpenShift",
              std::make_unique<Operation>(session, "OpenShift", InAndOut(OpenShiftInput())),
              {"OpenShift", "GetOutputParametersAdditionalsStateInfo"});
    suite.add("RequestKM",
              std::make_unique<Operation>(session, "RequestKM", InAndOut(RequestKMInput())),
              {"RequestKM"});

    SummaryReporter reporter(suite.comparisons(), ::isatty(STDOUT_FILENO) != 0);
    if (peakPositions > 0) {
        reporter.peakMemoryPositions = peakPositions;
        reporter.peakMemory = MeasurePeakMemory(peakPositions);
    }
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace

}  // namespace zarvik::bench

int main(int argc, char** argv) {
    try {
        return zarvik::bench::Run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zarvik_bench: %s\n", error.what());
        return 1;
    }
}
