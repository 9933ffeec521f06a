#include "model/json_text.h"

#include <cstring>

namespace zarvik {

namespace {

// How many bytes from the start need no escaping inside a JSON string.
size_t PlainRun(const char* text, size_t size) {
    size_t i = 0;
    while (i < size && kJsonEscapes.letter[static_cast<unsigned char>(text[i])] == 0) ++i;
    return i;
}

}  // namespace

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
