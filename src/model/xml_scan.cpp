#include "model/xml_scan.h"

namespace zarvik::xml {

namespace {

struct Entity {
    const char* name;
    size_t length;
    char value;
};

const Entity kEntities[] = {
    {"quot", 4, '"'}, {"amp", 3, '&'}, {"apos", 4, '\''}, {"lt", 2, '<'}, {"gt", 2, '>'},
};

// tinyxml2's encoder: up to 0x1FFFFF, nothing at all beyond.
int EncodeUtf8(unsigned long code, char* out) {
    int length;
    if (code < 0x80) {
        out[0] = static_cast<char>(code);
        return 1;
    } else if (code < 0x800) {
        length = 2;
    } else if (code < 0x10000) {
        length = 3;
    } else if (code < 0x200000) {
        length = 4;
    } else {
        return 0;
    }
    static const unsigned char kLead[5] = {0, 0, 0xC0, 0xE0, 0xF0};
    for (int i = length - 1; i > 0; --i) {
        out[i] = static_cast<char>((code & 0x3F) | 0x80);
        code >>= 6;
    }
    out[0] = static_cast<char>(code | kLead[length]);
    return length;
}

// A character reference at p ("&#"): where the text goes on, with its bytes
// in out; null when the '&' stays as written. The digits are read backwards
// from the first ';' with tinyxml2's wrapping arithmetic, so odd references
// ("&#;", "&#x1x41;", twenty digits) decode to the same bytes. `semicolon`
// caches the first ';' not before p (or `end`): many '&#' without one would
// otherwise cost a search each.
const char* ReadCharacterRef(const char* p, const char* end, const char*& semicolon, char* out,
                             int& length) {
    length = 0;
    if (!p[2]) return p + 1;  // tinyxml2 drops the '&' of a trailing "&#"
    const bool hex = p[2] == 'x';
    const char* from = p + (hex ? 3 : 2);
    if (!*from) return nullptr;
    if (semicolon < from) {
        semicolon = from;
        while (semicolon < end && *semicolon != ';') ++semicolon;
    }
    if (semicolon == end) return nullptr;
    unsigned long code = 0;
    unsigned mult = 1;
    const char stop = hex ? 'x' : '#';
    for (const char* q = semicolon - 1; *q != stop; --q) {
        unsigned digit;
        if (*q >= '0' && *q <= '9') {
            digit = static_cast<unsigned>(*q - '0');
        } else if (hex && *q >= 'a' && *q <= 'f') {
            digit = static_cast<unsigned>(*q - 'a' + 10);
        } else if (hex && *q >= 'A' && *q <= 'F') {
            digit = static_cast<unsigned>(*q - 'A' + 10);
        } else {
            return nullptr;
        }
        const unsigned scaled = mult * digit;
        code += scaled;
        mult *= hex ? 16 : 10;
    }
    length = EncodeUtf8(code, out);
    return semicolon + 1;
}

}  // namespace

// Writing never overtakes reading: every reference is longer than its bytes
// ("&#x80;" is two, "&#65536;" four). Line ends (CR LF, LF CR, a lone CR)
// become LF. An unknown entity keeps its '&', as a name written unescaped by
// hand ("Procter & Gamble") should. tinyxml2 passes that '&' without copying
// it, so once an earlier reference has shortened the text it leaves the byte
// already at the write position ("&lt;&x" became "<lx"); here the '&' is
// copied, the one place where this reader differs from tinyxml2.
void DecodeValue(char* change, char* end) {
    *end = 0;
    const char* p = change;
    char* q = change;
    const char* semicolon = change;
    while (p < end) {
        const char c = *p;
        if (c == '\r' || c == '\n') {
            p += p[1] == (c == '\r' ? '\n' : '\r') ? 2 : 1;
            *q++ = '\n';
        } else if (c != '&') {
            *q++ = *p++;
        } else if (p[1] == '#') {
            char bytes[4];
            int length = 0;
            const char* next = ReadCharacterRef(p, end, semicolon, bytes, length);
            if (next) {
                p = next;
                std::memcpy(q, bytes, static_cast<size_t>(length));
                q += length;
            } else {
                *q++ = *p++;
            }
        } else {
            const Entity* found = nullptr;
            // Reading past `end` stays inside the buffer and its padding; the zero
            // at `end` differs from every name, as strncmp would find.
            for (const Entity& entity : kEntities) {
                if (p[1] == entity.name[0] && std::memcmp(p + 1, entity.name, entity.length) == 0 &&
                    p[entity.length + 1] == ';') {
                    found = &entity;
                    break;
                }
            }
            if (found) {
                *q++ = found->value;
                p += found->length + 2;
            } else {
                *q++ = *p++;
            }
        }
    }
    *q = 0;
}

}  // namespace zarvik::xml
