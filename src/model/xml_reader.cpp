#include "model/xml_reader.h"

#include <cstring>

namespace zarvik {

namespace {

// tinyxml2 refuses to go deeper: the content of the 99th nested element.
constexpr size_t kMaxDepth = 100;

// Byte classes as tinyxml2 sees them in the "C" locale; every byte from 128
// on may be part of a name.
enum : uint8_t {
    kSpace = 1,
    kNameStart = 2,
    kName = 4,
    kValueStop = 8,  // ends a plain run inside an attribute value
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

constexpr ByteClasses kClasses;

inline uint8_t ClassOf(char c) { return kClasses.of[static_cast<unsigned char>(c)]; }

inline char* SkipSpace(char* p, int& line) {
    while (ClassOf(*p) & kSpace) {
        if (*p == '\n') ++line;
        ++p;
    }
    return p;
}

inline char* SkipName(char* p) {
    while (ClassOf(*p) & kName) ++p;
    return p;
}

// The first `tag` from p on, counting the lines passed; null when the text
// ends first.
char* FindTag(char* p, const char* tag, size_t length, int& line) {
    for (; *p; ++p) {
        if (*p == *tag && std::strncmp(p, tag, length) == 0) return p;
        if (*p == '\n') ++line;
    }
    return nullptr;
}

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
        semicolon = static_cast<const char*>(std::memchr(from, ';', end - from));
        if (!semicolon) semicolon = end;
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

// Decodes [start, end) in place into a NUL-terminated text. Line ends (CR LF,
// LF CR, a lone CR) become LF. An unknown entity passes its '&' by moving
// both positions without a copy, so once an earlier reference shortened the
// text the byte already at the write position stays: tinyxml2's result,
// kept byte for byte.
void DecodeValue(char* start, char* end) {
    *end = 0;
    const char* p = start;
    char* q = start;
    const char* semicolon = start;
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
            for (const Entity& entity : kEntities) {
                if (std::strncmp(p + 1, entity.name, entity.length) == 0 &&
                    p[entity.length + 1] == ';') {
                    found = &entity;
                    break;
                }
            }
            if (found) {
                *q++ = found->value;
                p += found->length + 2;
            } else {
                ++p;
                ++q;
            }
        }
    }
    *q = 0;
}

}  // namespace

const char* XmlElement::Attribute(const char* name) const {
    for (const XmlAttribute* a = firstAttribute_; a; a = a->Next()) {
        if (std::strcmp(a->Name(), name) == 0) return a->Value();
    }
    return nullptr;
}

const XmlElement* XmlElement::FirstChildElement(const char* name) const {
    for (const XmlElement* e = firstChild_; e; e = e->nextSibling_) {
        if (!name || std::strcmp(e->name_, name) == 0) return e;
    }
    return nullptr;
}

const XmlElement* XmlElement::NextSiblingElement(const char* name) const {
    for (const XmlElement* e = nextSibling_; e; e = e->nextSibling_) {
        if (!name || std::strcmp(e->name_, name) == 0) return e;
    }
    return nullptr;
}

XmlParseResult XmlDocument::Parse(const char* text, size_t size) {
    elements_.clear();
    attributes_.clear();
    open_.clear();
    root_ = nullptr;
    errorLine_ = 0;
    if (size == 0 || !text || !*text) return XmlParseResult::EmptyDocument;
    if (size == static_cast<size_t>(-1)) size = std::strlen(text);
    // Like tinyxml2, nothing after a zero byte is read.
    if (const void* zero = std::memchr(text, 0, size)) {
        size = static_cast<size_t>(static_cast<const char*>(zero) - text);
    }
    if (capacity_ < size + 1) {
        buffer_.reset(new char[size + 1]);
        capacity_ = size + 1;
    }
    std::memcpy(buffer_.get(), text, size);
    buffer_[size] = 0;

    int line = 1;
    char* p = SkipSpace(buffer_.get(), line);
    if (static_cast<unsigned char>(p[0]) == 0xEF && static_cast<unsigned char>(p[1]) == 0xBB &&
        static_cast<unsigned char>(p[2]) == 0xBF) {
        p += 3;
    }
    if (!*p) return XmlParseResult::EmptyDocument;
    if (!ParseNodes(p, line)) {
        elements_.clear();
        attributes_.clear();
        return XmlParseResult::Error;
    }
    LinkTree();
    return XmlParseResult::Success;
}

bool XmlDocument::Fail(int line) {
    errorLine_ = line;
    return false;
}

