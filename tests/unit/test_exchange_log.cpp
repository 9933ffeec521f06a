// The exchange log a support engineer reads: its place, its line format, and
// that lines of several writers stay whole.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "log/exchange_log.h"

#if defined(_WIN32)
#include <windows.h>
#endif

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

// Rotation, on Linux and Windows alike.

namespace zarvik {
namespace {

namespace fs = std::filesystem;

class LogRotation : public ::testing::Test {
  protected:
    static constexpr int64_t kLimit = 8 * 1024;

    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("zarvik-rotation-" +
                  std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        path = (folder / "x.log").u8string();
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string File(int older) const {
        return older == 0 ? path : path + "." + std::to_string(older);
    }
    // Every line from the oldest copy to the current file; each file's size
    // in `sizes` (-1 where there is none).
    std::vector<std::string> AllLines(std::vector<int64_t>* sizes = nullptr) const {
        std::vector<std::string> lines;
        for (int older = 6; older >= 0; --older) {
            std::error_code none;
            const auto size = fs::file_size(fs::u8path(File(older)), none);
            if (sizes != nullptr) sizes->push_back(none ? -1 : static_cast<int64_t>(size));
            std::ifstream file(fs::u8path(File(older)));  // text mode: CR LF reads as LF
            for (std::string line; std::getline(file, line);) lines.push_back(line);
        }
        return lines;
    }
    // Writes `count` numbered lines of `tag`, each flushed as a call would.
    static void Write(ExchangeLog& log, const std::string& tag, int from, int count) {
        for (int i = from; i < from + count; ++i) {
            log.Info(tag + " " + std::to_string(i) + " " + std::string(200, '.'));
            log.Flush();
        }
    }
    // The numbers of `tag`'s lines in file order; a line cut short shows as -1.
    static std::vector<int> Numbers(const std::vector<std::string>& lines, const std::string& tag) {
        std::vector<int> numbers;
        for (const std::string& line : lines) {
            const size_t at = line.find("INFO: " + tag + " ");
            if (at == std::string::npos) continue;
            const bool whole = line.size() > 200 &&
                               line.compare(line.size() - 200, 200, std::string(200, '.')) == 0;
            numbers.push_back(whole ? std::stoi(line.substr(at + 7 + tag.size())) : -1);
        }
        return numbers;
    }
    static std::vector<int> Range(int from, int to) {
        std::vector<int> numbers;
        for (int i = from; i < to; ++i) numbers.push_back(i);
        return numbers;
    }

    fs::path folder;
    std::string path;
};

TEST_F(LogRotation, PassingTheLimitKeepsFiveOlderFilesAndDropsTheOldest) {
    ExchangeLog log(path, kLimit);
    Write(log, "a", 0, 320);  // about eight files' worth
    std::vector<int64_t> sizes;
    const std::vector<int> numbers = Numbers(AllLines(&sizes), "a");
    EXPECT_EQ(sizes[0], -1) << "no sixth older file";
    for (int older = 5; older >= 1; --older) {
        EXPECT_GT(sizes[6 - older], kLimit) << older;
        EXPECT_LT(sizes[6 - older], kLimit + 300) << older;
    }
    EXPECT_LE(sizes[6], kLimit);
    ASSERT_FALSE(numbers.empty());
    EXPECT_GT(numbers.front(), 0) << "the oldest were dropped";
    EXPECT_EQ(numbers, Range(numbers.front(), 320));
}

TEST_F(LogRotation, TwoWritersLoseAndCutNothingAndRotateOnlyAFullFile) {
    std::vector<std::thread> writers;
    for (const char* tag : {"w1", "w2"}) {
        writers.emplace_back([this, tag] {
            ExchangeLog log(path, kLimit);
            Write(log, tag, 0, 80);  // with the other: about four files' worth
        });
    }
    for (auto& writer : writers) writer.join();
    std::vector<int64_t> sizes;
    const std::vector<std::string> lines = AllLines(&sizes);
    EXPECT_EQ(Numbers(lines, "w1"), Range(0, 80));
    EXPECT_EQ(Numbers(lines, "w2"), Range(0, 80));
    EXPECT_EQ(sizes[1], -1) << "nothing was dropped";
    for (int older = 4; older >= 1; --older) {
        EXPECT_TRUE(sizes[6 - older] < 0 || sizes[6 - older] > kLimit) << older;
    }
    EXPECT_GE(sizes[5], 0) << "it did rotate";
}

TEST_F(LogRotation, ARefusedRotationKeepsWritingAndIsTriedAgain) {
    ExchangeLog log(path, kLimit);
    Write(log, "a", 0, 240);  // five older files
    // A folder where the oldest must be dropped cannot be removed.
    fs::remove(fs::u8path(File(5)));
    fs::create_directories(fs::u8path(File(5)) / "held");
    Write(log, "a", 240, 80);
    EXPECT_GT(fs::file_size(fs::u8path(path)), uint64_t{2 * kLimit}) << "went on in the same file";
    fs::remove_all(fs::u8path(File(5)));
    Write(log, "a", 320, 1);
    EXPECT_LT(fs::file_size(fs::u8path(path)), uint64_t{kLimit});
    const std::vector<int> numbers = Numbers(AllLines(), "a");
    ASSERT_FALSE(numbers.empty());
    EXPECT_EQ(numbers, Range(numbers.front(), 321));
#if defined(_WIN32)
    // An editor holding the file without delete sharing.
    const HANDLE editor =
        CreateFileW(fs::u8path(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(editor, INVALID_HANDLE_VALUE);
    Write(log, "a", 321, 80);
    EXPECT_GT(fs::file_size(fs::u8path(path)), uint64_t{2 * kLimit}) << "went on in the same file";
    CloseHandle(editor);
    Write(log, "a", 401, 1);
    EXPECT_LT(fs::file_size(fs::u8path(path)), uint64_t{kLimit});
    EXPECT_EQ(Numbers(AllLines(), "a").back(), 401);
#endif
}

}  // namespace
}  // namespace zarvik
