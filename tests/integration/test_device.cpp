// The device test and the device parameter table, end to end: the platform
// calls the component, the component asks the test companion.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "component_fixture.h"
#include "platform_emulator.h"
#include "test_companion.h"

namespace zarvik::test {
namespace {

const char* const kFullDataKKT = R"({
  "KKTNumber":"0000000001012345","KKTSerialNumber":"00106107654321","Fiscal":true,
  "FFDVersionFN":"1.2","FFDVersionKKT":"1.2","FNSerialNumber":"7281440500123456",
  "DocumentNumber":"1542","DateTime":"2024-03-01T10:15:00",
  "OrganizationName":"ООО \"Ромашка & Co\"","VATIN":"7701234567",
  "AddressSettle":"г. Москва, ул. Ленина, д. 1","PlaceSettle":"Касса №1",
  "TaxVariant":"0,1,5","OfflineMode":false,"DataEncryption":true,"ServiceSign":false,
  "SaleExcisableGoods":true,"SignOfGambling":false,"SignOfLottery":false,"BSOSing":false,
  "CalcOnlineSign":true,"PrinterAutomatic":false,"AutomaticMode":false,"IsMarking":true,
  "IsPawnshop":false,"IsAssurance":false,"SignOfAgent":"1,2","AutomaticNumber":"",
  "OFDOrganizationName":"ООО \"Такском\"","OFDVATIN":"7704211201","Unrelated":[1,2]})";

const char* const kFullDataKKTXml =
    "<Parameters KKTNumber=\"0000000001012345\" KKTSerialNumber=\"00106107654321\" "
    "Fiscal=\"true\" FFDVersionFN=\"1.2\" FFDVersionKKT=\"1.2\" "
    "FNSerialNumber=\"7281440500123456\" DocumentNumber=\"1542\" "
    "DateTime=\"2024-03-01T10:15:00\" CompanyName=\"ООО &quot;Ромашка &amp; Co&quot;\" "
    "INN=\"7701234567\" SaleAddress=\"г. Москва, ул. Ленина, д. 1\" SaleLocation=\"Касса №1\" "
    "TaxationSystems=\"0,1,5\" IsOffline=\"false\" IsEncrypted=\"true\" IsService=\"false\" "
    "IsExcisable=\"true\" IsGambling=\"false\" IsLottery=\"false\" BSOSing=\"false\" "
    "IsOnline=\"true\" IsAutomaticPrinter=\"false\" IsAutomatic=\"false\" IsMarking=\"true\" "
    "IsPawnshop=\"false\" IsAssurance=\"false\" AgentTypes=\"1,2\" AutomaticNumber=\"\" "
    "OFDCompany=\"ООО &quot;Такском&quot;\" OFDCompanyINN=\"7704211201\"/>\n";

class Device : public ComponentWithCompanion {
  protected:
    CallOutcome Call(const char* method) {
        return component.Call(method, {Param::Empty(), Param::Empty()});
    }
};

// The request line for an id as the companion sees it: the id signed, the
// counter parameter unsigned.
std::string RequestLine(const std::string& method, const std::string& posId, int64_t id) {
    const auto counter = static_cast<uint32_t>(id);
    return "{\"jsonrpc\":\"2.0\",\"id\":" + std::to_string(static_cast<int32_t>(counter)) +
           ",\"method\":\"" + method + "\",\"params\":[\"" + posId + "\"," +
           std::to_string(counter) + "]}\r\n";
}

TEST_F(Device, RequestsCarryPosIdEscapedAndTheAdvancingCounter) {
    companion.onResult("DeviceTest", "{}");
    companion.onResult("GetDataKKT", kFullDataKKT);
    EXPECT_TRUE(Call("DeviceTest").result.flag);
    EXPECT_TRUE(Call("GetDataKKT").result.flag);
    EmulatedComponent fresh(Component());  // PosId never set: sent empty
    fresh.Call("SetParameter", {Param::Str("ServerHost"), Param::Str("127.0.0.1")});
    fresh.Call("SetParameter", {Param::Str("ServerPort"), Param::I4(companion.port())});
    EXPECT_TRUE(fresh.Call("DeviceTest", {Param::Empty(), Param::Empty()}).result.flag);
    component.Connect("127.0.0.1", companion.port(), "Касса \"1\"\\\t\x1D");
    EXPECT_TRUE(Call("DeviceTest").result.flag);

    const auto requests = companion.requests();
    ASSERT_EQ(requests.size(), 4u);
    const int64_t first = std::stoll(requests[0].id);
    EXPECT_EQ(requests[0].raw, RequestLine("DeviceTest", "POS-1", first));
    EXPECT_EQ(requests[1].raw, RequestLine("GetDataKKT", "POS-1", first + 1));
    EXPECT_EQ(requests[2].raw, RequestLine("DeviceTest", "", std::stoll(requests[2].id)));
    EXPECT_EQ(requests[3].paramList.at(0), "\"Касса \\\"1\\\"\\\\\\t\\u001D\"");
}

