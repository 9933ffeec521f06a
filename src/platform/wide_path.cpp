#if defined(_WIN32)
#include "platform/wide_path.h"

#include <windows.h>

namespace zarvik::platform {

std::wstring WidePath(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
    return wide;
}

std::string NarrowPath(const wchar_t* wide) {
    if (wide == nullptr || wide[0] == L'\0') return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), size, nullptr, nullptr);
    utf8.resize(static_cast<size_t>(size > 0 ? size - 1 : 0));
    return utf8;
}

}  // namespace zarvik::platform
#endif
