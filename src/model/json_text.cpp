#include "model/json_text.h"

#include <cstring>

namespace zarvik {

void JsonTextStream::AppendString(const char* text, size_t size) {
    // At most seven bytes a byte: a control character as \u001D, escaped once more.
    const size_t needed = end_ + 7 * size + 4;
    if (needed > out_.size()) out_.resize(needed > 2 * out_.size() ? needed : 2 * out_.size());
    const bool escaped = form_ == Form::Escaped;
    char* const start = &out_[0];
    char* p = start + end_;
    if (escaped) *p++ = '\\';
    *p++ = '"';
    for (size_t i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const char letter = kJsonEscapes.letter[c];
        if (letter == 0) {
            *p++ = static_cast<char>(c);
            continue;
        }
        // The escape's backslash, and in the escaped form a backslash for
        // it and for an escaped quotation mark or backslash.
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
    }
    if (escaped) *p++ = '\\';
    *p++ = '"';
    end_ = static_cast<size_t>(p - start);
}

void JsonTextStream::AppendPlainString(const char* text, size_t size) {
    Reserve(size + 2);
    char* p = &out_[end_];
    const bool escaped = form_ == Form::Escaped;
    if (escaped) *p++ = '\\';
    *p++ = '"';
    std::memcpy(p, text, size);
    p += size;
    if (escaped) *p++ = '\\';
    *p++ = '"';
    end_ = static_cast<size_t>(p - out_.data());
}

}  // namespace zarvik