bool XmlDocument::ParseNodes(char* p, int line) {
    bool onlyDeclarations = true;  // at the top level so far
    uint32_t lastTopLevel = 0;
    for (;;) {
        char* const start = p;
        const int startLine = line;
        p = SkipSpace(p, line);
        if (!*p) return open_.empty() || Fail(open_.back().line);
        const int nodeLine = line;
        const bool topLevel = open_.empty();

        if (*p != '<') {
            // Text, read from its leading whitespace on; it must be followed
            // by more than a lone '<'.
            line = startLine;
            char* const next = FindTag(start, "<", 1, line);
            if (!next || !next[1]) return Fail(nodeLine);
            p = next;
            if (topLevel) onlyDeclarations = false;
            continue;
        }
        if (p[1] == '?') {
            // Declarations only at the very beginning of the document.
            p = FindTag(p + 2, "?>", 2, line);
            if (!p || !topLevel || !onlyDeclarations) return Fail(nodeLine);
            p += 2;
            continue;
        }
        if (p[1] == '!') {
            const char* end = ">";
            size_t skip = 2;
            if (std::strncmp(p, "<!--", 4) == 0) {
                end = "-->";
                skip = 4;
            } else if (std::strncmp(p, "<![CDATA[", 9) == 0) {
                end = "]]>";
                skip = 9;
            }
            const size_t endLength = std::strlen(end);
            p = FindTag(p + skip, end, endLength, line);
            if (!p) return Fail(nodeLine);
            p += endLength;
            if (topLevel) onlyDeclarations = false;
            continue;
        }

        // A start, end or empty-element tag.
        if (topLevel) onlyDeclarations = false;
        p = SkipSpace(p + 1, line);
        const bool endTag = *p == '/';
        if (endTag) ++p;
        if (!(ClassOf(*p) & kNameStart)) return Fail(nodeLine);
        char* const name = p;
        char* const nameEnd = SkipName(p + 1);
        p = nameEnd;
        const size_t attributeBegin = attributes_.size();
        bool empty = false;
        for (;;) {
            p = SkipSpace(p, line);
            if (ClassOf(*p) & kNameStart) {
                const int attributeLine = line;
                char* const attributeName = p;
                char* const attributeNameEnd = SkipName(p + 1);
                p = attributeNameEnd;
                if (!*p) return Fail(attributeLine);
                p = SkipSpace(p, line);
                if (*p != '=') return Fail(attributeLine);
                p = SkipSpace(p + 1, line);
                const char quote = *p;
                if (quote != '"' && quote != '\'') return Fail(attributeLine);
                char* const value = ++p;
                bool decode = false;
                for (;; ++p) {
                    const char c = *p;
                    if (!(ClassOf(c) & kValueStop)) continue;
                    if (c == quote) break;
                    if (c == '\n') {
                        ++line;
                    } else if (c == 0) {
                        return Fail(attributeLine);
                    } else if (c == '&' || c == '\r') {
                        decode = true;
                    }
                }
                char* const valueEnd = p++;
                const size_t nameLength = static_cast<size_t>(attributeNameEnd - attributeName);
                for (size_t i = attributeBegin; i < attributes_.size(); ++i) {
                    const char* other = attributes_[i].name_;
                    if (std::strncmp(other, attributeName, nameLength) == 0 &&
                        other[nameLength] == 0) {
                        return Fail(attributeLine);  // the same name twice
                    }
                }
                *attributeNameEnd = 0;
                if (decode) {
                    DecodeValue(value, valueEnd);
                } else {
                    *valueEnd = 0;
                }
                attributes_.emplace_back();
                attributes_.back().name_ = attributeName;
                attributes_.back().value_ = value;
                continue;
            }
            if (*p == '>') {
                ++p;
                break;
            }
            if (*p == '/' && p[1] == '>') {
                p += 2;
                empty = true;
                break;
            }
            return Fail(nodeLine);
        }
        *nameEnd = 0;

        // "</a/>" is an empty element a, as in tinyxml2.
        if (endTag && !empty) {
            // An end tag at the top level ends the document.
            if (open_.empty()) {
                attributes_.resize(attributeBegin);
                return true;
            }
            const OpenElement& current = open_.back();
            if (std::strcmp(elements_[current.element].name_, name) != 0) {
                return Fail(current.line);
            }
            attributes_.resize(attributeBegin);
            open_.pop_back();
            continue;
        }

        const uint32_t index = static_cast<uint32_t>(elements_.size());
        elements_.emplace_back();
        XmlElement& element = elements_.back();
        element.name_ = name;
        element.attributeBegin_ = static_cast<uint32_t>(attributeBegin);
        element.attributeEnd_ = static_cast<uint32_t>(attributes_.size());
        if (open_.empty()) {
            if (index != 0) elements_[lastTopLevel].nextSiblingIndex_ = index;
            lastTopLevel = index;
        } else {
            OpenElement& parent = open_.back();
            if (parent.lastChild) {
                elements_[parent.lastChild].nextSiblingIndex_ = index;
            } else {
                elements_[parent.element].firstChildIndex_ = index;
            }
            parent.lastChild = index;
        }
        if (empty) continue;
        if (!*p) return Fail(nodeLine);  // the text ends right after a start tag
        if (open_.size() + 2 >= kMaxDepth) return Fail(line);
        open_.push_back(OpenElement{index, 0, nodeLine});
    }
}

void XmlDocument::LinkTree() {
    for (XmlElement& element : elements_) {
        element.firstChild_ =
            element.firstChildIndex_ ? &elements_[element.firstChildIndex_] : nullptr;
        element.nextSibling_ =
            element.nextSiblingIndex_ ? &elements_[element.nextSiblingIndex_] : nullptr;
        const uint32_t begin = element.attributeBegin_;
        const uint32_t end = element.attributeEnd_;
        element.firstAttribute_ = begin < end ? &attributes_[begin] : nullptr;
        for (uint32_t i = begin; i < end; ++i) {
            attributes_[i].next_ = i + 1 < end ? &attributes_[i + 1] : nullptr;
        }
    }
    root_ = elements_.empty() ? nullptr : &elements_[0];
}

}  // namespace zarvik
