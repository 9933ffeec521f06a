#include "platform/folders.h"

#if defined(_WIN32)
#include <windows.h>
// The shell headers build on the macros of windows.h.
#include <knownfolders.h>
#include <shlobj.h>

#include "platform/wide_path.h"
#else
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#endif

namespace zarvik::platform {

#if defined(_WIN32)

std::string UserDataFolder() {
    PWSTR path = nullptr;
    std::string result;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &path))) {
        result = NarrowPath(path);
    }
    CoTaskMemFree(path);
    return result;
}

bool EnsureFolder(const std::string& path) {
    const std::wstring wide = WidePath(path);
    if (CreateDirectoryW(wide.c_str(), nullptr)) return true;
    return GetLastError() == ERROR_ALREADY_EXISTS;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder + "\\" + name;
}

#else

std::string UserDataFolder() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') return std::string(home) + "/.local/share";
    return std::string();
}

bool EnsureFolder(const std::string& path) {
    if (path.empty()) return false;
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string parent = path.substr(0, slash);
        if (::mkdir(parent.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
    if (::mkdir(path.c_str(), 0777) == 0) return true;
    struct stat info {};
    return errno == EEXIST && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder + "/" + name;
}

#endif

}  // namespace zarvik::platform
