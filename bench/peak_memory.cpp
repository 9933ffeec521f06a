#include "peak_memory.h"

#include <malloc.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "driver_session.h"
#include "workload.h"

namespace zarvik::bench {

namespace {

// A "VmRSS:" or "VmHWM:" line of /proc/self/status, in bytes.
size_t StatusBytes(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, std::strlen(key), key) == 0) {
            return std::strtoull(line.c_str() + std::strlen(key), nullptr, 10) * 1024;
        }
    }
    return 0;
}

bool ResetHighWaterMark() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear);
}

std::string SelfPath() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
}

}  // namespace

const char* ChildFlag() { return "--peak-memory-child"; }

std::optional<PeakMemory> MeasurePeakMemory(int positions) {
    const std::string self = SelfPath();
    if (self.empty()) return std::nullopt;
    const std::string command = "'" + self + "' " + ChildFlag() + " " + std::to_string(positions);
    FILE* child = ::popen(command.c_str(), "r");
    if (child == nullptr) return std::nullopt;
    unsigned long long peak = 0;
    unsigned long long package = 0;
    const int read = std::fscanf(child, "%llu %llu", &peak, &package);
    const int status = ::pclose(child);
    if (read != 2 || status != 0) return std::nullopt;
    return PeakMemory{static_cast<size_t>(package), static_cast<size_t>(peak)};
}

int RunPeakMemoryChild(int positions) {
    DriverSession session;
    AnswerLikeTheCompanion(session.companion());
    const auto params = [](const std::string& package) {
        return std::vector<host::Param>{host::Param::Str("KKT-1"), host::Param::Bool(false),
                                        host::Param::Str(package), host::Param::Empty()};
    };
    // Code pages, the locale and the log's first write are no part of a receipt's cost.
    PreparedCall warmUp(session, "ProcessCheck", params(ReceiptPackage(1)));
    if (!warmUp()) return 2;

    const std::string package = ReceiptPackage(positions);
    PreparedCall call(session, "ProcessCheck", params(package));
    ::malloc_trim(0);
    const size_t before = StatusBytes("VmRSS:");
    if (!ResetHighWaterMark()) return 3;
    if (!call()) return 4;
    const size_t peak = StatusBytes("VmHWM:");
    std::printf("%zu %zu\n", peak > before ? peak - before : 0, package.size());
    return 0;
}

}  // namespace zarvik::bench
