#include "platform/file_rename.h"

#if defined(_WIN32)
#include <windows.h>

#include <cwctype>

#include "platform/wide_path.h"
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#endif

namespace zarvik::platform {

#if defined(_WIN32)

int64_t SizeAt(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data)) return -1;
    return static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) |
                                data.nFileSizeLow);
}

bool RenameFile(const std::string& from, const std::string& to) {
    return MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), 0) != 0;
}

bool RemoveFile(const std::string& path) { return DeleteFileW(WidePath(path).c_str()) != 0; }

// A named mutex of the session, named after the path as Windows compares
// paths (without regard to case).
RenameLock::RenameLock(const std::string& path) {
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const wchar_t unit : WidePath(path)) {
        hash = (hash ^ static_cast<uint64_t>(std::towlower(unit))) * 1099511628211ull;
    }
    std::wstring name = L"Local\\ZarvikKassaLog-";
    for (int shift = 60; shift >= 0; shift -= 4) name += L"0123456789abcdef"[(hash >> shift) & 15];
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    if (mutex == nullptr) return;
    handle_ = reinterpret_cast<intptr_t>(mutex);
    // A holder only renames a few files; one that died while holding it
    // leaves it abandoned, which is ours then.
    const DWORD waited = WaitForSingleObject(mutex, 5000);
    held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

RenameLock::~RenameLock() {
    if (handle_ == -1) return;
    const HANDLE mutex = reinterpret_cast<HANDLE>(handle_);
    if (held_) ReleaseMutex(mutex);
    CloseHandle(mutex);
}

#else

int64_t SizeAt(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<int64_t>(info.st_size) : -1;
}

bool RenameFile(const std::string& from, const std::string& to) {
    // Only the lock's holder makes older copies, so nothing appears at `to`
    // between the look and the rename.
    return SizeAt(to) < 0 && std::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

// An advisory lock on the log's folder: it outlives no holder.
RenameLock::RenameLock(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    handle_ = fd;
    int locked;
    do {
        locked = ::flock(fd, LOCK_EX);
    } while (locked != 0 && errno == EINTR);
    held_ = locked == 0;
}

RenameLock::~RenameLock() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));  // closing releases the lock
}

#endif

}  // namespace zarvik::platform
