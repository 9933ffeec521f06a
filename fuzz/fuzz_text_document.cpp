// The text document of PrintTextDocument: read it, write its lines as the
// request does, read them back in the same order.

#include "fuzz_support.h"
#include "model/text_document.h"

using namespace zarvik;

namespace {

bool Sent(const rapidjson::Value& line, const char* key, const std::string& value) {
    const auto found = line.FindMember(key);
    return found != line.MemberEnd() && found->value.IsString() &&
           std::string(found->value.GetString(), found->value.GetStringLength()) ==
               fuzz::UpToZero(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<TextDocumentLine> lines;
    if (!fuzz::Accepted([&] { lines = ReadTextDocument(std::string(data, data + size)); })) {
        return 0;
    }
    rapidjson::Document sent;
    fuzz::ParseJson(sent, TextDocumentToJson(lines), "the document JSON does not parse");
    fuzz::Expect(sent.IsArray() && sent.Size() == lines.size(), "lines were lost or added");
    for (rapidjson::SizeType i = 0; i < sent.Size(); ++i) {
        const TextDocumentLine& line = lines[i];
        if (line.LineType == TextDocumentLine::Kind::TextString) {
            fuzz::Expect(
                Sent(sent[i], "LineType", "TextString") && Sent(sent[i], "Text", line.Text),
                "a text line changed on the way");
        } else {
            fuzz::Expect(Sent(sent[i], "LineType", "Barcode") &&
                             Sent(sent[i], "Barcode", line.Barcode) &&
                             Sent(sent[i], "BarcodeType", line.BarcodeType),
                         "a barcode line changed on the way");
        }
    }
    return 0;
}
