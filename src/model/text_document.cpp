#include "model/text_document.h"

#include <cstring>

#include "core/driver_error.h"
#include "model/xml_reader.h"

namespace zarvik {

namespace {

std::string AttributeText(const XmlElement& element, const char* name) {
    const char* value = element.Attribute(name);
    return value != nullptr ? value : "";
}

void AddString(rapidjson::Value& object, const char* key, const std::string& text,
               rapidjson::Document::AllocatorType& allocator) {
    object.AddMember(rapidjson::StringRef(key), rapidjson::Value(text.c_str(), allocator),
                     allocator);
}

}  // namespace

std::vector<TextDocumentLine> ReadTextDocument(const std::string& xml) {
    XmlDocument document;
    if (document.Parse(xml.data(), xml.size()) != XmlParseResult::Success) {
        throw InputDataError("текстовый документ не является корректным XML");
    }
    const XmlElement* root = document.RootElement();
    if (root == nullptr) throw InputDataError("в текстовом документе отсутствует корневой элемент");
    const XmlElement* positions = root->FirstChildElement("Positions");
    if (positions == nullptr) throw InputDataError("отсутствует элемент Positions");

    std::vector<TextDocumentLine> lines;
    for (const XmlElement* child = positions->FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement()) {
        TextDocumentLine line;
        if (std::strcmp(child->Name(), "TextString") == 0) {
            line.LineType = TextDocumentLine::Kind::TextString;
            line.Text = AttributeText(*child, "Text");
        } else if (std::strcmp(child->Name(), "Barcode") == 0) {
            line.LineType = TextDocumentLine::Kind::Barcode;
            line.BarcodeType = AttributeText(*child, "Type");
            line.Barcode = AttributeText(*child, "ValueBase64");
        } else {
            continue;  // not a line the companion application could print
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

rapidjson::Value TextDocumentToJson(const std::vector<TextDocumentLine>& lines,
                                    rapidjson::Document::AllocatorType& allocator) {
    rapidjson::Value array(rapidjson::kArrayType);
    for (const auto& line : lines) {
        rapidjson::Value object(rapidjson::kObjectType);
        if (line.LineType == TextDocumentLine::Kind::TextString) {
            object.AddMember("LineType", "TextString", allocator);
            AddString(object, "Text", line.Text, allocator);
        } else {
            // Type before value here, unlike the barcodes of a receipt.
            object.AddMember("LineType", "Barcode", allocator);
            AddString(object, "BarcodeType", line.BarcodeType, allocator);
            AddString(object, "Barcode", line.Barcode, allocator);
        }
        array.PushBack(object, allocator);
    }
    return array;
}

}  // namespace zarvik
