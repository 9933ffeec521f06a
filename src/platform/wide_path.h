// UTF-8 paths to and from the wide paths of the Windows file APIs. A Cyrillic
// user name in the profile path must survive both ways.
#pragma once
#if defined(_WIN32)

#include <string>

namespace zarvik::platform {

std::wstring WidePath(const std::string& utf8);
std::string NarrowPath(const wchar_t* wide);

}  // namespace zarvik::platform

#endif
