#include "platform/append_file.h"

#if defined(_WIN32)
#include <windows.h>

#include "platform/wide_path.h"
#else
#include <fcntl.h>
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

#endif

}  // namespace zarvik::platform
