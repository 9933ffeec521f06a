#include "model/json_text.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <cstring>

namespace zarvik {

namespace {

// How many bytes from the start need no escaping inside a JSON string.
size_t PlainRun(const char* text, size_t size) {
    size_t i = 0;
#if defined(__SSE2__)
    // Sixteen at a time: a quotation mark, a backslash or a control character.
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i backslash = _mm_set1_epi8('\\');
    const __m128i lastControl = _mm_set1_epi8(0x1F);
    for (; i + 16 <= size; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        const __m128i control = _mm_cmpeq_epi8(_mm_max_epu8(bytes, lastControl), lastControl);
        const __m128i special = _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(bytes, quote), _mm_cmpeq_epi8(bytes, backslash)), control);
        const int mask = _mm_movemask_epi8(special);
        if (mask != 0) return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
    }
#endif
    while (i < size && kJsonEscapes.letter[static_cast<unsigned char>(text[i])] == 0) ++i;
    return i;
}

}  // namespace

void JsonTextStream::AppendName(const char* text, size_t size) {
    const size_t needed = end_ + size + 4;
    if (needed > out_.size()) out_.resize(needed > 2 * out_.size() ? needed : 2 * out_.size());
    char* const start = &out_[0];
    char* p = start + end_;
    const bool escaped = form_ == Form::Escaped;
    if (escaped) *p++ = '\\';
    *p++ = '"';
    std::memcpy(p, text, size);
    p += size;
    if (escaped) *p++ = '\\';
    *p++ = '"';
    end_ = static_cast<size_t>(p - start);
}

void JsonTextStream::AppendString(const char* text, size_t size) {
    // At most seven bytes a byte: a control character as \u001D, escaped once more.
    const size_t needed = end_ + 7 * size + 4;
    if (needed > out_.size()) out_.resize(needed > 2 * out_.size() ? needed : 2 * out_.size());
    const bool escaped = form_ == Form::Escaped;
    char* const start = &out_[0];
    char* p = start + end_;
    if (escaped) *p++ = '\\';
    *p++ = '"';
    size_t i = 0;
    while (i < size) {
        const size_t run = i + PlainRun(text + i, size - i);
        std::memcpy(p, text + i, run - i);
        p += run - i;
        if (run == size) break;
        const auto c = static_cast<unsigned char>(text[run]);
        const char letter = kJsonEscapes.letter[c];
        // The escape's backslash, and in the escaped form a backslash for it
        // and for an escaped quotation mark or backslash.
        if (escaped) *p++ = '\\';
        *p++ = '\\';
        if (letter == 'u') {
            const char rest[5] = {'u', '0', '0', kJsonHexDigits[c >> 4], kJsonHexDigits[c & 0xF]};
            std::memcpy(p, rest, 5);
            p += 5;
        } else {
            if (escaped && (letter == '"' || letter == '\\')) *p++ = '\\';
            *p++ = letter;
        }
        i = run + 1;
    }
    if (escaped) *p++ = '\\';
    *p++ = '"';
    end_ = static_cast<size_t>(p - start);
}

}  // namespace zarvik
