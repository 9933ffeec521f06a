// What turning a full log into an older copy needs of the file system, alike
// on Windows and Linux. Paths are UTF-8.
#pragma once

#include <cstdint>
#include <string>

namespace zarvik::platform {

// Size of what stands at `path` (a folder counts too); -1 when nothing does.
int64_t SizeAt(const std::string& path);

// Never replaces what stands at `to`; false when the system refuses, for
// example while an editor on Windows holds the file without delete sharing.
bool RenameFile(const std::string& from, const std::string& to);
bool RemoveFile(const std::string& path);

// Held by one writer of `path` at a time, across threads and processes, while
// it renames the file and its older copies.
class RenameLock {
  public:
    explicit RenameLock(const std::string& path);
    ~RenameLock();
    RenameLock(const RenameLock&) = delete;
    RenameLock& operator=(const RenameLock&) = delete;

    bool Held() const { return held_; }

  private:
    intptr_t handle_ = -1;
    bool held_ = false;
};

}  // namespace zarvik::platform
