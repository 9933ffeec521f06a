#include "component/text.h"

#include <cstdint>

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

// The code point at `i`, advancing `i` past it; an unpaired surrogate gives
// U+FFFD.
template <typename Unit>
char32_t NextCodePoint(const Unit* text, size_t length, size_t& i) {
    const char32_t unit = static_cast<char16_t>(text[i++]);
    if (unit < 0xD800 || unit > 0xDFFF) return unit;
    if (unit <= 0xDBFF && i < length) {
        const char32_t low = static_cast<char16_t>(text[i]);
        if (low >= 0xDC00 && low <= 0xDFFF) {
            ++i;
            return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        }
    }
    return kReplacement;
}

char* PutUtf8(char* p, char32_t c) {
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
    return p;
}

// Measured first, then written in place: a receipt of thousands of positions
// arrives here as megabytes. A surrogate pair counts six bytes for its four;
// the end is trimmed.
template <typename Unit>
void EncodeUtf8(const Unit* text, size_t length, std::string& out) {
    size_t size = length;
    for (size_t i = 0; i < length; ++i) {
        const auto unit = static_cast<char16_t>(text[i]);
        size += (unit >= 0x80) + (unit >= 0x800);
    }
    out.resize(size);
    char* const start = &out[0];
    char* p = start;
    for (size_t i = 0; i < length;) {
        // Markup and most values are ASCII.
        if (text[i] < 0x80) {
            *p++ = static_cast<char>(text[i++]);
        } else {
            p = PutUtf8(p, NextCodePoint(text, length, i));
        }
    }
    out.resize(static_cast<size_t>(p - start));
}

size_t PlatformLength(const WCHAR_T* text) {
    size_t length = 0;
    while (text[length] != 0) ++length;
    return length;
}

}  // namespace

std::string Utf16ToUtf8(const char16_t* text, size_t length) {
    std::string out;
    EncodeUtf8(text, length, out);
    return out;
}

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

// Every byte of `out` up to its new size is written over, so the text held
// before needs no clearing (which would cost zero-filling it again).
void GetInString(const tVariant& param, std::string& out) {
    if (param.vt != VTYPE_PWSTR || param.pwstrVal == nullptr) {
        out.clear();
        return;
    }
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
