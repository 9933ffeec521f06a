#include "model/xml_input.h"

#include <algorithm>
#include <cmath>

#include "core/driver_error.h"
#include "core/numbers.h"

namespace zarvik {

namespace {

// Whitespace in attribute values stays as written, as the platform's texts
// (names, addresses) have always arrived.
constexpr unsigned kParseOptions = pugi::parse_escapes | pugi::parse_eol;

}  // namespace

XmlElement ParseDocument(pugi::xml_document& document, std::string& text, const char* notXml,
                         const char* empty, const char* noRoot, bool withLine) {
    if (text.find_first_not_of(" \t\r\n") == std::string::npos) throw InputDataError(empty);
    const pugi::xml_parse_result result =
        document.load_buffer_inplace(text.data(), text.size(), kParseOptions, pugi::encoding_utf8);
    if (!result && result.status != pugi::status_no_document_element) {
        std::string message = notXml;
        if (withLine) {
            const auto end = text.begin() + std::min<std::ptrdiff_t>(result.offset, text.size());
            message += " (строка " + FormatInt(1 + std::count(text.begin(), end, '\n')) + ")";
        }
        throw InputDataError(message);
    }
    const XmlElement root = document.document_element();
    if (!root) throw InputDataError(noRoot);
    return root;
}

XmlElement RequiredChild(const XmlElement& parent, const char* name) {
    const XmlElement child = parent.child(name);
    if (!child) throw InputDataError(std::string("отсутствует элемент ") + name);
    return child;
}

double ScanFinite(const char* text, const char* attribute, const std::string& where) {
    const double value = ScanDouble(text);
    if (!std::isfinite(value)) {
        throw InputDataError(std::string("недопустимое числовое значение атрибута ") + attribute +
                             (where.empty() ? "" : " " + where) + ": " + text);
    }
    return value;
}

}  // namespace zarvik
