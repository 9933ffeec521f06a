#include "zip_directory.h"

namespace package {

namespace {

uint32_t Le(const std::string& bytes, size_t at, int width) {
    uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
    }
    return value;
}

constexpr uint32_t kEndOfDirectory = 0x06054b50;
constexpr uint32_t kDirectoryEntry = 0x02014b50;
constexpr size_t kEndSize = 22;
constexpr size_t kEntrySize = 46;

}  // namespace

bool ReadZipDirectory(const std::string& bytes, std::vector<ZipEntry>& entries,
                      std::string& error) {
    if (bytes.size() < kEndSize) {
        error = "too short for a ZIP archive";
        return false;
    }
    // The end record sits last, followed only by an archive comment.
    size_t end = bytes.size() - kEndSize + 1;
    do {
        --end;
    } while (end > 0 && Le(bytes, end, 4) != kEndOfDirectory);
    if (Le(bytes, end, 4) != kEndOfDirectory) {
        error = "no end-of-directory record";
        return false;
    }
    const uint32_t count = Le(bytes, end + 10, 2);
    size_t at = Le(bytes, end + 16, 4);
    for (uint32_t i = 0; i < count; ++i) {
        if (at + kEntrySize > bytes.size() || Le(bytes, at, 4) != kDirectoryEntry) {
            error = "damaged central directory";
            return false;
        }
        ZipEntry entry;
        entry.method = static_cast<uint16_t>(Le(bytes, at + 10, 2));
        entry.size = Le(bytes, at + 24, 4);
        const size_t nameLength = Le(bytes, at + 28, 2);
        const size_t extra = Le(bytes, at + 30, 2);
        const size_t comment = Le(bytes, at + 32, 2);
        if (at + kEntrySize + nameLength > bytes.size()) {
            error = "damaged central directory";
            return false;
        }
        entry.name = bytes.substr(at + kEntrySize, nameLength);
        entries.push_back(entry);
        at += kEntrySize + nameLength + extra + comment;
    }
    return true;
}

}  // namespace package
