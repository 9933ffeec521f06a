#include "platform/append_file.h"

#if defined(_WIN32)
#include <windows.h>

#include "platform/wide_path.h"
#else
#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace zarvik::platform {

#if defined(_WIN32)

AppendFile::AppendFile(const std::string& path) {
    handle_ = CreateFileW(WidePath(path).c_str(), FILE_APPEND_DATA,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

AppendFile::~AppendFile() {
    if (isOpen()) CloseHandle(handle_);
}

bool AppendFile::isOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

bool AppendFile::append(const char* data, size_t size) {
    if (!isOpen()) return false;
    DWORD written = 0;
    return WriteFile(handle_, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
}

bool AppendFile::append(const std::string_view* pieces, size_t count) {
    std::string block;
    for (size_t i = 0; i < count; ++i) block += pieces[i];
    return append(block.data(), block.size());
}

#else

AppendFile::AppendFile(const std::string& path)
    : fd_(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666)) {}

AppendFile::~AppendFile() {
    if (isOpen()) ::close(fd_);
}

bool AppendFile::isOpen() const { return fd_ >= 0; }

bool AppendFile::append(const char* data, size_t size) {
    if (!isOpen()) return false;
    ssize_t written;
    do {
        written = ::write(fd_, data, size);
    } while (written < 0 && errno == EINTR);
    return written == static_cast<ssize_t>(size);
}

bool AppendFile::append(const std::string_view* pieces, size_t count) {
    if (!isOpen()) return false;
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
