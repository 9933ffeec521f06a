// Marking-code checks end to end: the request objects the companion receives
// and the verdicts and processing results handed back to the platform.
#include <gtest/gtest.h>

#include <string>

#include "component_fixture.h"
#include "platform_emulator.h"
#include "test_companion.h"

namespace zarvik::test {
namespace {

const char* const kChecked = R"({"RequestKMResult":{"Checking":true,"CheckingResult":false}})";
const char* const kProcessed =
    R"({"RequestStatus":2,"ProcessingKMResult":{"GUID":"a1b2","Result":true,)"
    R"("ResultCode":-1,"HandleCode":5,"StatusInfo":3}})";

class Marking : public ComponentWithCompanion {
  protected:
    CallOutcome RequestKM(const std::string& request) {
        return component.Call("RequestKM", {Param::Str("1"), Param::Str(request), Param::Empty()});
    }
    CallOutcome GetProcessingKMResult() {
        return component.Call("GetProcessingKMResult",
                              {Param::Str("1"), Param::Empty(), Param::Empty()});
    }
    // The request object as the companion received it: JSON text in a JSON string.
    std::string LastSent() { return companion.requests().back().paramList.at(2); }
};

TEST_F(Marking, RequestObjectsAsSent) {
    struct Case {
        const char* xml;
        const char* sent;
    };
    const Case cases[] = {
        {R"(<RequestKM GUID="g-1" MarkingCode="010460" PlannedStatus="1"/>)",
         R"("{\"GUID\":\"g-1\",\"MarkingCode\":\"010460\",\"PlannedStatus\":1}")"},
        {R"(<RequestKM GUID="g" MarkingCode="m" WaitForResult="false"/>)",
         R"("{\"GUID\":\"g\",\"WaitForResult\":true,\"MarkingCode\":\"m\",\"PlannedStatus\":0}")"},
        {R"(<RequestKM GUID="g" MarkingCode="m" Quantity="0"/>)",
         R"("{\"GUID\":\"g\",\"MarkingCode\":\"m\",\"PlannedStatus\":0}")"},
        {R"(<RequestKM GUID="g" MarkingCode="m" Quantity="-1.5"/>)",
         R"("{\"GUID\":\"g\",\"MarkingCode\":\"m\",\"PlannedStatus\":0}")"},
        {R"(<RequestKM GUID="g" MarkingCode="m" Quantity="1.5"/>)",
         R"("{\"GUID\":\"g\",\"MarkingCode\":\"m\",\"PlannedStatus\":0,\"Quantity\":1.5}")"},
        {R"(<RequestKM GUID="g" MarkingCode="m" MeasureOfQuantity="0"/>)",
         R"("{\"GUID\":\"g\",\"MarkingCode\":\"m\",\"PlannedStatus\":0,)"
         R"(\"MeasureOfQuantity\":\"0\"}")"},
        {R"(<RequestKM GUID="g" MarkingCode="01&#29;21" PlannedStatus="2" Quantity="1")"
         R"( MeasureOfQuantity="41"><FractionalQuantity Numerator="1" Denominator="4"/>)"
         R"(</RequestKM>)",
         R"("{\"GUID\":\"g\",\"MarkingCode\":\"01\\u001D21\",\"PlannedStatus\":2,)"
         R"(\"Quantity\":1.0,\"MeasureOfQuantity\":\"41\",)"
         R"(\"FractionalQuantity\":{\"Numerator\":1,\"Denominator\":4}}")"},
    };
    companion.onResult("RequestKM", kChecked);
    for (const Case& c : cases) {
        EXPECT_TRUE(RequestKM(c.xml).result.flag) << c.xml;
        EXPECT_EQ(LastSent(), c.sent);
        EXPECT_EQ(companion.requests().back().paramList.size(), 3u);
    }
    EXPECT_TRUE(component.connection.errors.empty());
}

TEST_F(Marking, VerdictIsTrueOnlyForTheLiteralTrue) {
    companion.onResult("RequestKM", kChecked);
    CallOutcome outcome = RequestKM(R"(<RequestKM GUID="g" MarkingCode="m"/>)");
    EXPECT_TRUE(outcome.result.flag);
    EXPECT_EQ(outcome.params[2].text,
              "<RequestKMResult Checking=\"true\" CheckingResult=\"false\"/>\n");

    companion.onResult("RequestKM",
                       R"({"RequestKMResult":{"Checking":1,"CheckingResult":"true"}})");
    outcome = RequestKM(R"(<RequestKM GUID="g" MarkingCode="m"/>)");
    EXPECT_EQ(outcome.params[2].text,
              "<RequestKMResult Checking=\"false\" CheckingResult=\"false\"/>\n");
}

TEST_F(Marking, RequestKMIsFramedInTheLog) {
    companion.onResult("RequestKM", kChecked);
    const std::string request = R"(<RequestKM GUID="g" MarkingCode="m"/>)";
    ASSERT_TRUE(RequestKM(request).result.flag);
    const std::string log = ReadFile(logPath);
    const size_t start = log.find("INFO: ***** Start RequestKM commmand *****");
#if defined(_WIN32)
    const std::string eol = "\r\n";  // the Windows log stores every line feed as CR LF
#else
    const std::string eol = "\n";
#endif
    const size_t param = log.find("INFO: RequestKM param:" + eol + eol + eol + "[");
    const size_t text = log.find("INFO: " + request);
    const size_t finish = log.find("INFO: ***** Finish RequestKM commmand *****");
    ASSERT_NE(start, std::string::npos) << log;
    ASSERT_NE(param, std::string::npos) << log;
    ASSERT_NE(finish, std::string::npos) << log;
    EXPECT_LT(start, param);
    EXPECT_LT(param, text);
    EXPECT_LT(text, finish);
}

TEST_F(Marking, MissingVerdictKeysAreNamed) {
    companion.onResult("RequestKM", "{}");
    EXPECT_FALSE(RequestKM(R"(<R GUID="g" MarkingCode="m"/>)").result.flag);
    ExpectReported(6, "В ответе отсутствует обязательный параметр \"Checking\"");

    companion.onResult("RequestKM", R"({"RequestKMResult":{"Checking":true}})");
    const CallOutcome outcome = RequestKM(R"(<R GUID="g" MarkingCode="m"/>)");
    EXPECT_FALSE(outcome.result.flag);
    EXPECT_TRUE(outcome.params[2].untouched);
    ExpectReported(6, "В ответе отсутствует обязательный параметр \"CheckingResult\"");
    EXPECT_EQ(ReadFile(logPath).find("Finish RequestKM"), std::string::npos);
}

TEST_F(Marking, UnusableRequestSendsNothing) {
    const struct {
        const char* xml;
        const char* detail;
    } cases[] = {
        {R"(<R GUID="g" MarkingCode="m">)", "запрос кода маркировки не является корректным XML"},
        {"<!-- -->", "в запросе кода маркировки отсутствует корневой элемент"},
        {R"(<R MarkingCode="m"/>)", "отсутствует атрибут GUID"},
        {R"(<R GUID="g"/>)", "отсутствует атрибут MarkingCode"},
    };
    for (const auto& c : cases) {
        const CallOutcome outcome = RequestKM(c.xml);
        EXPECT_FALSE(outcome.result.flag) << c.xml;
        EXPECT_TRUE(outcome.params[2].untouched);
        ExpectReported(8, std::string("Некорректные входные данные: ") + c.detail);
    }
    EXPECT_EQ(companion.connectionCount(), 0u);
}

TEST_F(Marking, ProcessingResultWithEverything) {
    companion.onResult("GetProcessingKMResult", kProcessed);
    const CallOutcome outcome = GetProcessingKMResult();
    EXPECT_TRUE(outcome.result.flag);
    EXPECT_EQ(outcome.params[1].text,
              "<ProcessingKMResult GUID=\"a1b2\" Result=\"true\" ResultCode=\"4294967295\" "
              "HandleCode=\"5\" StatusInfo=\"3\"/>\n");
    EXPECT_EQ(outcome.params[2].vt, VTYPE_I4);
    EXPECT_EQ(outcome.params[2].i4, 2);
    EXPECT_EQ(companion.requests().at(0).paramList.size(), 2u);
}

TEST_F(Marking, ProcessingResultWithTheRequiredOnly) {
    companion.onResult("GetProcessingKMResult",
                       R"({"ProcessingKMResult":{"Result":"true","ResultCode":0,)"
                       R"("HandleCode":4294967295,"GUID":17}})");
    const CallOutcome outcome = GetProcessingKMResult();
    EXPECT_TRUE(outcome.result.flag);
    EXPECT_EQ(outcome.params[1].text,
              "<ProcessingKMResult GUID=\"\" Result=\"false\" ResultCode=\"0\" "
              "HandleCode=\"4294967295\"/>\n");
    EXPECT_EQ(outcome.params[2].vt, VTYPE_I4);
    EXPECT_EQ(outcome.params[2].i4, 0);
}

TEST_F(Marking, MissingProcessingKeysAreNamedAndNothingIsWritten) {
    const struct {
        const char* result;
        const char* key;
    } cases[] = {
        {R"({"RequestStatus":1})", "Result"},
        {R"({"ProcessingKMResult":{"Result":true,"HandleCode":1}})", "ResultCode"},
        {R"({"ProcessingKMResult":{"Result":true,"ResultCode":1}})", "HandleCode"},
    };
    for (const auto& c : cases) {
        companion.onResult("GetProcessingKMResult", c.result);
        const CallOutcome outcome = GetProcessingKMResult();
        EXPECT_FALSE(outcome.result.flag);
        EXPECT_TRUE(outcome.params[1].untouched);
        EXPECT_TRUE(outcome.params[2].untouched);
        ExpectReported(6,
                       std::string("В ответе отсутствует обязательный параметр \"") + c.key + "\"");
    }
}

TEST_F(Marking, ConfirmationTypeIsSentUnsigned) {
    companion.onResult("ConfirmKM", "null");
    EXPECT_TRUE(component.Call("ConfirmKM", {Param::Str("1"), Param::Str("g-1"), Param::I4(-1)})
                    .result.flag);
    EXPECT_EQ(LastSent(), R"("{\"GUID\":\"g-1\",\"ConfirmationType\":4294967295}")");
    EXPECT_TRUE(component.Call("ConfirmKM", {Param::Str("1"), Param::Str("g-2"), Param::I4(1)})
                    .result.flag);
    EXPECT_EQ(LastSent(), R"("{\"GUID\":\"g-2\",\"ConfirmationType\":1}")");
    EXPECT_TRUE(component.connection.errors.empty());
}

TEST_F(Marking, ConfirmAgainstAnUnreachableCompanionFails) {
    component.Connect("127.0.0.1", TestCompanion::ClosedPort());
    EXPECT_FALSE(
        component.Call("ConfirmKM", {Param::Str("1"), Param::Str("g"), Param::I4(0)}).result.flag);
    ExpectReported(1, "Невозможно установить соединение с приложением.");
}

TEST_F(Marking, SessionsAreForwardedEveryTime) {
    companion.onResult("OpenSessionRegistrationKM", "null");
    companion.onResult("CloseSessionRegistrationKM", R"({"whatever":true})");
    EXPECT_TRUE(component.Call("OpenSessionRegistrationKM", {Param::Str("1")}).result.flag);
    EXPECT_TRUE(component.Call("OpenSessionRegistrationKM", {Param::Str("1")}).result.flag);
    EXPECT_TRUE(component.Call("CloseSessionRegistrationKM", {Param::Str("1")}).result.flag);
    const auto requests = companion.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1].method, "OpenSessionRegistrationKM");
    EXPECT_EQ(requests[1].paramList.size(), 2u);
    EXPECT_EQ(requests[2].method, "CloseSessionRegistrationKM");

    companion.onError("CloseSessionRegistrationKM", 7, "Сессия не открыта");
    EXPECT_FALSE(component.Call("CloseSessionRegistrationKM", {Param::Str("1")}).result.flag);
    ASSERT_EQ(component.connection.errors.size(), 2u);
    EXPECT_EQ(component.connection.errors[0].code, 5);
    EXPECT_EQ(component.connection.errors[0].description, "Сессия не открыта");
}

}  // namespace
}  // namespace zarvik::test
