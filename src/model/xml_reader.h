// The reader of the platform's XML documents: elements and attributes only,
// built in one pass over a private copy of the text. What it accepts, refuses
// and decodes is exactly what tinyxml2 9.0 does with the same bytes (default
// mode: entities processed, whitespace preserved), line numbers of errors
// included, so the readers may switch between the two without a visible
// difference; except that an unknown entity after a shortening reference
// keeps its '&' where tinyxml2 leaves a stale byte. Text, comments, declarations and the like are
// checked and then dropped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace zarvik {

enum class XmlParseResult { Success, EmptyDocument, Error };

class XmlAttribute {
  public:
    const char* Name() const { return name_; }
    const char* Value() const { return value_; }
    const XmlAttribute* Next() const { return last_ ? nullptr : this + 1; }

  private:
    friend class XmlDocument;
    const char* name_ = nullptr;
    const char* value_ = nullptr;
    bool last_ = true;  // of its element, whose attributes lie side by side
};

class XmlElement {
  public:
    const char* Name() const { return name_; }
    const XmlAttribute* FirstAttribute() const { return firstAttribute_; }
    // The value of the attribute, or null when the element has none of that name.
    const char* Attribute(const char* name) const;
    const XmlElement* FirstChildElement(const char* name = nullptr) const;
    const XmlElement* NextSiblingElement(const char* name = nullptr) const;

  private:
    friend class XmlDocument;
    const char* name_ = nullptr;
    const XmlAttribute* firstAttribute_ = nullptr;
    const XmlElement* firstChild_ = nullptr;
    const XmlElement* nextSibling_ = nullptr;
    // Indices into the document's arrays while they may still grow; 0 is
    // "none" for the links, as the first element is never a child or a
    // later sibling.
    uint32_t firstChildIndex_ = 0;
    uint32_t nextSiblingIndex_ = 0;
    uint32_t attributeBegin_ = 0;
    uint32_t attributeEnd_ = 0;
};

class XmlDocument {
  public:
    XmlDocument() = default;
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // Reads `size` bytes of `text` (up to its first zero byte). Everything a
    // previous Parse returned becomes invalid.
    XmlParseResult Parse(const char* text, size_t size);
    // The 1-based line of the error; 0 after success or an empty document.
    int ErrorLineNum() const { return errorLine_; }
    // The first top-level element; null when there is none or parsing failed.
    const XmlElement* RootElement() const { return root_; }

  private:
    struct OpenElement {
        uint32_t element;
        uint32_t lastChild;  // 0 while it has none
        int line;
    };

    bool ParseNodes(char* p, int line);
    bool Fail(int line);
    void LinkTree();

    std::unique_ptr<char[]> buffer_;
    size_t capacity_ = 0;
    std::vector<XmlElement> elements_;
    std::vector<XmlAttribute> attributes_;
    std::vector<OpenElement> open_;
    const XmlElement* root_ = nullptr;
    int errorLine_ = 0;
};

}  // namespace zarvik
