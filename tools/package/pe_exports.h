// The names a Windows DLL exports, read from its PE export directory, so that
// the package can be checked on Linux without loading the DLL.
#pragma once

#include <string>
#include <vector>

namespace package {

struct PeExports {
    bool x64 = false;  // machine AMD64 and a PE32+ optional header
    std::vector<std::string> names;
};

// False with `error` set when the bytes are no PE image with an export table.
bool ReadPeExports(const std::string& bytes, PeExports& out, std::string& error);

}  // namespace package
