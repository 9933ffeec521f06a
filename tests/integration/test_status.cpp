// Status, settlements report and X report end to end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "component_fixture.h"
#include "platform_emulator.h"
#include "test_companion.h"

namespace zarvik::test {
namespace {

const char* const kInput =
    R"(<InputParameters><Parameters CashierName="Петрова"/></InputParameters>)";

class Status : public ComponentWithCompanion {
  protected:
    CallOutcome GetCurrentStatus() {
        return component.Call("GetCurrentStatus",
                              {Param::Str("1"), Param::Str("<ignored"), Param::Empty()});
    }
    CallOutcome ReportCurrentStatusOfSettlements(const std::string& input = kInput) {
        return component.Call("ReportCurrentStatusOfSettlements",
                              {Param::Str("1"), Param::Str(input), Param::Empty()});
    }
    CallOutcome PrintXReport(const std::string& input = kInput) {
        return component.Call("PrintXReport", {Param::Str("1"), Param::Str(input)});
    }
    std::vector<std::string> Methods() {
        std::vector<std::string> methods;
        for (const auto& request : companion.requests()) methods.push_back(request.method);
        return methods;
    }
};

TEST_F(Status, CurrentStatusWritesStateNumbersBalanceAndBacklog) {
    companion.onResult("GetCurrentStatus",
                       R"({"CheckNumber":12,"SessionNumber":4,"SessionState":2,)"
                       R"("StatusParameters":{"BacklogDocumentCounter":0}})");
    companion.onResult("GetOutputParametersAdditionalsCashBalance", R"({"CashBalance":250.5})");

    const CallOutcome outcome = GetCurrentStatus();
    EXPECT_TRUE(outcome.result.flag);
    EXPECT_TRUE(component.connection.errors.empty());
    EXPECT_EQ(outcome.params[2].text,
              "<outputParameters>\n"
              "    <Parameters ShiftState=\"2\" ShiftNumber=\"4\" CheckNumber=\"12\" "
              "CashBalance=\"250.5\" BacklogDocumentsCounter=\"0\"/>\n"
              "</outputParameters>\n");
    const auto requests = companion.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "GetCurrentStatus");
    EXPECT_EQ(requests[0].paramList.size(), 2u);  // the input parameters are not sent
    EXPECT_EQ(requests[1].method, "GetOutputParametersAdditionalsCashBalance");
}

TEST_F(Status, CurrentStatusReadsOnlyTheSingularCounterKey) {
    companion.onResult("GetCurrentStatus",
                       R"({"CheckNumber":-1,"SessionNumber":4,)"
                       R"("StatusParameters":{"BacklogDocumentsCounter":9,)"
                       R"("BacklogDocumentFirstNumber":33,)"
                       R"("BacklogDocumentFirstDateTime":"01.12.2026 10:00"}})");
    companion.onResult("GetOutputParametersAdditionalsCashBalance", R"({"CashBalance":0})");

    EXPECT_EQ(GetCurrentStatus().params[2].text,
              "<outputParameters>\n"
              "    <Parameters ShiftState=\"0\" ShiftNumber=\"4\" CheckNumber=\"4294967295\" "
              "CashBalance=\"0\" BacklogDocumentsCounter=\"0\" BacklogDocumentFirstNumber=\"33\" "
              "BacklogDocumentFirstDateTime=\"01.12.2026 10:00\"/>\n"
              "</outputParameters>\n");
}

TEST_F(Status, SettlementsReportMakesThreeCalls) {
    companion.onResult("ReportCurrentStatusOfSettlements",
                       R"({"OutputParameters":{"BacklogDocumentsCounter":3,)"
                       R"("BacklogDocumentFirstNumber":"not a number"}})");
    companion.onResult("GetOutputParametersAdditionalsStateInfo",
                       R"({"ShiftState":2,"DateTimeFiscal":"2026-12-06T12:00:00"})");
    companion.onResult("GetOutputParametersAdditionalsCashBalance", R"({"CashBalance":-12.25})");

    const CallOutcome outcome = ReportCurrentStatusOfSettlements();
    EXPECT_TRUE(outcome.result.flag);
    EXPECT_EQ(outcome.params[2].text,
              "<outputParameters>\n"
              "    <Parameters ShiftState=\"2\" DateTime=\"2026-12-06T12:00:00\" "
              "CashBalance=\"-12.25\" BacklogDocumentsCounter=\"3\"/>\n"
              "</outputParameters>\n");
    EXPECT_EQ(Methods(), (std::vector<std::string>{"ReportCurrentStatusOfSettlements",
                                                   "GetOutputParametersAdditionalsStateInfo",
                                                   "GetOutputParametersAdditionalsCashBalance"}));
    EXPECT_EQ(companion.requests()[0].paramList.at(2), R"("{\"CashierName\":\"Петрова\"}")");
}

TEST_F(Status, FailedCallSkipsTheRestAndWritesNothing) {
    companion.onError("GetCurrentStatus", -1, "ФН не найден");
    const CallOutcome outcome = GetCurrentStatus();
    EXPECT_FALSE(outcome.result.flag);
    EXPECT_TRUE(outcome.params[2].untouched);
    ASSERT_EQ(component.connection.errors.size(), 2u);
    EXPECT_EQ(component.connection.errors[0].code, 5);
    EXPECT_EQ(component.connection.errors[0].description, "ФН не найден");
    EXPECT_EQ(Methods(), std::vector<std::string>{"GetCurrentStatus"});

    component.connection.errors.clear();
    companion.clear();
    companion.onResult("ReportCurrentStatusOfSettlements", "{}");
    companion.onResult("GetOutputParametersAdditionalsStateInfo", R"({"DateTimeFiscal":""})");
    const CallOutcome report = ReportCurrentStatusOfSettlements();
    EXPECT_FALSE(report.result.flag);
    EXPECT_TRUE(report.params[2].untouched);
    ASSERT_EQ(component.connection.errors.size(), 1u);
    EXPECT_EQ(component.connection.errors[0].description,
              "В ответе отсутствует обязательный параметр \"ShiftState\"");
    EXPECT_EQ(Methods().size(), 2u);
}

TEST_F(Status, XReportAcceptsAnyResult) {
    for (const char* result : {"null", "42", R"({"anything":[1,2]})", R"("done")"}) {
        companion.onResult("PrintXReport", result);
        EXPECT_TRUE(PrintXReport().result.flag) << result;
    }
    EXPECT_TRUE(component.connection.errors.empty());
    const auto requests = companion.requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].paramList.size(), 3u);
    EXPECT_EQ(requests[0].paramList[2], R"("{\"CashierName\":\"Петрова\"}")");
}

TEST_F(Status, ReportsWithUnusableInputSendNothing) {
    const CallOutcome x = PrintXReport("<InputParameters/>");
    EXPECT_FALSE(x.result.flag);
    const CallOutcome settlements = ReportCurrentStatusOfSettlements("not xml");
    EXPECT_FALSE(settlements.result.flag);
    EXPECT_TRUE(settlements.params[2].untouched);
    ASSERT_EQ(component.connection.errors.size(), 2u);
    EXPECT_EQ(component.connection.errors[0].code, 8);
    EXPECT_EQ(component.connection.errors[0].description,
              "Некорректные входные данные: отсутствует элемент Parameters");
    EXPECT_EQ(component.connection.errors[1].code, 8);
    EXPECT_EQ(companion.connectionCount(), 0u);
}

}  // namespace
}  // namespace zarvik::test
