// Several components at once, each on its own thread, against one companion
// application and one shared log file: every request arrives whole and once,
// under its own point of sale, and no log line cuts into another.
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <atomic>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform_emulator.h"
#include "test_companion.h"

namespace zarvik::test {
namespace {

constexpr int kComponents = 4;
constexpr int kCalls = 25;

// Long enough that a torn write would show inside the line.
std::string CheckNumber(int component, int call) {
    return std::to_string(component) + "-" + std::to_string(call) + "-" + std::string(600, 'x');
}

// "[YYYY-MM-DD HH:MM:SS] INFO: " or WARN.
bool IsLogLine(const std::string& line) {
    if (line.size() < 28 || line[0] != '[' || line[20] != ']') return false;
    const std::string level = line.substr(21, 7);
    return level == " INFO: " || level == " WARN: ";
}

TEST(ConcurrentComponents, RequestsAndLogLinesStayWhole) {
    const std::string logPath = UseFreshLogFolder();
    TestCompanion companion;
    companion.onResult("PrintCheckCopy", "true");
    std::vector<std::unique_ptr<EmulatedComponent>> components;
    for (int k = 0; k < kComponents; ++k) {
        components.push_back(std::make_unique<EmulatedComponent>(Component()));
        components.back()->Connect("127.0.0.1", companion.port(), "POS-" + std::to_string(k));
    }

    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int k = 0; k < kComponents; ++k) {
        threads.emplace_back([&, k] {
            for (int i = 0; i < kCalls; ++i) {
                const CallOutcome outcome = components[k]->Call(
                    "PrintCheckCopy", {Param::Empty(), Param::Str(CheckNumber(k, i))});
                if (!outcome.returned || !outcome.result.flag) ++failures;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(failures, 0);
    for (const auto& component : components) EXPECT_TRUE(component->connection.errors.empty());

    std::set<std::string> seen;
    const auto requests = companion.requests();
    ASSERT_EQ(requests.size(), static_cast<size_t>(kComponents * kCalls));
    for (const auto& request : requests) {
        ASSERT_TRUE(request.parsed) << request.raw;
        ASSERT_EQ(request.paramList.size(), 3u) << request.raw;
        const std::string pos = request.paramList[0];
        const std::string number = request.paramList[2];
        const int k = number[1] - '0';
        EXPECT_EQ(pos, "\"POS-" + std::to_string(k) + "\"");
        seen.insert(number);
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(kComponents * kCalls));

    // The log: every line begins as a log line; every request line is whole JSON.
    const std::string log = ReadLogText(logPath);
    size_t requestLines = 0;
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find('\n', start);
        if (end == std::string::npos) end = log.size();
        std::string line = log.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;  // the line end the request itself carries
        ASSERT_TRUE(IsLogLine(line)) << line.substr(0, 120);
        if (line.find("\"method\":\"PrintCheckCopy\"") == std::string::npos) continue;
        ++requestLines;
        rapidjson::Document request;
        request.Parse(line.c_str() + 28);
        EXPECT_FALSE(request.HasParseError()) << line.substr(0, 120);
    }
    EXPECT_EQ(requestLines, static_cast<size_t>(kComponents * kCalls));
}

}  // namespace
}  // namespace zarvik::test
