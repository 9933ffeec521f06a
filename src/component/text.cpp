#include "component/text.h"

#include <cstdint>
#include <cstring>

namespace zarvik {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (c >> 10));
        out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
}

// One code point from UTF-8 at `i`, advancing `i`; malformed input gives
// U+FFFD and skips one byte.
char32_t DecodeUtf8(const std::string& s, size_t& i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    size_t extra;
    char32_t c;
    char32_t minimum;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, c = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, c = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, c = lead & 0x07, minimum = 0x10000;
    } else {
        ++i;
        return kReplacement;
    }
    if (i + extra >= s.size()) {  // truncated sequence
        ++i;
        return kReplacement;
    }
    for (size_t k = 1; k <= extra; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += extra + 1;
    return c;
}

// Eight UTF-16 units that are all below 0x80.
template <typename Unit>
bool AsciiBlock(const Unit* units) {
    static_assert(sizeof(Unit) == 2, "platform text is UTF-16");
    uint64_t first;
    uint64_t second;
    std::memcpy(&first, units, sizeof first);
    std::memcpy(&second, units + 4, sizeof second);
    return ((first | second) & 0xFF80FF80FF80FF80ULL) == 0;
}

// Calls ascii(first, count) for each run of plain ASCII units and
// sink(codePoint) for every other code point of UTF-16 text; an unpaired
// surrogate gives U+FFFD. Receipts are mostly ASCII, taken eight units at a time.
template <typename Unit, typename Ascii, typename Sink>
void EachCodePoint(const Unit* text, size_t length, Ascii&& ascii, Sink&& sink) {
    size_t i = 0;
    while (i < length) {
        if (i + 8 <= length && AsciiBlock(text + i)) {
            ascii(text + i, 8);
            i += 8;
            continue;
        }
        const char32_t unit = static_cast<char16_t>(text[i]);
        if (unit < 0xD800 || unit > 0xDFFF) {
            sink(unit);
        } else if (unit <= 0xDBFF && i + 1 < length &&
                   static_cast<char16_t>(text[i + 1]) >= 0xDC00 &&
                   static_cast<char16_t>(text[i + 1]) <= 0xDFFF) {
            sink(0x10000 + ((unit - 0xD800) << 10) + (static_cast<char16_t>(text[i + 1]) - 0xDC00));
            ++i;
        } else {
            sink(kReplacement);
        }
        ++i;
    }
}

size_t Utf8Size(char32_t c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

// Measured first and written in place: a receipt of thousands of positions
// arrives here as megabytes, and appending unit by unit costs several times
// the conversion itself.
template <typename Unit>
void EncodeUtf8(const Unit* text, size_t length, std::string& out) {
    size_t size = 0;
    EachCodePoint(
        text, length, [&size](const Unit*, size_t count) { size += count; },
        [&size](char32_t c) { size += Utf8Size(c); });
    out.resize(size);
    if (size == 0) return;
    char* p = &out[0];
    const auto ascii = [&p](const Unit* units, size_t count) {
        for (size_t k = 0; k < count; ++k) *p++ = static_cast<char>(units[k]);
    };
    EachCodePoint(text, length, ascii, [&p](char32_t c) {
        if (c < 0x80) {
            *p++ = static_cast<char>(c);
        } else if (c < 0x800) {
            *p++ = static_cast<char>(0xC0 | (c >> 6));
            *p++ = static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            *p++ = static_cast<char>(0xE0 | (c >> 12));
            *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *p++ = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            *p++ = static_cast<char>(0xF0 | (c >> 18));
            *p++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *p++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    });
}

template <typename Unit>
std::string EncodeUtf8(const Unit* text, size_t length) {
    std::string out;
    EncodeUtf8(text, length, out);
    return out;
}

size_t PlatformLength(const WCHAR_T* text) {
    size_t length = 0;
    while (text[length] != 0) ++length;
    return length;
}

}  // namespace

std::string Utf16ToUtf8(const char16_t* text, size_t length) { return EncodeUtf8(text, length); }

std::string Utf16ToUtf8(const std::u16string& text) {
    return Utf16ToUtf8(text.data(), text.size());
}

std::u16string Utf8ToUtf16(const std::string& text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) AppendUtf16(out, DecodeUtf8(text, i));
    return out;
}

std::u16string FromPlatformText(const WCHAR_T* text) {
    if (text == nullptr) return std::u16string();
    return std::u16string(text, text + PlatformLength(text));
}

std::string GetInString(const tVariant& param) {
    std::string out;
    GetInString(param, out);
    return out;
}

void GetInString(const tVariant& param, std::string& out) {
    out.clear();
    if (param.vt != VTYPE_PWSTR || param.pwstrVal == nullptr) return;
    EncodeUtf8(param.pwstrVal, PlatformLength(param.pwstrVal), out);
}

WCHAR_T* AllocPlatformText(IMemoryManager* memory, const std::u16string& text) {
    if (memory == nullptr) return nullptr;
    void* block = nullptr;
    const size_t bytes = (text.size() + 1) * sizeof(WCHAR_T);
    if (!memory->AllocMemory(&block, static_cast<unsigned long>(bytes)) || block == nullptr) {
        return nullptr;
    }
    auto* out = static_cast<WCHAR_T*>(block);
    for (size_t i = 0; i < text.size(); ++i) out[i] = static_cast<WCHAR_T>(text[i]);
    out[text.size()] = 0;
    return out;
}

void SetOutString(IMemoryManager* memory, const std::u16string& text, tVariant& out) {
    out.vt = VTYPE_PWSTR;
    out.pwstrVal = AllocPlatformText(memory, text);
    out.wstrLen = out.pwstrVal != nullptr ? static_cast<uint32_t>(text.size()) : 0;
}

void SetOutText(IMemoryManager* memory, const std::string& utf8, tVariant& out) {
    SetOutString(memory, Utf8ToUtf16(utf8), out);
}

}  // namespace zarvik
