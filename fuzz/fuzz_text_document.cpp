// The text document of PrintTextDocument: read it, write its lines as the
// request does, read them back in the same order.

#include "fuzz_support.h"
#include "model/text_document.h"

using namespace zarvik;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto lines = fuzz::ReadInput(data, size, ReadTextDocument);
    if (!lines) return 0;
    const auto sent =
        fuzz::ParseJson(TextDocumentToJson(*lines), "the document JSON does not parse");
    fuzz::Expect(sent.IsArray() && sent.Size() == lines->size(), "lines were lost or added");
    for (rapidjson::SizeType i = 0; i < sent.Size(); ++i) {
        const TextDocumentLine& line = (*lines)[i];
        const auto sends = [&](const char* key, const std::string& value) {
            return fuzz::Text(sent[i], key) == fuzz::UpToZero(value);
        };
        if (line.LineType == TextDocumentLine::Kind::TextString) {
            fuzz::Expect(sends("LineType", "TextString") && sends("Text", line.Text),
                         "a text line changed on the way");
        } else {
            fuzz::Expect(sends("LineType", "Barcode") && sends("Barcode", line.Barcode) &&
                             sends("BarcodeType", line.BarcodeType),
                         "a barcode line changed on the way");
        }
    }
    return 0;
}
