// The exchange log: what 1C sent, what went to the companion application and
// what came back, one line per entry, for the support engineer at the till.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "platform/append_file.h"

namespace zarvik {

extern const char* const kLogFolderName;  // "VarEzu"
extern const char* const kLogFileName;    // "1C_exchange_data.log"

// Full path of the log file in the per-user data folder; makes the folder
// when it is missing. Throws std::runtime_error("Failed to create logging
// directory") when it cannot be made.
std::string ComputeLogPath(const std::string& folderName, const std::string& fileName);

// Lines are held while the driver works on a call and reach the file together
// at each Flush: once a request has gone to the companion, before its answer
// is awaited (so that a call that never returns still shows what it sent),
// and when the platform's call ends. A receipt's dozen lines then cost a few writes instead of a
// dozen, and each write holds whole lines, so components sharing the file never cut into each
// other's lines.
//
// The log is bounded: once the file passes 50 MB it becomes "<path>.1" (an
// older ".1" becomes ".2", and so on up to ".5"; the oldest goes) and a new
// file starts at the same path. When the system refuses a rename (an editor
// holding the file on Windows), the log goes on where it is and tries again
// at the next flush.
class ExchangeLog {
  public:
    static constexpr int64_t kRotateAt = int64_t{50} << 20;
    static constexpr int kOlderFiles = 5;

    // A file that cannot be opened is not an error. Tests shorten `rotateAt`.
    explicit ExchangeLog(const std::string& path, int64_t rotateAt = kRotateAt);
    ~ExchangeLog() { Flush(); }
    ExchangeLog(const ExchangeLog&) = delete;
    ExchangeLog& operator=(const ExchangeLog&) = delete;

    // "[YYYY-MM-DD HH:MM:SS] LEVEL: message" and a line end.
    // A log that cannot be written never fails the fiscal operation.
    void Write(std::string_view level, std::string_view message);
    void Info(std::string_view message) { Write("INFO", message); }
    void Warn(std::string_view message) { Write("WARN", message); }
    void Flush() noexcept;

  private:
    std::string_view Timestamp();
    void RotateWhenFull() noexcept;

    std::string path_;
    int64_t rotateAt_;
    platform::AppendFile file_;
    std::string pending_;  // whole lines not yet written
    std::time_t stampedAt_ = -1;
    char stamp_[32] = {};
    size_t stampSize_ = 0;
};

}  // namespace zarvik
