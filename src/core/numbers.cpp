#include "core/numbers.h"

#include <charconv>
#include <limits>

#ifndef _WIN32
#include <locale.h>
#include <stdlib.h>

#include <cstdio>
#endif

namespace zarvik {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

template <typename T>
std::string ToChars(T value) {
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    (void)ec;
    return std::string(buffer, end);
}

#ifndef _WIN32
// The "C" locale as an object of its own: the conversions use it for this
// thread only, whatever setlocale says for the process. glibc hands out its
// built-in object for "C", so this cannot fail.
locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
    return c;
}
#endif

}  // namespace

std::string FormatInt(int32_t value) { return ToChars(value); }

std::string FormatUnsigned(uint32_t value) { return ToChars(value); }

// On Windows the compilers (mingw-w64 GCC 12, MSVC) have the floating-point
// to_chars and from_chars, while msvcrt's own printf writes three exponent
// digits and its strtod knows no hexadecimal, "inf" or "nan". Debian 11's
// GCC 10 lacks them; glibc's conversions give the same texts.
std::string FormatDouble(double value) {
#ifdef _WIN32
    char buffer[64];
    auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
    (void)ec;
    return std::string(buffer, end);
#else
    char buffer[64];
    const locale_t previous = uselocale(CLocale());
    const int length = std::snprintf(buffer, sizeof buffer, "%.17g", value);
    uselocale(previous);
    return std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0);
#endif
}

int32_t ScanInt(const char* text) {
    if (text == nullptr) return 0;
    while (IsBlank(*text)) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    // Saturate like strtoll, then keep the low 32 bits like the runtime's store.
    constexpr uint64_t kLimit = uint64_t{1} << 63;
    uint64_t magnitude = 0;
    bool any = false;
    for (; *text >= '0' && *text <= '9'; ++text) {
        any = true;
        if (magnitude < kLimit) magnitude = magnitude * 10 + static_cast<uint64_t>(*text - '0');
    }
    if (!any) return 0;
    int64_t value;
    if (negative) {
        value = magnitude >= kLimit ? std::numeric_limits<int64_t>::min()
                                    : -static_cast<int64_t>(magnitude);
    } else {
        value = magnitude >= kLimit ? std::numeric_limits<int64_t>::max()
                                    : static_cast<int64_t>(magnitude);
    }
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

double ScanDouble(const char* text) {
    if (text == nullptr) return 0.0;
#ifdef _WIN32
    while (IsBlank(*text)) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    if (*text == '+' || *text == '-') return 0.0;  // a second sign is not a number
    std::chars_format format = std::chars_format::general;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text += 2;
        format = std::chars_format::hex;
    }
    const char* end = text;
    while (*end != '\0') ++end;
    double value = 0.0;
    auto result = std::from_chars(text, end, value, format);
    if (result.ec == std::errc::result_out_of_range) {
        // The runtime gives HUGE_VAL on overflow and zero on underflow.
        bool tinyExponent = false;
        for (const char* p = text; p < result.ptr; ++p) {
            if (*p == 'e' || *p == 'E' ||
                (format == std::chars_format::hex && (*p == 'p' || *p == 'P'))) {
                tinyExponent = p[1] == '-';
            }
        }
        value = tinyExponent ? 0.0 : std::numeric_limits<double>::infinity();
    } else if (result.ec != std::errc()) {
        return 0.0;
    }
    return negative ? -value : value;
#else
    // HUGE_VAL on overflow and zero on underflow, as sscanf gives.
    return strtod_l(text, nullptr, CLocale());
#endif
}

}  // namespace zarvik
