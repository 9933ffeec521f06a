// Cash deposits and withdrawals, the cash drawer, the line length and receipt
// copies end to end.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "component_fixture.h"
#include "platform_emulator.h"
#include "test_companion.h"

namespace zarvik::test {
namespace {

const char* const kInput =
    R"(<InputParameters><Parameters CashierName="Иванов"/></InputParameters>)";
const char* const kCashierOnWire = R"("{\"CashierName\":\"Иванов\"}")";

class Cash : public ComponentWithCompanion {
  protected:
    CallOutcome CashInOutcome(const Param& amount, const std::string& input = kInput) {
        return component.Call("CashInOutcome", {Param::Str("1"), Param::Str(input), amount});
    }
};

TEST_F(Cash, AmountGoesBeforeTheCashierAndKeepsItsSign) {
    companion.onResult("CashInOutcome", "null");
    EXPECT_TRUE(CashInOutcome(Param::I4(100)).result.flag);
    EXPECT_TRUE(CashInOutcome(Param::R8(-250.75)).result.flag);
    EXPECT_TRUE(component.connection.errors.empty());

    const auto requests = companion.requests();
    ASSERT_EQ(requests.size(), 2u);
    const std::string counter = requests[0].paramList.at(1);
    EXPECT_EQ(requests[0].raw, "{\"jsonrpc\":\"2.0\",\"id\":" + requests[0].id +
                                   ",\"method\":\"CashInOutcome\",\"params\":[\"POS-1\"," +
                                   counter + ",100.0," + kCashierOnWire + "]}\r\n");
    ASSERT_EQ(requests[1].paramList.size(), 4u);
    EXPECT_EQ(requests[1].paramList[2], "-250.75");
    EXPECT_EQ(requests[1].paramList[3], kCashierOnWire);
}

TEST_F(Cash, AmountOfAnotherTypeOrNotFiniteSendsNothing) {
    const std::string message =
        "Некорректные входные данные: сумма (третий параметр) должна быть конечным числом";
    for (const Param& amount :
         {Param::Str("100"), Param::Empty(), Param::Bool(true),
          Param::R8(std::numeric_limits<double>::infinity()), Param::R8(std::nan(""))}) {
        const CallOutcome outcome = CashInOutcome(amount);
        EXPECT_TRUE(outcome.returned);
        EXPECT_FALSE(outcome.result.flag);
        ExpectReported(8, message);
    }
    EXPECT_EQ(companion.connectionCount(), 0u);
}

TEST_F(Cash, UnusableInputParametersSendNothing) {
    EXPECT_FALSE(CashInOutcome(Param::R8(10), "<InputParameters/>").result.flag);
    ExpectReported(8, "Некорректные входные данные: отсутствует элемент Parameters");
    EXPECT_EQ(companion.connectionCount(), 0u);
}

TEST_F(Cash, LineLengthIsReturnedAsI4AndAbsentReadsZero) {
    companion.onResult("GetLineLength", R"({"LineLength":48})");
    CallOutcome outcome = component.Call("GetLineLength", {Param::Str("1"), Param::Empty()});
    EXPECT_TRUE(outcome.result.flag);
    EXPECT_EQ(outcome.params[1].vt, VTYPE_I4);
    EXPECT_EQ(outcome.params[1].i4, 48);

    companion.onResult("GetLineLength", "{}");
    outcome = component.Call("GetLineLength", {Param::Str("1"), Param::Empty()});
    EXPECT_TRUE(outcome.result.flag);
    EXPECT_EQ(outcome.params[1].vt, VTYPE_I4);
    EXPECT_EQ(outcome.params[1].i4, 0);
    EXPECT_EQ(companion.requests().at(0).paramList.size(), 2u);
    EXPECT_TRUE(component.connection.errors.empty());
}

TEST_F(Cash, FailedLineLengthLeavesTheOutArgumentAlone) {
    companion.onError("GetLineLength", 3, "Принтер недоступен");
    const CallOutcome outcome = component.Call("GetLineLength", {Param::Str("1"), Param::I4(77)});
    EXPECT_FALSE(outcome.result.flag);
    EXPECT_TRUE(outcome.params[1].untouched);
    ASSERT_EQ(component.connection.errors.size(), 2u);
    EXPECT_EQ(component.connection.errors[0].code, 5);
}

TEST_F(Cash, CheckCopySendsTheNumberText) {
    companion.onResult("PrintCheckCopy", "true");
    EXPECT_TRUE(component.Call("PrintCheckCopy", {Param::Str("1"), Param::Str("15")}).result.flag);
    const auto requests = companion.requests();
    ASSERT_EQ(requests.size(), 1u);
    ASSERT_EQ(requests[0].paramList.size(), 3u);
    EXPECT_EQ(requests[0].paramList[2], "\"15\"");
}

TEST_F(Cash, CashDrawerOpensWithTheTwoCommonParameters) {
    companion.onResult("OpenCashDrawer", "null");
    EXPECT_TRUE(component.Call("OpenCashDrawer", {Param::Str("1")}).result.flag);
    ASSERT_EQ(companion.requests().size(), 1u);
    EXPECT_EQ(companion.requests()[0].paramList.size(), 2u);
}

TEST_F(Cash, UnreachableCompanionIsAConnectionError) {
    component.Connect("127.0.0.1", TestCompanion::ClosedPort());
    EXPECT_FALSE(component.Call("OpenCashDrawer", {Param::Str("1")}).result.flag);
    ExpectReported(1, "Невозможно установить соединение с приложением.");
    EXPECT_FALSE(CashInOutcome(Param::I4(5)).result.flag);
    ExpectReported(1, "Невозможно установить соединение с приложением.");
}

}  // namespace
}  // namespace zarvik::test
