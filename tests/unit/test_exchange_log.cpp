// The exchange log a support engineer reads: its place, its line format, and
// its rotation, in which lines of several writers stay whole.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <thread>
#include <vector>

#include "log/exchange_log.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace zarvik {
namespace {

namespace fs = std::filesystem;

class LogFiles : public ::testing::Test {
  protected:
    static constexpr int64_t kLimit = 8 * 1024;

    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("zarvik-log-" +
                  std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        path = (folder / "x.log").u8string();
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path File(int older) const {
        return fs::u8path(older == 0 ? path : path + "." + std::to_string(older));
    }
    int64_t Size(int older) const {
        std::error_code none;
        const auto size = fs::file_size(File(older), none);
        return none ? -1 : static_cast<int64_t>(size);
    }
    // Writes numbered lines of `tag`, each flushed as a call would.
    static void Write(ExchangeLog& log, const std::string& tag, int from, int to) {
        for (int i = from; i < to; ++i) {
            log.Info(tag + " " + std::to_string(i) + " " + std::string(200, '.'));
            log.Flush();
        }
    }
    // The numbers of `tag`'s lines from the oldest copy to the current file,
    // -1 for a line cut short.
    std::vector<int> Numbers(const std::string& tag) const {
        std::vector<int> numbers;
        const std::string head = "INFO: " + tag + " ", dots(200, '.');
        for (int older = 6; older >= 0; --older) {
            std::ifstream file(File(older));  // text mode: CR LF reads as LF
            for (std::string line; std::getline(file, line);) {
                const size_t at = line.find(head);
                if (at == std::string::npos) continue;
                const bool whole =
                    line.size() > 200 && line.compare(line.size() - 200, 200, dots) == 0;
                numbers.push_back(whole ? std::stoi(line.substr(at + head.size())) : -1);
            }
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
using LogRotation = LogFiles;
using ExchangeLogTest = LogFiles;

// Where the log goes and the line format, on Linux (Windows: its own tests).
#if !defined(_WIN32)
std::string Slurp(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

TEST_F(ExchangeLogTest, PathIsInTheUserDataFolderWhichIsMadeWhenMissingOrRefused) {
    const std::string root = folder.string(), home = std::getenv("HOME"),
                      log = "/VarEzu/1C_exchange_data.log";
    std::ofstream(folder / "file") << "x";
    fs::create_directories(folder / "taken");
    std::ofstream(folder / "taken/VarEzu") << "x";
    // XDG_DATA_HOME ("": unset), HOME, where the log goes ("": refused).
    const std::string rows[][3] = {
        {root + "/data", "", root + "/data" + log},
        {root + "/data", "", root + "/data" + log},  // an existing folder is fine
        {"relative", root, root + "/.local/share" + log},
        {"", "", ""},
        {root + "/file/data", root, ""},
        {root + "/taken", root, ""},
    };
    for (const auto& [xdg, user, made] : rows) {
        xdg.empty() ? unsetenv("XDG_DATA_HOME") : setenv("XDG_DATA_HOME", xdg.c_str(), 1);
        setenv("HOME", user.c_str(), 1);
        std::string path;
        try {
            path = ComputeLogPath(kLogFolderName, kLogFileName);
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(path, made) << xdg << " " << user;
    }
    setenv("HOME", home.c_str(), 1);
}

// Time, level and the message unchanged, at the flush, in order, whatever their size.
TEST_F(ExchangeLogTest, LinesReachTheFileAtFlushInOrderWhateverTheirSize) {
    const std::string receipt(300 * 1024, 'r');  // past what is gathered in memory
    {
        ExchangeLog log(path);
        log.Info("Start");
        EXPECT_EQ(Slurp(path), "") << "held until the flush";
        log.Flush();
        log.Info("{\"a\":1}\r\n");
        log.Warn("Empty response");
        log.Info("");
        log.Info("Кассир: Иванова");
        log.Info(receipt);
    }
    const std::string text = std::regex_replace(
        Slurp(path), std::regex(R"(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\] )"), "[T] ");
    EXPECT_EQ(text,
              "[T] INFO: Start\n[T] INFO: {\"a\":1}\r\n\n[T] WARN: Empty response\n[T] INFO: \n"
              "[T] INFO: Кассир: Иванова\n[T] INFO: " +
                  receipt + "\n");
}

#endif

// Past the limit five older files are kept and the oldest dropped; a refused
// rotation (a folder where the oldest goes; on Windows an editor holding the
// file) keeps writing to the same file and is tried again at the next flush.
TEST_F(LogRotation, KeepsFiveOlderFilesAndTriesARefusedRotationAgain) {
    ExchangeLog log(path, kLimit);
    Write(log, "a", 0, 320);  // about eight files' worth
    EXPECT_EQ(Size(6), -1) << "no sixth older file";
    for (int older = 5; older >= 1; --older) {
        EXPECT_GT(Size(older), kLimit) << older;
        EXPECT_LT(Size(older), kLimit + 300) << older;
    }
    EXPECT_LE(Size(0), kLimit);
    fs::remove(File(5));
    fs::create_directories(File(5) / "held");
    Write(log, "a", 320, 400);
    EXPECT_GT(Size(0), 2 * kLimit) << "went on in the same file";
    fs::remove_all(File(5));
    Write(log, "a", 400, 401);
    EXPECT_LT(Size(0), kLimit);
    int next = 401;
#if defined(_WIN32)
    const HANDLE editor =
        CreateFileW(File(0).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(editor, INVALID_HANDLE_VALUE);
    Write(log, "a", 401, 481);
    EXPECT_GT(Size(0), 2 * kLimit) << "went on in the same file";
    CloseHandle(editor);
    Write(log, "a", 481, 482);
    EXPECT_LT(Size(0), kLimit);
    next = 482;
#endif
    const std::vector<int> numbers = Numbers("a");
    ASSERT_FALSE(numbers.empty());
    EXPECT_EQ(numbers, Range(numbers.front(), next));
}

TEST_F(LogRotation, TwoWritersLoseAndCutNothingAndRotateOnlyAFullFile) {
    {
        ExchangeLog before(path, kLimit);
        Write(before, "b", 0, 1);  // appended to, never cut
    }
    std::vector<std::thread> writers;
    for (const char* tag : {"w1", "w2"}) {
        writers.emplace_back([this, tag] {
            ExchangeLog log(path, kLimit);
            Write(log, tag, 0, 80);  // with the other: about four files' worth
        });
    }
    for (auto& writer : writers) writer.join();
    EXPECT_EQ(Numbers("w1"), Range(0, 80));
    EXPECT_EQ(Numbers("w2"), Range(0, 80));
    EXPECT_EQ(Numbers("b"), Range(0, 1));
    EXPECT_EQ(Size(5), -1) << "nothing was dropped";
    for (int older = 4; older >= 1; --older) {
        EXPECT_TRUE(Size(older) < 0 || Size(older) > kLimit) << older;
    }
    EXPECT_GE(Size(1), 0) << "it did rotate";
}

}  // namespace
}  // namespace zarvik
