#include "component/text.h"

#include <cstring>

namespace zarvik {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

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

}  // namespace

std::string Utf16ToUtf8(const char16_t* text, size_t length) {
    std::string out;
    out.reserve(length * 2);
    for (size_t i = 0; i < length; ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, unit);
        }
    }
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
    std::u16string out;
    if (text == nullptr) return out;
    for (; *text != 0; ++text) out += static_cast<char16_t>(*text);
    return out;
}

std::string GetInString(const tVariant& param) {
    if (param.vt != VTYPE_PWSTR || param.pwstrVal == nullptr) return std::string();
    return Utf16ToUtf8(FromPlatformText(param.pwstrVal));
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
