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
    CallOutcome DeviceTest() {
        return component.Call("DeviceTest", {Param::Empty(), Param::Empty()});
    }
    CallOutcome GetDataKKT() {
        return component.Call("GetDataKKT", {Param::Empty(), Param::Empty()});
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

TEST_F(Device, RequestsCarryPosIdAndTheAdvancingCounter) {
    companion.onResult("DeviceTest", R"({"Description":"ok"})");
    companion.onResult("GetDataKKT", kFullDataKKT);
    EXPECT_TRUE(DeviceTest().result.flag);
    EXPECT_TRUE(GetDataKKT().result.flag);

    const auto requests = companion.requests();
    ASSERT_EQ(requests.size(), 2u);
    const int64_t first = std::stoll(requests[0].id);
    EXPECT_EQ(requests[0].raw, RequestLine("DeviceTest", "POS-1", first));
    EXPECT_EQ(requests[1].raw, RequestLine("GetDataKKT", "POS-1", first + 1));
}

TEST_F(Device, PosIdNeverSetIsSentEmpty) {
    EmulatedComponent fresh(Component());
    EXPECT_TRUE(
        fresh.Call("SetParameter", {Param::Str("ServerHost"), Param::Str("127.0.0.1")}).returned);
    EXPECT_TRUE(fresh.Call("SetParameter", {Param::Str("ServerPort"), Param::I4(companion.port())})
                    .returned);
    companion.onResult("DeviceTest", "{}");
    EXPECT_TRUE(fresh.Call("DeviceTest", {Param::Empty(), Param::Empty()}).result.flag);
    ASSERT_EQ(companion.requests().size(), 1u);
    const auto request = companion.requests()[0];
    EXPECT_EQ(request.raw, RequestLine("DeviceTest", "", std::stoll(request.id)));
}

TEST_F(Device, PosIdTextIsEscapedAndCyrillicGoesAsUtf8) {
    component.Connect("127.0.0.1", companion.port(), "Касса \"1\"\\\t\x1D");
    companion.onResult("DeviceTest", "{}");
    EXPECT_TRUE(DeviceTest().result.flag);
    ASSERT_EQ(companion.requests().size(), 1u);
    EXPECT_EQ(companion.requests()[0].paramList.at(0), "\"Касса \\\"1\\\"\\\\\\t\\u001D\"");
}

TEST_F(Device, DeviceTestGivesTheCompanionsDescription) {
    companion.onResult("DeviceTest", R"({"Description":"Касса на связи"})");
    const CallOutcome outcome = DeviceTest();
    EXPECT_TRUE(outcome.returned);
    EXPECT_TRUE(outcome.result.flag);
    EXPECT_EQ(outcome.params[0].text, "Касса на связи");
    EXPECT_TRUE(component.connection.errors.empty());
}

TEST_F(Device, DeviceTestWithoutStringDescriptionSucceedsWithEmptyText) {
    for (const char* result : {"{}", R"({"Description":42})", R"({"Description":null})", "null"}) {
        companion.onResult("DeviceTest", result);
        const CallOutcome outcome = DeviceTest();
        EXPECT_TRUE(outcome.result.flag) << result;
        EXPECT_EQ(outcome.params[0].text, "") << result;
    }
}

TEST_F(Device, DeviceTestAgainstClosedPortSaysConnectFailedWithoutReport) {
    component.Connect("127.0.0.1", TestCompanion::ClosedPort());
    const CallOutcome outcome = DeviceTest();
    EXPECT_TRUE(outcome.returned);
    EXPECT_FALSE(outcome.result.flag);
    EXPECT_EQ(outcome.params[0].text, "Connect failed");
    EXPECT_TRUE(component.connection.errors.empty());
    // The equipment library takes the reason from the driver's error.
    const CallOutcome last = component.Call("GetLastError", {Param::Empty()});
    EXPECT_EQ(last.result.i4, 1);
    EXPECT_EQ(last.params[0].text, "Connect failed");
}

TEST_F(Device, DeviceTestCarriesTheCompanionsErrorMessageWithoutReport) {
    companion.onError("DeviceTest", -1, "ФН не найден");
    const CallOutcome outcome = DeviceTest();
    EXPECT_FALSE(outcome.result.flag);
    EXPECT_EQ(outcome.params[0].text, "ФН не найден");
    EXPECT_TRUE(component.connection.errors.empty());
    const CallOutcome last = component.Call("GetLastError", {Param::Empty()});
    EXPECT_EQ(last.result.i4, 5);
    EXPECT_EQ(last.params[0].text, "ФН не найден");
}

TEST_F(Device, SuccessBesideNullErrorIsSuccess) {
    companion.onRaw("DeviceTest", R"({"id":1,"result":{"Description":"ok"},"error":null})");
    const CallOutcome outcome = DeviceTest();
    EXPECT_TRUE(outcome.result.flag);
    EXPECT_EQ(outcome.params[0].text, "ok");
}

TEST_F(Device, GetDataKKTWritesThirtyAttributesInOrder) {
    companion.onResult("GetDataKKT", kFullDataKKT);
    const CallOutcome outcome = GetDataKKT();
    EXPECT_TRUE(outcome.returned);
    EXPECT_TRUE(outcome.result.flag);
    EXPECT_EQ(outcome.params[1].text, kFullDataKKTXml);
    EXPECT_TRUE(component.connection.errors.empty());
}

TEST_F(Device, GetDataKKTFlagIsTrueOnlyForTheLiteralTrue) {
    std::string result = kFullDataKKT;
    result.replace(result.find("\"Fiscal\":true"), 13, "\"Fiscal\":1");
    result.replace(result.find("\"DataEncryption\":true"), 21, "\"DataEncryption\":\"true\"");
    companion.onResult("GetDataKKT", result);
    const CallOutcome outcome = GetDataKKT();
    ASSERT_TRUE(outcome.result.flag);
    EXPECT_NE(outcome.params[1].text.find(" Fiscal=\"false\" "), std::string::npos);
    EXPECT_NE(outcome.params[1].text.find(" IsEncrypted=\"false\" "), std::string::npos);
}

TEST_F(Device, GetDataKKTMissingOrMistypedKeyIsReportedAndNothingWritten) {
    struct Case {
        std::string from, to, key;
    };
    const Case cases[] = {
        {"\"SignOfAgent\":\"1,2\",", "", "SignOfAgent"},
        {"\"VATIN\":\"7701234567\"", "\"VATIN\":7701234567", "VATIN"},
        {"\"IsMarking\":true,", "", "IsMarking"},
    };
    for (const Case& c : cases) {
        std::string result = kFullDataKKT;
        result.replace(result.find(c.from), c.from.size(), c.to);
        companion.onResult("GetDataKKT", result);
        component.connection.errors.clear();
        const CallOutcome outcome = GetDataKKT();
        EXPECT_TRUE(outcome.returned);
        EXPECT_FALSE(outcome.result.flag) << c.key;
        EXPECT_TRUE(outcome.params[1].untouched) << c.key;
        ASSERT_EQ(component.connection.errors.size(), 1u) << c.key;
        EXPECT_EQ(component.connection.errors[0].code, 6);
        EXPECT_EQ(component.connection.errors[0].description,
                  "В ответе отсутствует обязательный параметр \"" + c.key + "\"");
    }
}

}  // namespace
}  // namespace zarvik::test
