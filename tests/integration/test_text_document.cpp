// Text documents end to end: the lines the companion receives, in order.
#include <gtest/gtest.h>

#include <string>

#include "component_fixture.h"
#include "platform_emulator.h"
#include "test_companion.h"

namespace zarvik::test {
namespace {

class TextDocument : public ComponentWithCompanion {
  protected:
    CallOutcome Print(const std::string& document) {
        return component.Call("PrintTextDocument", {Param::Str("1"), Param::Str(document)});
    }
};

TEST_F(TextDocument, TextBarcodeAndTextLinesGoInDocumentOrder) {
    companion.onResult("PrintTextDocument", "null");
    const CallOutcome outcome = Print(
        "<Document><Positions>"
        "<TextString Text=\"Добро пожаловать\"/>"
        "<Barcode Type=\"QR\" ValueBase64=\"aHR0cHM6Ly9leGFtcGxlLnJ1\"/>"
        "<Picture Path=\"logo.bmp\"/>"
        "<TextString Text=\"\"/>"
        "</Positions></Document>");
    EXPECT_TRUE(outcome.result.flag);
    EXPECT_TRUE(component.connection.errors.empty());

    const auto requests = companion.requests();
    ASSERT_EQ(requests.size(), 1u);
    const std::string counter = requests[0].paramList.at(1);
    EXPECT_EQ(requests[0].raw,
              "{\"jsonrpc\":\"2.0\",\"id\":" + requests[0].id +
                  ",\"method\":\"PrintTextDocument\",\"params\":[\"POS-1\"," + counter +
                  R"(,"[{\"LineType\":\"TextString\",\"Text\":\"Добро пожаловать\"},)"
                  R"({\"LineType\":\"Barcode\",\"BarcodeType\":\"QR\",)"
                  R"(\"Barcode\":\"aHR0cHM6Ly9leGFtcGxlLnJ1\"},)"
                  R"({\"LineType\":\"TextString\",\"Text\":\"\"}]"]})"
                  "\r\n");
}

TEST_F(TextDocument, EmptyPositionsSendsAnEmptyList) {
    companion.onResult("PrintTextDocument", R"({"printed":0})");
    EXPECT_TRUE(Print("<Document><Positions/></Document>").result.flag);
    ASSERT_EQ(companion.requests().size(), 1u);
    EXPECT_EQ(companion.requests()[0].paramList.at(2), R"("[]")");
}

TEST_F(TextDocument, BarcodeWithoutItsAttributesIsSentEmpty) {
    companion.onResult("PrintTextDocument", "null");
    EXPECT_TRUE(
        Print("<D><Positions><Barcode Type=\"EAN13\"/><TextString/></Positions></D>").result.flag);
    EXPECT_EQ(companion.requests().at(0).paramList.at(2),
              R"("[{\"LineType\":\"Barcode\",\"BarcodeType\":\"EAN13\",\"Barcode\":\"\"},)"
              R"({\"LineType\":\"TextString\",\"Text\":\"\"}]")");
}

TEST_F(TextDocument, UnusableDocumentSendsNothing) {
    const struct {
        const char* document;
        const char* detail;
    } cases[] = {
        {"<Document><Positions></Document>", "текстовый документ не является корректным XML"},
        {"", "текстовый документ не является корректным XML"},
        {"<?xml version=\"1.0\"?>", "в текстовом документе отсутствует корневой элемент"},
        {"<Document><TextString Text=\"a\"/></Document>", "отсутствует элемент Positions"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(Print(c.document).result.flag) << c.document;
        ASSERT_EQ(component.connection.errors.size(), 1u);
        EXPECT_EQ(component.connection.errors[0].code, 8);
        EXPECT_EQ(component.connection.errors[0].description,
                  std::string("Некорректные входные данные: ") + c.detail);
        component.connection.errors.clear();
    }
    EXPECT_EQ(companion.connectionCount(), 0u);
}

TEST_F(TextDocument, RefusalOfTheCompanionIsReported) {
    companion.onError("PrintTextDocument", -32000, "Неизвестный тип штрихкода");
    EXPECT_FALSE(
        Print("<D><Positions><Barcode Type=\"Unknown\" ValueBase64=\"AA==\"/></Positions></D>")
            .result.flag);
    ASSERT_EQ(component.connection.errors.size(), 2u);
    EXPECT_EQ(component.connection.errors[0].code, 5);
    EXPECT_EQ(component.connection.errors[0].description, "Неизвестный тип штрихкода");
}

}  // namespace
}  // namespace zarvik::test
