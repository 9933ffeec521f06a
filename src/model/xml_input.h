// The platform's documents (input parameters, check package, marking request,
// text document) as pugixml reads them: in place, in the text the call already
// holds. Entity and character references are decoded and line ends become
// LF; attribute values keep their whitespace as written. Elements are matched
// by exact name; data live in attributes.
#pragma once

#include <pugixml.hpp>
#include <string>

namespace zarvik {

using XmlElement = pugi::xml_node;

// Parses `text` in place (it is changed, and must outlive `document`) and
// gives the first element of the document. Text that is not well-formed XML
// is code 8 `notXml` (with the line of the fault when `withLine`), text of
// nothing but whitespace code 8 `empty`, and a document without an element
// code 8 `noRoot`.
XmlElement ParseDocument(pugi::xml_document& document, std::string& text, const char* notXml,
                         const char* empty, const char* noRoot, bool withLine = false);

// The first child element of that name; its absence is code 8 naming it.
XmlElement RequiredChild(const XmlElement& parent, const char* name);

// The attribute's text as "%lf" reads it, 0 when absent. A fiscal number that
// reads as nan or inf is refused here, where numbers enter, as code 8 naming
// the attribute and `where`: JSON cannot carry it.
double ScanFinite(const char* text, const char* attribute, const std::string& where);

}  // namespace zarvik
