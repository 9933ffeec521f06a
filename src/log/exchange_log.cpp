#include "log/exchange_log.h"

#include <ctime>
#include <stdexcept>

#include "core/kept_buffer.h"
#include "platform/file_rename.h"
#include "platform/folders.h"

namespace zarvik {

const char* const kLogFolderName = "VarEzu";
const char* const kLogFileName = "1C_exchange_data.log";

namespace {

#if defined(_WIN32)
// The Windows log has always been a text-mode stream: every line feed, also
// those inside messages, is stored as CR LF.
constexpr bool kCrLf = true;
#else
constexpr bool kCrLf = false;
#endif

std::string Older(const std::string& path, int number) {
    return path + "." + std::to_string(number);
}

// Frees ".1" by moving each older copy one place up, the oldest dropped when
// all places are taken, then renames the log to ".1". Stops at the first
// refusal: nothing has been lost, and the next attempt goes on from there.
bool RenameToOlder(const std::string& path) {
    int free = 1;
    while (free <= ExchangeLog::kOlderFiles && platform::SizeAt(Older(path, free)) >= 0) ++free;
    if (free > ExchangeLog::kOlderFiles) {
        free = ExchangeLog::kOlderFiles;
        if (!platform::RemoveFile(Older(path, free))) return false;
    }
    for (; free > 1; --free) {
        if (!platform::RenameFile(Older(path, free - 1), Older(path, free))) return false;
    }
    return platform::RenameFile(path, Older(path, 1));
}

}  // namespace

// "YYYY-MM-DD HH:MM:SS" of the local time; made once a second, as a receipt
// writes a dozen lines within the same one.
std::string_view ExchangeLog::Timestamp() {
    const std::time_t now = std::time(nullptr);
    if (now != stampedAt_) {
        std::tm local{};
#if defined(_WIN32)
        localtime_s(&local, &now);
#else
        localtime_r(&now, &local);
#endif
        // "%F %T" spelled out: the Windows runtime knows neither.
        stampSize_ = std::strftime(stamp_, sizeof stamp_, "%Y-%m-%d %H:%M:%S", &local);
        stampedAt_ = now;
    }
    return std::string_view(stamp_, stampSize_);
}

std::string ComputeLogPath(const std::string& folderName, const std::string& fileName) {
    const std::string base = platform::UserDataFolder();
    const std::string folder = platform::JoinPath(base, folderName);
    if (base.empty() || !platform::EnsureFolder(folder)) {
        throw std::runtime_error("Failed to create logging directory");
    }
    return platform::JoinPath(folder, fileName);
}

ExchangeLog::ExchangeLog(const std::string& path, int64_t rotateAt)
    : path_(path), rotateAt_(rotateAt), file_(path) {}

void ExchangeLog::Write(std::string_view level, std::string_view message) {
    if (!file_.IsOpen()) return;
    std::string& line = pending_;
    // A receipt of megabytes goes to the file from where it lies, together
    // with the lines before it, rather than through a copy.
    constexpr size_t kCopiedAtMost = 256 * 1024;
    const bool direct = !kCrLf && message.size() > kCopiedAtMost;
    line += '[';
    line += Timestamp();
    line += "] ";
    line += level;
    line += ": ";
    if (direct) {
        const std::string_view pieces[] = {line, message, "\n"};
        file_.Append(pieces, 3);
        line.clear();
        RotateWhenFull();
        return;
    }
    if (kCrLf) {
        // A receipt is logged as megabytes of text: copied in runs between
        // line feeds, not character by character.
        std::string_view rest = message;
        for (size_t end; (end = rest.find('\n')) != std::string_view::npos;) {
            line.append(rest.data(), end);
            line += "\r\n";
            rest.remove_prefix(end + 1);
        }
        line += rest;
        line += '\r';
    } else {
        line += message;
    }
    line += '\n';
}

void ExchangeLog::Flush() noexcept {
    if (pending_.empty()) return;
    file_.Append(pending_.data(), pending_.size());
    pending_.clear();
    GiveBackGiant(pending_);
    RotateWhenFull();
}

void ExchangeLog::RotateWhenFull() noexcept {
    if (file_.Size() <= rotateAt_) return;
    try {
        platform::RenameLock lock(path_);
        if (!lock.Held()) return;
        // Another writer may have rotated it already: then only our handle,
        // still on what is now an older copy, has to move.
        if (platform::SizeAt(path_) > rotateAt_ && !RenameToOlder(path_)) return;
        file_.Reopen(path_);
    } catch (...) {
        // The fiscal operation never fails for its log.
    }
}

}  // namespace zarvik
