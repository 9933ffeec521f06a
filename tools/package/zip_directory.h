// The entries of a ZIP archive as its central directory lists them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace package {

struct ZipEntry {
    std::string name;
    uint16_t method = 0;  // 8 is deflate, 0 stored
    uint32_t size = 0;    // uncompressed
};

// False with `error` set when the bytes are no ZIP archive.
bool ReadZipDirectory(const std::string& bytes, std::vector<ZipEntry>& entries, std::string& error);

}  // namespace package
