#include "model/xml_reader.h"

#include <cstring>
#include <new>

#include "model/xml_scan.h"

namespace zarvik {

using namespace xml;

namespace {

// tinyxml2 refuses to go deeper: the content of the 99th nested element.
constexpr size_t kMaxDepth = 100;

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
    if (size > static_cast<size_t>(-1) - 1 - kScanPadding) throw std::bad_alloc();
    const size_t needed = size + 1 + kScanPadding;
    if (capacity_ < needed) {
        buffer_.reset(new char[needed]);
        capacity_ = needed;
    }
    // Like tinyxml2, every scan stops at the first zero byte.
    std::memcpy(buffer_.get(), text, size);
    // Defined bytes beyond the end too: the scans read them.
    std::memset(buffer_.get() + size, 0, 1 + kScanPadding);

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
        uint64_t names = 0;  // a bit per attribute name of this tag
        bool empty = false;
        for (;;) {
            p = SkipSpace(p, line);
            if (ClassOf(*p) & kNameStart) {
                const int attributeLine = line;
                char* const attributeName = p;
                char* const attributeNameEnd = SkipName(p + 1);
                p = attributeNameEnd;
                if (p[0] != '=' || (p[1] != '"' && p[1] != '\'')) {  // not the usual name="
                    if (!*p) return Fail(attributeLine);
                    p = SkipSpace(p, line);
                    if (*p != '=') return Fail(attributeLine);
                    p = SkipSpace(p + 1, line);
                    if (*p != '"' && *p != '\'') return Fail(attributeLine);
                } else {
                    ++p;
                }
                const char quote = *p;
                char* const value = ++p;
                const ValueScan scan = ScanValue(value, quote, line);
                if (!scan.end) return Fail(attributeLine);
                p = scan.end + 1;
                // The same name twice? A bit per name length and ends skips most
                // comparisons. Earlier names lie before this one in the buffer, so
                // reading one at this name's length stays inside it.
                const size_t nameLength = static_cast<size_t>(attributeNameEnd - attributeName);
                const uint64_t bit = uint64_t{1}
                                     << ((nameLength +
                                          static_cast<unsigned char>(attributeNameEnd[-1]) * 7u +
                                          static_cast<unsigned char>(*attributeName)) &
                                         63u);
                if (names & bit) {
                    for (size_t i = attributeBegin; i < attributes_.size(); ++i) {
                        const char* other = attributes_[i].name_;
                        if (other[nameLength] == 0 && other[0] == attributeName[0] &&
                            std::memcmp(other, attributeName, nameLength) == 0) {
                            return Fail(attributeLine);
                        }
                    }
                }
                names |= bit;
                *attributeNameEnd = 0;
                if (scan.decode) {
                    DecodeValue(scan.change, scan.end);
                } else {
                    *scan.end = 0;
                }
                if (attributes_.size() > attributeBegin) attributes_.back().last_ = false;
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
    }
    root_ = elements_.empty() ? nullptr : &elements_[0];
}

}  // namespace zarvik
