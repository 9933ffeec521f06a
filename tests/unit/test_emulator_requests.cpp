// The emulator as the driver meets it: request lines in, answer lines out.
// It refuses what a real register refuses and every request that is not
// what the driver must send, and it takes what the driver does send.
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include "emulator.h"
#include "model/cashier.h"
#include "model/check_encoding.h"
#include "model/check_package.h"
#include "model/marking_request.h"
#include "request_checks.h"
#include "test_data.h"

namespace kassa {
namespace {

constexpr std::time_t kNoon = 1796558400;

class EmulatorRequests : public ::testing::Test {
  protected:
    EmulatorRequests() : emulator([] { return kNoon; }) {}

    // A request as the driver frames it: PosId and the counter equal to the id first.
    Exchange Send(const std::string& method, const std::string& own = "", int id = 7) {
        const std::string params =
            "[\"KASSA-01\"," + std::to_string(id) + (own.empty() ? "" : "," + own) + "]";
        return emulator.handle(R"({"jsonrpc":"2.0","id":)" + std::to_string(id) + R"(,"method":")" +
                               method + R"(","params":)" + params + "}");
    }

    static std::string Quoted(const std::string& text) {
        rapidjson::Value value(text.c_str(), static_cast<rapidjson::SizeType>(text.size()));
        return zarvik::test_data::Compact(value);
    }

    static int ErrorCode(const Exchange& exchange) {
        rapidjson::Document answer;
        answer.Parse(exchange.answer.c_str());
        return answer.HasMember("error") ? answer["error"]["code"].GetInt() : 0;
    }

    Emulator emulator;
};

TEST_F(EmulatorRequests, RequestsThatAreNotWhatTheDriverSendsGetTheStandardCodes) {
    const auto rows = zarvik::test_data::Rows("emulator_request_rows.txt");
    EXPECT_GT(rows.size(), 10u);
    for (const auto& row : rows) {
        EXPECT_EQ(std::to_string(ErrorCode(emulator.handle(row.input))), row.expected) << row.where;
    }
    // A byte that is no UTF-8 after the request.
    EXPECT_EQ(ErrorCode(emulator.handle("{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"X\"}\xFF")),
              kParseError);
}

TEST_F(EmulatorRequests, RecordsInsideStringsAreCheckedMemberByMember) {
    const Exchange notJson = Send("OpenShift", Quoted("{CashierName:1}"));
    EXPECT_EQ(ErrorCode(notJson), kInvalidParams);
    EXPECT_NE(notJson.message.find("не содержит JSON"), std::string::npos) << notJson.message;

    const Exchange wrongKey = Send("OpenShift", Quoted(R"({"CashierName":"К","CashierINN":"1"})"));
    EXPECT_NE(wrongKey.message.find("\"CashierINN\""), std::string::npos) << wrongKey.message;

    const Exchange asObject = Send("OpenShift", R"({"CashierName":"К"})");
    EXPECT_EQ(ErrorCode(asObject), kInvalidParams) << "a record travels as JSON text";

    const std::string check = R"({"Parameters":{"CashierName":"К","PaymentType":1,"TaxVariant":0},)"
                              R"("Positions":{"FiscalString":[{"Name":"Хлеб","Quantity":1.0,)"
                              R"("PriceWithDiscount":62.5,"SumWithDiscount":62.5,"Tax":10,)"
                              R"("VATAmount":5.68}],"TextString":[],"Barcode":[]},"Payments":{}})";
    const Exchange taxAsNumber = Send("ProcessCheck", R"("",false,)" + Quoted(check));
    EXPECT_NE(taxAsNumber.message.find("Positions.FiscalString[0].Tax: ожидается строка"),
              std::string::npos)
        << taxAsNumber.message;
    EXPECT_EQ(emulator.kassa().lastDocumentNumber(), 1u) << "nothing registered";
}

TEST_F(EmulatorRequests, TakesWhatTheDriverSends) {
    using zarvik::test_data::DataFile;
    const std::string cashierText = Quoted(zarvik::CashierDataToJson(
        zarvik::ReadInputParameters(DataFile("../../examples/input_parameters.xml"))));
    EXPECT_FALSE(Send("OpenShift", cashierText).refused) << Send("CloseShift", cashierText).answer;

    for (const char* package : {"check_full_ffd12.xml", "check_minimal.xml", "check_correction.xml",
                                "../../examples/correction_receipt.xml"}) {
        const std::string text =
            Quoted(zarvik::CheckDocumentText(zarvik::ParseCheckPackage(DataFile(package))));
        const Exchange exchange = Send("ProcessCheck", R"("",false,)" + text);
        EXPECT_NE(ErrorCode(exchange), kInvalidParams) << package << ": " << exchange.message;
    }
    const std::string request = Quoted(
        zarvik::RequestKMText(zarvik::ParseRequestKM(DataFile("../../examples/request_km.xml"))));
    Send("OpenSessionRegistrationKM");
    EXPECT_FALSE(Send("RequestKM", request).refused);
}

}  // namespace
}  // namespace kassa
