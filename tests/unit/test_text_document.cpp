#include <gtest/gtest.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "core/driver_error.h"
#include "model/text_document.h"

namespace zarvik {
namespace {

std::string DocumentJson(const std::string& xml) {
    rapidjson::Document document;
    rapidjson::Value value = TextDocumentToJson(ReadTextDocument(xml), document.GetAllocator());
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    value.Accept(writer);
    return buffer.GetString();
}

std::string FailureMessage(const std::string& xml) {
    try {
        ReadTextDocument(xml);
    } catch (const ZarvikKassaErrorException& error) {
        EXPECT_EQ(error.code, DriverErrorCode::InputDataError);
        return error.message;
    }
    return "no error";
}

TEST(TextDocument, LinesKeepDocumentOrderAndBarcodeTypeComesFirst) {
    EXPECT_EQ(DocumentJson("<Document><Positions>"
                           "<TextString Text=\"Спасибо за покупку\"/>"
                           "<Barcode Type=\"QR\" ValueBase64=\"aGVsbG8=\"/>"
                           "<TextString Text=\"  до свидания  \"/>"
                           "</Positions></Document>"),
              "[{\"LineType\":\"TextString\",\"Text\":\"Спасибо за покупку\"},"
              "{\"LineType\":\"Barcode\",\"BarcodeType\":\"QR\",\"Barcode\":\"aGVsbG8=\"},"
              "{\"LineType\":\"TextString\",\"Text\":\"  до свидания  \"}]");
}

TEST(TextDocument, EmptyPositionsGiveAnEmptyArray) {
    EXPECT_EQ(DocumentJson("<Document><Positions/></Document>"), "[]");
    EXPECT_EQ(DocumentJson("<Document><Positions> <!-- none --> text </Positions></Document>"),
              "[]");
}

TEST(TextDocument, MissingAttributesAreSentEmpty) {
    EXPECT_EQ(DocumentJson("<D><Positions><TextString/><Barcode/><Barcode Type=\"EAN13\"/>"
                           "</Positions></D>"),
              "[{\"LineType\":\"TextString\",\"Text\":\"\"},"
              "{\"LineType\":\"Barcode\",\"BarcodeType\":\"\",\"Barcode\":\"\"},"
              "{\"LineType\":\"Barcode\",\"BarcodeType\":\"EAN13\",\"Barcode\":\"\"}]");
}

TEST(TextDocument, ChildrenOfOtherNamesAreSkipped) {
    EXPECT_EQ(DocumentJson("<D><Positions><Picture Data=\"x\"/><textstring Text=\"a\"/>"
                           "<TextString Text=\"b\"/></Positions></D>"),
              "[{\"LineType\":\"TextString\",\"Text\":\"b\"}]");
}

TEST(TextDocument, OnlyTheFirstPositionsIsRead) {
    EXPECT_EQ(DocumentJson("<D><Positions><TextString Text=\"1\"/></Positions>"
                           "<Positions><TextString Text=\"2\"/></Positions></D>"),
              "[{\"LineType\":\"TextString\",\"Text\":\"1\"}]");
}

TEST(TextDocument, ControlCharactersAndQuotesAreEscaped) {
    EXPECT_EQ(DocumentJson("<D><Positions><TextString Text=\"a&#9;&quot;b&quot;\\&#29;\"/>"
                           "</Positions></D>"),
              "[{\"LineType\":\"TextString\",\"Text\":\"a\\t\\\"b\\\"\\\\\\u001D\"}]");
}

TEST(TextDocument, UnusableDocumentIsAnInputDataError) {
    EXPECT_EQ(FailureMessage("<D><Positions></D>"),
              "Некорректные входные данные: текстовый документ не является корректным XML");
    EXPECT_EQ(FailureMessage("<?xml version=\"1.0\"?>"),
              "Некорректные входные данные: в текстовом документе отсутствует корневой элемент");
    EXPECT_EQ(FailureMessage("<D><TextString Text=\"a\"/></D>"),
              "Некорректные входные данные: отсутствует элемент Positions");
    EXPECT_EQ(FailureMessage("<Positions><TextString Text=\"a\"/></Positions>"),
              "Некорректные входные данные: отсутствует элемент Positions");
}

}  // namespace
}  // namespace zarvik
