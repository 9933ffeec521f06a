// The text document of PrintTextDocument: read it, write its lines as the
// request does, read them back in the same order.
#include <rapidjson/document.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "model/text_document.h"

using namespace zarvik;

namespace {

std::string Member(const rapidjson::Value& object, const char* key) {
    const auto found = object.FindMember(key);
    if (found == object.MemberEnd() || !found->value.IsString())
        fuzz::Fail("a line member went missing");
    return std::string(found->value.GetString(), found->value.GetStringLength());
}

// Strings cross JSON up to their first zero byte, as the platform's text ends there.
std::string UpToZero(const std::string& text) { return text.substr(0, text.find('\0')); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string xml(reinterpret_cast<const char*>(data), size);
    std::vector<TextDocumentLine> lines;
    try {
        lines = ReadTextDocument(xml);
    } catch (const ZarvikKassaErrorException& error) {
        fuzz::ExpectInputRefusal(error);
        return 0;
    }
    const std::string text = TextDocumentToJson(lines);
    rapidjson::Document sent;
    sent.Parse(text.data(), text.size());
    fuzz::Expect(!sent.HasParseError() && sent.IsArray(), "the document JSON does not parse");
    fuzz::Expect(sent.Size() == lines.size(), "lines were lost or added");
    for (rapidjson::SizeType i = 0; i < sent.Size(); ++i) {
        const TextDocumentLine& line = lines[i];
        if (line.LineType == TextDocumentLine::Kind::TextString) {
            fuzz::Expect(Member(sent[i], "LineType") == "TextString", "line kind changed");
            fuzz::Expect(Member(sent[i], "Text") == UpToZero(line.Text), "line text changed");
        } else {
            fuzz::Expect(Member(sent[i], "LineType") == "Barcode", "line kind changed");
            fuzz::Expect(Member(sent[i], "Barcode") == UpToZero(line.Barcode),
                         "barcode value changed");
            fuzz::Expect(Member(sent[i], "BarcodeType") == UpToZero(line.BarcodeType),
                         "barcode type changed");
        }
    }
    return 0;
}
