// The byte level of the XML reader: classes of bytes as tinyxml2 sees them in
// the "C" locale, the scans over names, values and markup, and the decoding
// of attribute values in place. The scans rely on a zero byte at the end of
// the text followed by kScanPadding more readable bytes, as they look at 16
// bytes at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define ZARVIK_XML_SSE2 1
#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif
#endif

namespace zarvik::xml {

constexpr size_t kScanPadding = 16;

enum : uint8_t {
    kSpace = 1,
    kNameStart = 2,  // letters, ':', '_' and every byte from 128 on
    kName = 4,       // a name start, digits, '.', '-'
    kValueStop = 8,  // zero, quotes, '&', CR, LF
};

struct ByteClasses {
    uint8_t of[256];
    constexpr ByteClasses() : of() {
        for (int c = 0; c < 256; ++c) {
            uint8_t k = 0;
            if (c == ' ' || (c >= '\t' && c <= '\r')) k |= kSpace;
            if (c >= 128 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == ':' ||
                c == '_') {
                k |= kNameStart | kName;
            }
            if ((c >= '0' && c <= '9') || c == '.' || c == '-') k |= kName;
            if (c == 0 || c == '"' || c == '\'' || c == '&' || c == '\r' || c == '\n') {
                k |= kValueStop;
            }
            of[c] = k;
        }
    }
};

inline constexpr ByteClasses kClasses;

inline uint8_t ClassOf(char c) { return kClasses.of[static_cast<unsigned char>(c)]; }

#ifdef ZARVIK_XML_SSE2
inline unsigned LowestBit(unsigned mask) {
#if defined(_MSC_VER) && !defined(__clang__)
    unsigned long index;
    _BitScanForward(&index, mask);
    return static_cast<unsigned>(index);
#else
    return static_cast<unsigned>(__builtin_ctz(mask));
#endif
}

inline __m128i Load16(const char* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Bytes in [low, low + count), compared as unsigned.
inline __m128i InRange(__m128i v, char low, int count) {
    const __m128i shifted = _mm_add_epi8(v, _mm_set1_epi8(static_cast<char>(0x80 - low)));
    return _mm_cmplt_epi8(shifted, _mm_set1_epi8(static_cast<char>(-128 + count)));
}
#endif

inline char* SkipSpace(char* p, int& line) {
    while (ClassOf(*p) & kSpace) {
        line += *p == '\n';
        ++p;
    }
    return p;
}

inline char* SkipName(char* p) {
#ifdef ZARVIK_XML_SSE2
    for (;; p += 16) {
        const __m128i v = Load16(p);
        const __m128i high = _mm_cmplt_epi8(v, _mm_setzero_si128());
        const __m128i letter = InRange(_mm_or_si128(v, _mm_set1_epi8(0x20)), 'a', 26);
        // '-', '.', the digits and ':' are 0x2D..0x3A but for '/'.
        const __m128i punct =
            _mm_andnot_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('/')), InRange(v, '-', 14));
        const __m128i name = _mm_or_si128(
            _mm_or_si128(high, letter), _mm_or_si128(punct, _mm_cmpeq_epi8(v, _mm_set1_epi8('_'))));
        const unsigned other = ~static_cast<unsigned>(_mm_movemask_epi8(name)) & 0xFFFF;
        if (other) return p + LowestBit(other);
    }
#else
    while (ClassOf(*p) & kName) ++p;
    return p;
#endif
}

struct ValueScan {
    char* end = nullptr;     // the closing quote; null when the text ends first
    char* change = nullptr;  // the first '&', CR or LF: decoding starts there
    bool decode = false;     // there is an '&' or a CR
};

// A stop byte of a value at `at`: true once the value or the text ends.
inline bool StopsValue(char* at, char quote, int& line, ValueScan& scan) {
    const char c = *at;
    if (c == quote) {
        scan.end = at;
        return true;
    }
    if (c == 0) return true;
    if (c == '"' || c == '\'') return false;  // the other quote
    if (c == '\n') {
        ++line;
    } else {
        scan.decode = true;
    }
    if (!scan.change) scan.change = at;
    return false;
}

// From just after the opening quote to the closing one, counting lines.
inline ValueScan ScanValue(char* p, char quote, int& line) {
    ValueScan scan;
#ifdef ZARVIK_XML_SSE2
    const __m128i quotes = _mm_set1_epi8(quote);
    for (;; p += 16) {
        const __m128i v = Load16(p);
        const unsigned closing =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, quotes)));
        const __m128i other = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_setzero_si128()),
                                                        _mm_cmpeq_epi8(v, _mm_set1_epi8('&'))),
                                           _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')),
                                                        _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))));
        // Only what comes before the closing quote counts; mostly nothing.
        const unsigned before = (closing - 1) & ~closing;
        for (unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(other)) & before; mask;
             mask &= mask - 1) {
            if (StopsValue(p + LowestBit(mask), quote, line, scan)) return scan;
        }
        if (closing) {
            scan.end = p + LowestBit(closing);
            return scan;
        }
    }
#else
    for (;; ++p) {
        if ((ClassOf(*p) & kValueStop) && StopsValue(p, quote, line, scan)) return scan;
    }
#endif
}

// The first `tag` from p on, counting the lines passed; null when the text
// ends first.
inline char* FindTag(char* p, const char* tag, size_t length, int& line) {
    for (; *p; ++p) {
        if (*p == *tag && std::strncmp(p, tag, length) == 0) return p;
        if (*p == '\n') ++line;
    }
    return nullptr;
}

// Decodes the value [start, end) in place into a zero-terminated text, from
// `change` on (nothing before it changes).
void DecodeValue(char* change, char* end);

}  // namespace zarvik::xml
