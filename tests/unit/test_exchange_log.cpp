// The exchange log a support engineer reads: its place, its line format, and
// that lines of several writers stay whole.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "log/exchange_log.h"

#if !defined(_WIN32)
#include <unistd.h>

namespace zarvik {
namespace {

std::string Slurp(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

class ExchangeLogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        base = "/tmp/zarvik-log-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::system(("rm -rf '" + base + "'").c_str());
        setenv("XDG_DATA_HOME", (base + "/data").c_str(), 1);
    }
    void TearDown() override { std::system(("rm -rf '" + base + "'").c_str()); }
    std::string base;
};

TEST_F(ExchangeLogTest, PathIsInTheUserDataFolderWhichIsMadeWhenMissing) {
    const std::string path = ComputeLogPath(kLogFolderName, kLogFileName);
    EXPECT_EQ(path, base + "/data/VarEzu/1C_exchange_data.log");
    EXPECT_EQ(ComputeLogPath(kLogFolderName, kLogFileName), path) << "an existing folder is fine";
}

TEST_F(ExchangeLogTest, AFolderThatCannotBeMadeIsAnError) {
    std::ofstream(base + "-file") << "x";  // a file where a folder should be
    setenv("XDG_DATA_HOME", (base + "-file").c_str(), 1);
    try {
        ComputeLogPath(kLogFolderName, kLogFileName);
        FAIL() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Failed to create logging directory");
    }
    std::remove((base + "-file").c_str());
}

TEST_F(ExchangeLogTest, LinesCarryTimeLevelAndTheMessageUnchanged) {
    const std::string path = ComputeLogPath(kLogFolderName, kLogFileName);
    {
        ExchangeLog log(path);
        log.Info("Request:");
        log.Info("{\"a\":1}\r\n");
        log.Warn("Empty response");
        log.Info("");
        log.Info("Кассир: Иванова");
    }
    const std::string text = Slurp(path);
    const std::regex line(
        "\\[\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\] INFO: Request:\n"
        "\\[[-0-9: ]{19}\\] INFO: \\{\"a\":1\\}\r\n\n"
        "\\[[-0-9: ]{19}\\] WARN: Empty response\n"
        "\\[[-0-9: ]{19}\\] INFO: \n"
        "\\[[-0-9: ]{19}\\] INFO: Кассир: Иванова\n");
    EXPECT_TRUE(std::regex_match(text, line)) << text;
}

TEST_F(ExchangeLogTest, LinesReachTheFileAtFlushInOrderWhateverTheirSize) {
    const std::string path = ComputeLogPath(kLogFolderName, kLogFileName);
    const std::string receipt(300 * 1024, 'r');  // past what is gathered in memory
    ExchangeLog log(path);
    log.Info("Start");
    EXPECT_EQ(Slurp(path), "") << "held until the flush";
    log.Flush();
    log.Info("Request:");
    log.Info(receipt);
    log.Info("after");
    log.Flush();
    std::string text = Slurp(path);
    const size_t at = text.find(receipt + "\n");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, receipt.size(), "R");
    const std::regex lines(
        "\\[[-0-9: ]{19}\\] INFO: Start\n"
        "\\[[-0-9: ]{19}\\] INFO: Request:\n"
        "\\[[-0-9: ]{19}\\] INFO: R\n"
        "\\[[-0-9: ]{19}\\] INFO: after\n");
    EXPECT_TRUE(std::regex_match(text, lines)) << text;
}

TEST_F(ExchangeLogTest, AppendsAndKeepsLinesOfConcurrentWritersWhole) {
    const std::string path = ComputeLogPath(kLogFolderName, kLogFileName);
    ExchangeLog(path).Info("before");
    const std::string payload(3000, 'x');
    std::vector<std::thread> writers;
    for (int w = 0; w < 4; ++w) {
        writers.emplace_back([&, w] {
            ExchangeLog log(path);
            for (int i = 0; i < 200; ++i) log.Info(std::to_string(w) + payload);
        });
    }
    for (auto& t : writers) t.join();

    std::istringstream lines(Slurp(path));
    std::string l;
    int count = 0;
    std::getline(lines, l);
    EXPECT_NE(l.find("INFO: before"), std::string::npos);
    while (std::getline(lines, l)) {
        ++count;
        ASSERT_EQ(l.size(), 28 + 1 + payload.size()) << "line " << count << " was cut";
    }
    EXPECT_EQ(count, 800);
}

TEST_F(ExchangeLogTest, AFileThatCannotBeOpenedMakesWritesHarmless) {
    ExchangeLog log(base + "/no/such/folder/file.log");
    log.Info("lost, and nobody fails for it");
    SUCCEED();
}

}  // namespace
}  // namespace zarvik
#endif
