// The exchange log: what 1C sent, what went to the companion application and
// what came back, one line per entry, for the support engineer at the till.
#pragma once

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
// and when the platform's call ends. A receipt's dozen lines then cost a few writes instead of a dozen,
// and each write holds whole lines, so components sharing the file never cut
// into each other's lines.
class ExchangeLog {
  public:
    explicit ExchangeLog(const std::string& path);  // a file that cannot be opened is not an error
    ~ExchangeLog() { Flush(); }
    ExchangeLog(const ExchangeLog&) = delete;
    ExchangeLog& operator=(const ExchangeLog&) = delete;

    // "[YYYY-MM-DD HH:MM:SS] LEVEL: message" and a line end.
    // A log that cannot be written never fails the fiscal operation.
    void Write(std::string_view level, std::string_view message);
    void Info(std::string_view message) { Write("INFO", message); }
    void Warn(std::string_view message) { Write("WARN", message); }
    void Flush() noexcept;

    const std::string& path() const { return path_; }

  private:
    std::string_view Timestamp();

    std::string path_;
    platform::AppendFile file_;
    std::string pending_;  // whole lines not yet written
    std::time_t stampedAt_ = -1;
    char stamp_[32] = {};
    size_t stampSize_ = 0;
};

}  // namespace zarvik
