// The cashier's input parameters of the shift, report and cash operations
// (the cashier as sent or the refusal) and the lines of a text document.
#include <gtest/gtest.h>

#include "core/driver_error.h"
#include "model/cashier.h"
#include "model/text_document.h"

namespace zarvik {
namespace {

std::string Sent(const std::string& xml) {
    try {
        return CashierDataToJson(ReadInputParameters(xml));
    } catch (const ZarvikKassaErrorException& error) {
        EXPECT_EQ(error.code, DriverErrorCode::InputDataError);
        return error.message;
    }
}

TEST(CashierData, ReadAndSentOrRefused) {
    const std::string bad = "Некорректные входные данные: ";
    const std::pair<std::string, std::string> rows[] = {
        {"<InputParameters><Parameters CashierName=\"Иванов И.И.\" CashierINN=\"7700000000\" "
         "SaleAddress=\"Москва &amp; область\" SaleLocation=\"Зал 1\"/></InputParameters>",
         "{\"CashierName\":\"Иванов И.И.\",\"CashierVATIN\":\"7700000000\","
         "\"SaleAddress\":\"Москва & область\",\"SaleLocation\":\"Зал 1\"}"},
        // The tax number is read only under its input name.
        {"<R><Parameters CashierName=\"A\" CashierVATIN=\"123\" cashierinn=\"456\"/></R>",
         "{\"CashierName\":\"A\"}"},
        // The first Parameters child of the root.
        {"<R><Other CashierName=\"X\"/><Parameters CashierName=\"first\"/>"
         "<Parameters CashierName=\"second\"/></R>",
         "{\"CashierName\":\"first\"}"},
        {"<!-- nothing -->", bad + "во входных параметрах отсутствует корневой элемент"},
        // The root itself is not the element.
        {"<Parameters CashierName=\"A\"/>", bad + "отсутствует элемент Parameters"},
    };
    for (const auto& [xml, sent] : rows) EXPECT_EQ(Sent(xml), sent) << xml;
}

TEST(TextDocument, LinesAsSent) {
    const std::pair<const char*, const char*> rows[] = {
        // Names are matched exactly; only the first Positions counts.
        {"<D><Positions><Picture Data=\"x\"/><textstring Text=\"a\"/><TextString Text=\"b\"/>"
         "</Positions><Positions><TextString Text=\"2\"/></Positions></D>",
         "[{\"LineType\":\"TextString\",\"Text\":\"b\"}]"},
        {"<D><Positions><TextString Text=\"a&#9;&quot;b&quot;\\&#29;\"/></Positions></D>",
         "[{\"LineType\":\"TextString\",\"Text\":\"a\\t\\\"b\\\"\\\\\\u001D\"}]"},
    };
    for (const auto& [xml, sent] : rows) {
        EXPECT_EQ(TextDocumentToJson(ReadTextDocument(xml)), sent) << xml;
    }
}

}  // namespace
}  // namespace zarvik
