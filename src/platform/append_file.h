// A file opened for appending that other processes and other components may
// share, where each write lands whole at the end: two components logging at
// once never cut into each other's lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zarvik::platform {

class AppendFile {
  public:
    explicit AppendFile(const std::string& path);  // UTF-8; a failed open leaves it closed
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    bool IsOpen() const;
    // One system write of the whole block; false when it did not land whole.
    bool Append(const char* data, size_t size);
    // The same for a block given in pieces, gathered by the system where it
    // can: a block of megabytes is not copied to be written.
    bool Append(const std::string_view* pieces, size_t count);
    // Size of the open file, whoever wrote it; -1 when it is not open.
    int64_t Size() const;
    // Opens `path` afresh: the file written so far may have been renamed.
    // The old one is closed only once the new one is open.
    void Reopen(const std::string& path);

  private:
#if defined(_WIN32)
    void* handle_;
#else
    int fd_;
#endif
};

}  // namespace zarvik::platform
