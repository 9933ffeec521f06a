// The command line as UTF-8 on every system. Windows hands main() its
// arguments in the ANSI code page, which mangles a Russian method name, a
// Cyrillic text or a file path; the wide command line keeps them whole.
#pragma once

#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
// The shell header builds on the macros of windows.h.
#include <shellapi.h>
#endif

namespace tools {

inline std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    std::vector<std::string> arguments;
#if defined(_WIN32)
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide != nullptr) {
        for (int i = 0; i < count; ++i) {
            const int size =
                WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
            std::string text(size > 0 ? static_cast<size_t>(size) : 1, '\0');
            WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, &text[0], size, nullptr, nullptr);
            text.resize(text.size() - 1);
            arguments.push_back(text);
        }
        LocalFree(wide);
        return arguments;
    }
#endif
    for (int i = 0; i < argc; ++i) arguments.emplace_back(argv[i]);
    return arguments;
}

}  // namespace tools
