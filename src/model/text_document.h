// A non-fiscal text document: text lines and barcodes in document order. The
// companion application lays them out; we only keep the order and the kind.
#pragma once

#include <string>
#include <vector>

namespace zarvik {

struct TextDocumentLine {
    enum class Kind { TextString, Barcode };

    Kind LineType = Kind::TextString;
    std::string Text;         // a text line's text
    std::string BarcodeType;  // free text, passed on unchanged
    std::string Barcode;      // the value, still Base64
};

// The root element's first `Positions` child, its `TextString` and `Barcode`
// children in order; children of other names are skipped and a missing
// attribute reads as empty. Text that does not parse, or has no root or no
// `Positions`, is code 8.
std::vector<TextDocumentLine> ReadTextDocument(std::string xml);

// The compact JSON text of an array with one object per line; every member is
// written, empty or not, up to its first zero byte.
std::string TextDocumentToJson(const std::vector<TextDocumentLine>& lines);

}  // namespace zarvik
