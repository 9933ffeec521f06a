#include "model/text_document.h"

#include <cstring>

#include "model/json_text.h"
#include "model/xml_input.h"

namespace zarvik {

std::vector<TextDocumentLine> ReadTextDocument(std::string xml) {
    const char* const kNotXml = "текстовый документ не является корректным XML";
    pugi::xml_document document;
    const XmlElement positions =
        RequiredChild(ParseDocument(document, xml, kNotXml, kNotXml,
                                    "в текстовом документе отсутствует корневой элемент"),
                      "Positions");

    std::vector<TextDocumentLine> lines;
    for (const XmlElement child : positions.children()) {
        if (child.type() != pugi::node_element) continue;
        TextDocumentLine line;
        if (std::strcmp(child.name(), "TextString") == 0) {
            line.LineType = TextDocumentLine::Kind::TextString;
            line.Text = child.attribute("Text").value();
        } else if (std::strcmp(child.name(), "Barcode") == 0) {
            line.LineType = TextDocumentLine::Kind::Barcode;
            line.BarcodeType = child.attribute("Type").value();
            line.Barcode = child.attribute("ValueBase64").value();
        } else {
            continue;  // not a line the companion application could print
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string TextDocumentToJson(const std::vector<TextDocumentLine>& lines) {
    return JsonText([&](JsonTextWriter& writer) {
        const auto member = [&](const char* key, const std::string& text) {
            writer.Name(key);
            writer.Text(text.c_str(), std::strlen(text.c_str()));
        };
        writer.StartArray();
        for (const auto& line : lines) {
            writer.StartObject();
            if (line.LineType == TextDocumentLine::Kind::TextString) {
                member("LineType", "TextString");
                member("Text", line.Text);
            } else {
                // Type before value here, unlike the barcodes of a receipt.
                member("LineType", "Barcode");
                member("BarcodeType", line.BarcodeType);
                member("Barcode", line.Barcode);
            }
            writer.EndObject();
        }
        writer.EndArray();
    });
}

}  // namespace zarvik
