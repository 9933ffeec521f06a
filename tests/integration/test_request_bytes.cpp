// The request line is written by hand for speed, not by the JSON library's
// writer; whatever bytes a text parameter holds, the companion must receive
// exactly what that writer would have made of the same request.
#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <string>

#include "platform_emulator.h"
#include "test_companion.h"

namespace zarvik::test {
namespace {

std::string RewrittenByTheWriter(const std::string& line) {
    rapidjson::Document document;
    document.Parse(line.data(), line.size());
    EXPECT_FALSE(document.HasParseError()) << line;
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    document.Accept(writer);
    return std::string(buffer.GetString(), buffer.GetSize()) + "\r\n";
}

TEST(RequestBytes, EveryEscapeOfATextParameterIsTheCompactWritersOwn) {
    UseFreshLogFolder();
    TestCompanion companion;
    EmulatedComponent component(Component());
    component.Connect("127.0.0.1", companion.port(), "POS \"1\" \\ 2");
    companion.onResult("ProcessCheck", "{}");
    companion.onResult("GetDocumentOutputParametersAdditionals", "{}");

    // Every control character, quotation marks, backslashes, DEL, Cyrillic
    // and a character outside the basic plane: the inner document escapes
    // them once, the request line a second time.
    std::string name;
    for (int c = 1; c < 0x20; ++c) name += "&#" + std::to_string(c) + ";";
    name += "&quot;\\/&#x7F;Ёж😀";
    const std::string package =
        "<CheckPackage><Parameters CashierName=\"" + name +
        "\" OperationType=\"1\" TaxationSystem=\"0\"/><Positions><FiscalString Name=\"" + name +
        "\" Quantity=\"1\" PriceWithDiscount=\"1\" AmountWithDiscount=\"1\" VATRate=\"20\" "
        "VATAmount=\"0.17\"/></Positions><Payments Cash=\"1\"/></CheckPackage>";
    ASSERT_TRUE(component
                    .Call("ProcessCheck",
                          {Param::Str("1"), Param::Bool(true), Param::Str(package), Param::Empty()})
                    .result.flag);

    const auto requests = companion.requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const auto& request : requests) {
        EXPECT_EQ(request.raw, RewrittenByTheWriter(request.raw));
    }
    EXPECT_NE(requests[0].raw.find(R"(\\u001F)"), std::string::npos);
    EXPECT_NE(requests[0].raw.find(R"(\\\"\\\\/)"), std::string::npos);
    EXPECT_NE(requests[0].raw.find(R"("POS \"1\" \\ 2")"), std::string::npos);
}

}  // namespace
}  // namespace zarvik::test
