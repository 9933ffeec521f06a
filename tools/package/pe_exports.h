// The names a Windows DLL exports, read from its PE export directory, so that
// the package can be checked on Linux without loading the DLL.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace package {

constexpr uint32_t kMachineI386 = 0x14C;
constexpr uint32_t kMachineAmd64 = 0x8664;

struct PeExports {
    uint32_t machine = 0;   // the COFF header's machine type
    bool pe32Plus = false;  // the 64-bit optional header
    std::vector<std::string> names;
};

// False with `error` set when the bytes are no PE image with an export table.
bool ReadPeExports(const std::string& bytes, PeExports& out, std::string& error);

}  // namespace package
