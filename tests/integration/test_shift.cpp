// Opening and closing the shift end to end: the platform's input parameters
// in, the requests the companion receives, the output parameters back.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "component_fixture.h"
#include "platform_emulator.h"
#include "test_companion.h"

namespace zarvik::test {
namespace {

const char* const kInput =
    R"(<InputParameters><Parameters CashierName="Иванов И.И." CashierINN="770123456789"/>)"
    R"(</InputParameters>)";
// The cashier as it travels: JSON text inside a JSON string.
const char* const kCashierOnWire =
    R"("{\"CashierName\":\"Иванов И.И.\",\"CashierVATIN\":\"770123456789\"}")";

const char* const kStateInfo = R"({"ShiftState":2,"DateTimeFiscal":"2026-12-06T09:00:00"})";
const char* const kCounters =
    R"({"CountersOperationType1":{"CheckCount":3,"TotalChecksAmount":1500.5,)"
    R"("CorrectionCheckCount":1,"TotalCorrectionChecksAmount":10},)"
    R"("CountersOperationType2":{"CheckCount":7,"TotalChecksAmount":0.1,)"
    R"("CorrectionCheckCount":0,"TotalCorrectionChecksAmount":0},)"
    R"("CountersOperationType3":{"CheckCount":0,"TotalChecksAmount":0,)"
    R"("CorrectionCheckCount":0,"TotalCorrectionChecksAmount":0},)"
    R"("CountersOperationType4":{"CheckCount":1,"TotalChecksAmount":99.99,)"
    R"("CorrectionCheckCount":0,"TotalCorrectionChecksAmount":0}})";

class Shift : public ComponentWithCompanion {
  protected:
    CallOutcome OpenShift(const std::string& input = kInput) {
        return component.Call("OpenShift", {Param::Str("1"), Param::Str(input), Param::Empty()});
    }
    CallOutcome CloseShift(const std::string& input = kInput) {
        return component.Call("CloseShift", {Param::Str("1"), Param::Str(input), Param::Empty()});
    }
    std::vector<std::string> Methods() {
        std::vector<std::string> methods;
        for (const auto& request : companion.requests()) methods.push_back(request.method);
        return methods;
    }
    void ExpectFailure(const CallOutcome& outcome, int code, const std::string& description) {
        EXPECT_TRUE(outcome.returned);
        EXPECT_FALSE(outcome.result.flag);
        EXPECT_TRUE(outcome.params[2].untouched);
        ASSERT_EQ(component.connection.errors.size(), 1u);
        EXPECT_EQ(component.connection.errors[0].code, code);
        EXPECT_EQ(component.connection.errors[0].description, description);
    }
};

TEST_F(Shift, OpenShiftSendsTheCashierAndAnswersStateAndFlags) {
    companion.onResult("OpenShift", R"({"SessionNumber":5,"OutputParameters":)"
                                    R"({"UrgentReplacementFN":false,"MemoryOverflowFN":false,)"
                                    R"("ResourcesExhaustionFN":true}})");
    companion.onResult("GetOutputParametersAdditionalsStateInfo", kStateInfo);

    const CallOutcome outcome = OpenShift();
    EXPECT_TRUE(outcome.result.flag);
    EXPECT_TRUE(component.connection.errors.empty());
    EXPECT_EQ(outcome.params[2].text,
              "<outputParameters>\n"
              "    <Parameters ShiftState=\"2\" ShiftNumber=\"5\" "
              "DateTime=\"2026-12-06T09:00:00\" FNError=\"false\" FNOverflow=\"false\" "
              "FNFail=\"true\"/>\n"
              "</outputParameters>\n");

    const auto requests = companion.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "OpenShift");
    const uint32_t counter = static_cast<uint32_t>(std::stoll(requests[0].paramList[1]));
    EXPECT_EQ(requests[0].raw, "{\"jsonrpc\":\"2.0\",\"id\":" + requests[0].id +
                                   ",\"method\":\"OpenShift\",\"params\":[\"POS-1\"," +
                                   std::to_string(counter) + "," + kCashierOnWire + "]}\r\n");
    EXPECT_EQ(requests[1].params, "[\"POS-1\"," + std::to_string(counter + 1) + "]");
    EXPECT_EQ(requests[1].method, "GetOutputParametersAdditionalsStateInfo");
}

TEST_F(Shift, OpenShiftWithoutFlagsNamesTheFirstFlag) {
    companion.onResult("OpenShift", R"({"SessionNumber":5})");
    companion.onResult("GetOutputParametersAdditionalsStateInfo", kStateInfo);
    ExpectFailure(OpenShift(), 6,
                  "В ответе отсутствует обязательный параметр \"UrgentReplacementFN\"");
    EXPECT_EQ(Methods(), std::vector<std::string>{"OpenShift"});
}

TEST_F(Shift, FailingFollowUpAfterTheShiftWasOpenedFailsTheCall) {
    companion.onResult("OpenShift", R"({"SessionNumber":5,"OutputParameters":)"
                                    R"({"UrgentReplacementFN":false,"MemoryOverflowFN":false,)"
                                    R"("ResourcesExhaustionFN":false}})");
    companion.onResult("GetOutputParametersAdditionalsStateInfo", R"({"ShiftState":2})");
    ExpectFailure(OpenShift(), 6, "В ответе отсутствует обязательный параметр \"DateTimeFiscal\"");
    EXPECT_EQ(Methods(),
              (std::vector<std::string>{"OpenShift", "GetOutputParametersAdditionalsStateInfo"}));
}

TEST_F(Shift, CloseShiftMakesFourCallsAndAnswersCountersAndBalance) {
    companion.onResult("CloseShift",
                       R"({"SessionNumber":6,"OutputParameters":{"BacklogDocumentsCounter":2,)"
                       R"("BacklogDocumentFirstNumber":101,)"
                       R"("BacklogDocumentFirstDateTime":"2026-12-05 & later",)"
                       R"("MemoryOverflowFN":true,"ResourcesExhaustionFN":1}})");
    companion.onResult("GetOutputParametersAdditionalsStateInfo",
                       R"({"ShiftState":1,"DateTimeFiscal":"2026-12-06T21:00:00"})");
    companion.onResult("GetOutputParametersAdditionalsOperationCounters", kCounters);
    companion.onResult("GetOutputParametersAdditionalsCashBalance", R"({"CashBalance":1500})");

    const CallOutcome outcome = CloseShift();
    EXPECT_TRUE(outcome.result.flag);
    EXPECT_TRUE(component.connection.errors.empty());
    EXPECT_EQ(
        outcome.params[2].text,
        "<outputParameters>\n"
        "    <Parameters ShiftState=\"1\" ShiftNumber=\"6\" DateTime=\"2026-12-06T21:00:00\" "
        "CashBalance=\"1500\" BacklogDocumentsCounter=\"2\" "
        "BacklogDocumentFirstNumber=\"101\" "
        "BacklogDocumentFirstDateTime=\"2026-12-05 &amp; later\" FNOverflow=\"true\" "
        "FNFail=\"false\">\n"
        "        <CountersOperationType1 CheckCount=\"3\" TotalChecksAmount=\"1500.5\" "
        "CorrectionCheckCount=\"1\" TotalCorrectionChecksAmount=\"10\"/>\n"
        "        <CountersOperationType2 CheckCount=\"7\" "
        "TotalChecksAmount=\"0.10000000000000001\" CorrectionCheckCount=\"0\" "
        "TotalCorrectionChecksAmount=\"0\"/>\n"
        "        <CountersOperationType3 CheckCount=\"0\" TotalChecksAmount=\"0\" "
        "CorrectionCheckCount=\"0\" TotalCorrectionChecksAmount=\"0\"/>\n"
        "        <CountersOperationType4 CheckCount=\"1\" TotalChecksAmount=\"99.989999999999995\" "
        "CorrectionCheckCount=\"0\" TotalCorrectionChecksAmount=\"0\"/>\n"
        "    </Parameters>\n"
        "</outputParameters>\n");
    EXPECT_EQ(Methods(),
              (std::vector<std::string>{"CloseShift", "GetOutputParametersAdditionalsStateInfo",
                                        "GetOutputParametersAdditionalsOperationCounters",
                                        "GetOutputParametersAdditionalsCashBalance"}));
    EXPECT_EQ(companion.requests()[0].paramList.at(2), kCashierOnWire);
}

TEST_F(Shift, CloseShiftResultMayLackItsContainerAndNumber) {
    companion.onResult("CloseShift", "{}");
    companion.onResult("GetOutputParametersAdditionalsStateInfo", kStateInfo);
    companion.onResult("GetOutputParametersAdditionalsOperationCounters", kCounters);
    companion.onResult("GetOutputParametersAdditionalsCashBalance", "{}");

    const CallOutcome outcome = CloseShift();
    EXPECT_TRUE(outcome.result.flag);
    const std::string& xml = outcome.params[2].text;
    EXPECT_NE(xml.find("<Parameters ShiftState=\"2\" ShiftNumber=\"0\" "
                       "DateTime=\"2026-12-06T09:00:00\" CashBalance=\"0\" "
                       "BacklogDocumentsCounter=\"0\">\n"),
              std::string::npos)
        << xml;
    EXPECT_EQ(xml.find("FN"), std::string::npos);
}

TEST_F(Shift, CountersWithoutATypeNameTheFirstKeyOfIt) {
    std::string counters = kCounters;
    const std::string type3 = counters.substr(counters.find("\"CountersOperationType3\""));
    counters.replace(counters.find("\"CountersOperationType3\""),
                     type3.find("\"CountersOperationType4\""), "");
    companion.onResult("CloseShift", "{}");
    companion.onResult("GetOutputParametersAdditionalsStateInfo", kStateInfo);
    companion.onResult("GetOutputParametersAdditionalsOperationCounters", counters);

    ExpectFailure(CloseShift(), 6, "В ответе отсутствует обязательный параметр \"CheckCount\"");
    EXPECT_EQ(Methods().size(), 3u);
}

TEST_F(Shift, UnusableInputParametersSendNothing) {
    ExpectFailure(OpenShift("<InputParameters><Parameters CashierName=\"A\">"), 8,
                  "Некорректные входные данные: входные параметры не являются корректным XML");
    component.connection.errors.clear();
    ExpectFailure(CloseShift("<InputParameters><Parameter CashierName=\"A\"/></InputParameters>"),
                  8, "Некорректные входные данные: отсутствует элемент Parameters");
    component.connection.errors.clear();
    ExpectFailure(OpenShift(""), 8,
                  "Некорректные входные данные: входные параметры не являются корректным XML");
    EXPECT_EQ(companion.connectionCount(), 0u);
}

TEST_F(Shift, MissingCashierNameIsSentEmpty) {
    companion.onResult("OpenShift", R"({"SessionNumber":1,"OutputParameters":)"
                                    R"({"UrgentReplacementFN":true,"MemoryOverflowFN":false,)"
                                    R"("ResourcesExhaustionFN":false}})");
    companion.onResult("GetOutputParametersAdditionalsStateInfo", kStateInfo);
    EXPECT_TRUE(OpenShift("<I><Parameters SaleAddress=\"Москва\"/></I>").result.flag);
    EXPECT_EQ(companion.requests().at(0).paramList.at(2),
              R"("{\"CashierName\":\"\",\"SaleAddress\":\"Москва\"}")");
}

TEST_F(Shift, UnreachableCompanionIsAConnectionError) {
    component.Connect("127.0.0.1", TestCompanion::ClosedPort());
    ExpectFailure(CloseShift(), 1, "Невозможно установить соединение с приложением.");
}

}  // namespace
}  // namespace zarvik::test
