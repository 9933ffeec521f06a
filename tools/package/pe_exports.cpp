#include "pe_exports.h"

#include <cstdint>

namespace package {

namespace {

bool Le(const std::string& bytes, size_t at, int width, uint32_t& value) {
    if (at + static_cast<size_t>(width) > bytes.size()) return false;
    value = 0;
    for (int i = width - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
    }
    return true;
}

struct Section {
    uint32_t address = 0;
    uint32_t size = 0;
    uint32_t rawOffset = 0;
};

bool FileOffset(const std::vector<Section>& sections, uint32_t rva, size_t& offset) {
    for (const Section& section : sections) {
        if (rva >= section.address && rva < section.address + section.size) {
            offset = section.rawOffset + (rva - section.address);
            return true;
        }
    }
    return false;
}

constexpr uint32_t kPe32 = 0x10B;
constexpr uint32_t kPe32Plus = 0x20B;

}  // namespace

bool ReadPeExports(const std::string& bytes, PeExports& out, std::string& error) {
    error = "not a PE image with an export table";
    uint32_t pe = 0, signature = 0, machine = 0, sectionCount = 0, optionalSize = 0, magic = 0;
    if (bytes.compare(0, 2, "MZ") != 0 || !Le(bytes, 0x3C, 4, pe) || !Le(bytes, pe, 4, signature) ||
        signature != 0x00004550 || !Le(bytes, pe + 4, 2, machine) ||
        !Le(bytes, pe + 6, 2, sectionCount) || !Le(bytes, pe + 20, 2, optionalSize)) {
        return false;
    }
    const size_t optional = pe + 24;
    if (!Le(bytes, optional, 2, magic)) return false;
    out.machine = machine;
    out.pe32Plus = magic == kPe32Plus;
    // The export table is data directory 0, after the 96 bytes of PE32 fields
    // or the 112 of PE32+.
    uint32_t exportRva = 0;
    if ((magic != kPe32 && magic != kPe32Plus) ||
        !Le(bytes, optional + (out.pe32Plus ? 112 : 96), 4, exportRva) || exportRva == 0) {
        return false;
    }
    std::vector<Section> sections;
    const size_t table = optional + optionalSize;
    for (uint32_t i = 0; i < sectionCount; ++i) {
        const size_t header = table + 40 * static_cast<size_t>(i);
        Section section;
        uint32_t virtualSize = 0, rawSize = 0;
        if (!Le(bytes, header + 8, 4, virtualSize) || !Le(bytes, header + 12, 4, section.address) ||
            !Le(bytes, header + 16, 4, rawSize) || !Le(bytes, header + 20, 4, section.rawOffset)) {
            return false;
        }
        section.size = virtualSize > rawSize ? virtualSize : rawSize;
        sections.push_back(section);
    }
    size_t directory = 0;
    uint32_t nameCount = 0, namesRva = 0;
    if (!FileOffset(sections, exportRva, directory) || !Le(bytes, directory + 24, 4, nameCount) ||
        !Le(bytes, directory + 32, 4, namesRva)) {
        return false;
    }
    size_t names = 0;
    if (!FileOffset(sections, namesRva, names)) return false;
    for (uint32_t i = 0; i < nameCount; ++i) {
        uint32_t nameRva = 0;
        size_t name = 0;
        if (!Le(bytes, names + 4 * static_cast<size_t>(i), 4, nameRva) ||
            !FileOffset(sections, nameRva, name) || name >= bytes.size()) {
            return false;
        }
        const size_t end = bytes.find('\0', name);
        if (end == std::string::npos) return false;
        out.names.push_back(bytes.substr(name, end - name));
    }
    error.clear();
    return true;
}

}  // namespace package