// The device test reports nothing to AddError: its text is the answer, and
// GetLastError gives the reason to the equipment library.
TEST_F(Device, DeviceTestGivesTheDescriptionOrTheReason) {
    const struct {
        const char* raw;  // the companion's answer; null: nobody listens
        bool verdict;
        const char* text;
        int lastError;
    } rows[] = {
        {R"({"jsonrpc":"2.0","id":1,"result":{"Description":"Касса на связи"}})", true,
         "Касса на связи", 0},
        {R"({"id":1,"result":{"Description":"ok"},"error":null})", true, "ok", 0},
        {R"({"id":1,"result":{}})", true, "", 0},
        {R"({"id":1,"result":{"Description":42}})", true, "", 0},
        {R"({"id":1,"result":{"Description":null}})", true, "", 0},
        {R"({"id":1,"result":null})", true, "", 0},
        {R"({"id":1,"error":{"code":-1,"message":"ФН не найден"}})", false, "ФН не найден", 5},
        {nullptr, false, "Connect failed", 1},
    };
    for (const auto& row : rows) {
        if (row.raw == nullptr)
            component.Connect("127.0.0.1", TestCompanion::ClosedPort());
        else
            companion.onRaw("DeviceTest", row.raw);
        const CallOutcome outcome = Call("DeviceTest");
        EXPECT_TRUE(outcome.returned);
        EXPECT_EQ(outcome.result.flag, row.verdict) << row.text;
        EXPECT_EQ(outcome.params[0].text, row.text);
        EXPECT_TRUE(component.connection.errors.empty());
        if (row.lastError == 0) continue;
        const CallOutcome last = component.Call("GetLastError", {Param::Empty()});
        EXPECT_EQ(last.result.i4, row.lastError);
        EXPECT_EQ(last.params[0].text, row.text);
    }
}

// Thirty attributes in order; a flag is true only for the literal true; a
// missing or mistyped key is code 6 and nothing is written.
TEST_F(Device, GetDataKKT) {
    const struct {
        std::string from, to, missing, found;
    } rows[] = {
        {"", "", "", kFullDataKKTXml},
        {"\"Fiscal\":true", "\"Fiscal\":1", "", " Fiscal=\"false\" "},
        {"\"DataEncryption\":true", "\"DataEncryption\":\"true\"", "", " IsEncrypted=\"false\" "},
        {"\"SignOfAgent\":\"1,2\",", "", "SignOfAgent", ""},
        {"\"VATIN\":\"7701234567\"", "\"VATIN\":7701234567", "VATIN", ""},
        {"\"IsMarking\":true,", "", "IsMarking", ""},
    };
    for (const auto& row : rows) {
        std::string result = kFullDataKKT;
        if (!row.from.empty()) result.replace(result.find(row.from), row.from.size(), row.to);
        companion.onResult("GetDataKKT", result);
        component.connection.errors.clear();
        const CallOutcome outcome = Call("GetDataKKT");
        EXPECT_EQ(outcome.result.flag, row.missing.empty()) << row.from;
        if (row.missing.empty()) {
            EXPECT_NE(outcome.params[1].text.find(row.found), std::string::npos) << row.from;
            EXPECT_TRUE(component.connection.errors.empty());
            continue;
        }
        EXPECT_TRUE(outcome.params[1].untouched) << row.missing;
        ASSERT_EQ(component.connection.errors.size(), 1u) << row.missing;
        EXPECT_EQ(component.connection.errors[0].code, 6);
        EXPECT_EQ(component.connection.errors[0].description,
                  "В ответе отсутствует обязательный параметр \"" + row.missing + "\"");
    }
}

}  // namespace
}  // namespace zarvik::test
