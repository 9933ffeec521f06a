#include "platform/append_file.h"

#if defined(_WIN32)
#include <windows.h>

#include "platform/wide_path.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace zarvik::platform {

#if defined(_WIN32)

namespace {

// Appending only, so that every write lands at the end; reading too, which
// byte-range locks need; delete sharing, so that another writer may rename
// the file while this one holds it.
HANDLE OpenForAppending(const std::string& path) {
    return CreateFileW(WidePath(path).c_str(),
                       FILE_APPEND_DATA | FILE_READ_DATA | FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

AppendFile::AppendFile(const std::string& path) : handle_(OpenForAppending(path)) {}

int64_t AppendFile::Size() const {
    LARGE_INTEGER size;
    return IsOpen() && GetFileSizeEx(handle_, &size) ? static_cast<int64_t>(size.QuadPart) : -1;
}

void AppendFile::Reopen(const std::string& path) {
    const HANDLE fresh = OpenForAppending(path);
    if (fresh == INVALID_HANDLE_VALUE) return;
    if (IsOpen()) CloseHandle(handle_);
    handle_ = fresh;
}

AppendFile::~AppendFile() {
    if (IsOpen()) CloseHandle(handle_);
}

bool AppendFile::IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

bool AppendFile::Append(const char* data, size_t size) {
    if (!IsOpen()) return false;
    // An append-only handle is not always one atomic append: wine finds the
    // end and then writes there, so two writers could land on the same place
    // and one block would be lost. Every writer takes this byte far past any
    // end first; nothing else ever touches it.
    OVERLAPPED turn{};
    turn.OffsetHigh = 0x7FFFFFFF;
    const bool locked = LockFileEx(handle_, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &turn) != 0;
    DWORD written = 0;
    const bool whole =
        WriteFile(handle_, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
    if (locked) UnlockFileEx(handle_, 0, 1, 0, &turn);
    return whole;
}

bool AppendFile::Append(const std::string_view* pieces, size_t count) {
    std::string block;
    for (size_t i = 0; i < count; ++i) block += pieces[i];
    return Append(block.data(), block.size());
}

#else

namespace {

int OpenForAppending(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
}

}  // namespace

AppendFile::AppendFile(const std::string& path) : fd_(OpenForAppending(path)) {}

int64_t AppendFile::Size() const {
    struct stat info {};
    return IsOpen() && ::fstat(fd_, &info) == 0 ? static_cast<int64_t>(info.st_size) : -1;
}

void AppendFile::Reopen(const std::string& path) {
    const int fresh = OpenForAppending(path);
    if (fresh < 0) return;
    if (IsOpen()) ::close(fd_);
    fd_ = fresh;
}

AppendFile::~AppendFile() {
    if (IsOpen()) ::close(fd_);
}

bool AppendFile::IsOpen() const { return fd_ >= 0; }

bool AppendFile::Append(const char* data, size_t size) {
    if (!IsOpen()) return false;
    ssize_t written;
    do {
        written = ::write(fd_, data, size);
    } while (written < 0 && errno == EINTR);
    return written == static_cast<ssize_t>(size);
}

bool AppendFile::Append(const std::string_view* pieces, size_t count) {
    if (!IsOpen()) return false;
    constexpr size_t kMost = 8;
    iovec vectors[kMost];
    size_t total = 0;
    size_t used = 0;
    for (size_t i = 0; i < count && used < kMost; ++i) {
        if (pieces[i].empty()) continue;
        vectors[used].iov_base = const_cast<char*>(pieces[i].data());
        vectors[used].iov_len = pieces[i].size();
        total += pieces[i].size();
        ++used;
    }
    if (count > kMost) return false;
    ssize_t written;
    do {
        written = ::writev(fd_, vectors, static_cast<int>(used));
    } while (written < 0 && errno == EINTR);
    return written == static_cast<ssize_t>(total);
}

#endif

}  // namespace zarvik::platform
