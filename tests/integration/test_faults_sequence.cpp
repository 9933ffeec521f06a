// A long working day through the platform emulator: every family of calls,
// successes and failures, over and over. Nothing of the platform's memory is
// left behind and no call's failure leaks into the next. Under valgrind (see
// scripts/reliability.sh leaks) and LeakSanitizer this is the leak check.
#include <gtest/gtest.h>

#include <string>

#include "platform_emulator.h"
#include "test_companion.h"

namespace zarvik::test {
namespace {

constexpr int kRounds = 200;

const char* const kInput = R"(<In><Parameters CashierName="Иванов" CashierINN="7701234567"/></In>)";
const char* const kCheck =
    R"(<CheckPackage><Parameters CashierName="Петрова" OperationType="1" TaxationSystem="0"/>)"
    R"(<Positions><FiscalString Name="Хлеб" Quantity="1" PriceWithDiscount="45.9")"
    R"( AmountWithDiscount="45.9" VATRate="10" VATAmount="4.17"/></Positions>)"
    R"(<Payments Cash="50"/></CheckPackage>)";

TEST(LongSequence, ManyCallsLeaveNoPlatformMemoryAndNoStateBehind) {
    UseFreshLogFolder();
    TestCompanion companion;
    companion.onResult("OpenShift",
                       R"({"SessionNumber":5,"OutputParameters":{"UrgentReplacementFN":false,)"
                       R"("MemoryOverflowFN":false,"ResourcesExhaustionFN":false}})");
    companion.onResult("GetOutputParametersAdditionalsStateInfo",
                       R"({"ShiftState":2,"DateTimeFiscal":"2026-12-06T09:00:00"})");
    companion.onResult("ProcessCheck", R"({"CheckNumber":12,"SessionNumber":5,"FiscalSign":"1"})");
    companion.onResult("GetDocumentOutputParametersAdditionals",
                       R"({"ShiftClosingCheckNumber":4,"DateTimeFiscal":"2026-12-06T10:00:00"})");
    companion.onResult("RequestKM",
                       R"({"RequestKMResult":{"Checking":true,"CheckingResult":true}})");
    companion.onResult("GetLineLength", R"({"LineLength":48})");
    companion.onResult("DeviceTest", R"({"Description":"Касса на связи"})");
    companion.onError("CloseShift", -1, "Смена не открыта");
    companion.onRaw("OpenCashDrawer", R"({"jsonrpc":"2.0","id":1,"res)");

    EmulatedComponent component{Component()};
    component.Connect("127.0.0.1", companion.port());
    const Param none = Param::Empty();
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        EXPECT_TRUE(component.Call("GetDescription", {none}).result.flag);
        EXPECT_TRUE(component.Call("GetParameters", {none}).result.flag);
        EXPECT_TRUE(component.Call("DeviceTest", {none, none}).result.flag);
        EXPECT_TRUE(component.Call("OpenShift", {none, Param::Str(kInput), none}).result.flag);
        EXPECT_TRUE(
            component.Call("ProcessCheck", {none, Param::Bool(true), Param::Str(kCheck), none})
                .result.flag);
        EXPECT_TRUE(
            component
                .Call("RequestKM", {none, Param::Str(R"(<R GUID="g" MarkingCode="m"/>)"), none})
                .result.flag);
        EXPECT_TRUE(component.Call("GetLineLength", {none, none}).result.flag);
        EXPECT_TRUE(component.connection.errors.empty());

        // The failures: the companion's refusal, half an answer, bad input.
        EXPECT_FALSE(component.Call("CloseShift", {none, Param::Str(kInput), none}).result.flag);
        EXPECT_FALSE(component.Call("OpenCashDrawer", {none}).result.flag);
        EXPECT_FALSE(component.Call("PrintTextDocument", {none, Param::NullString()}).result.flag);
        EXPECT_FALSE(
            component.Call("ConfirmKM", {none, Param::Str("g"), Param::Str("1")}).result.flag);
        ASSERT_EQ(component.connection.errors.size(), 5u);  // code 5 comes as two reports
        EXPECT_EQ(component.connection.errors[0].code, 5);
        EXPECT_EQ(component.connection.errors[2].code, 4);
        EXPECT_EQ(component.connection.errors[3].code, 8);
        EXPECT_EQ(component.connection.errors[4].code, 8);
        component.connection.errors.clear();

        // What the component handed over, the emulator has freed; nothing else is out.
        EXPECT_EQ(component.memory.live, 0);
    }
    EXPECT_EQ(companion.requests().size(), static_cast<size_t>(kRounds * 9));
}

}  // namespace
}  // namespace zarvik::test
