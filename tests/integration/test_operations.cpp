// Every operation end to end, a row per case: the call the platform makes, the
// companion's answers, the requests it receives, what the platform gets back
// and the call's log. Every request of every row is also checked for its
// envelope, PosId, a counter that advances by one per request, and records
// written exactly as the compact JSON writer writes them.
#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "component_fixture.h"

namespace zarvik::test {
namespace {

struct Answer {
    std::string method;
    std::string result;  // "!text": the companion refuses with that message
};

struct Row {
    std::string method;
    std::vector<Param> args;
    std::vector<Answer> answers;
    std::vector<std::string>
        sent;                  // "Method params-after-the-counter"; a trailing '*' matches the rest
    std::string written = {};  // "[index] value" of each out-parameter written
    std::string report = {};   // "code description" of the first AddError; empty: success
    std::vector<std::string> log = {};  // pieces of the call's log in order; "!piece": never there
};

const Param E = Param::Empty();
Param S(const std::string& text) { return Param::Str(text); }
std::string Bad(const std::string& detail) { return "8 Некорректные входные данные: " + detail; }
std::string Missing(const std::string& key) {
    return "6 В ответе отсутствует обязательный параметр \"" + key + "\"";
}

std::string Compact(const rapidjson::Value& value) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    value.Accept(writer);
    return std::string(buffer.GetString(), buffer.GetSize());
}

// A record travels as JSON text inside a JSON string.
void ExpectCompactRecord(const std::string& param) {
    rapidjson::Document outer;
    outer.Parse(param.c_str(), param.size());
    if (!outer.IsString()) return;
    const std::string text(outer.GetString(), outer.GetStringLength());
    rapidjson::Document inner;
    inner.Parse(text.c_str(), text.size());
    if (!inner.HasParseError()) {
        EXPECT_EQ(Compact(inner), text);
    }
}

const char* const kPosIdOnWire = R"("POS \"1\" \\ 2")";

const char* const kInput =
    R"(<InputParameters><Parameters CashierName="Иванов И.И." CashierINN="770123456789"/>)"
    R"(</InputParameters>)";
const std::string kCashier =
    R"("{\"CashierName\":\"Иванов И.И.\",\"CashierVATIN\":\"770123456789\"}")";

class Operations : public ComponentWithCompanion {
  protected:
    void SetUp() override { component.Connect("127.0.0.1", companion.port(), "POS \"1\" \\ 2"); }

    void Run(const std::vector<Row>& rows) {
        for (const Row& row : rows) {
            SCOPED_TRACE("row " + std::to_string(&row - rows.data()) + ": " + row.method);
            companion.clear();
            for (const Answer& answer : row.answers) {
                if (answer.result[0] == '!') {
                    companion.onError(answer.method, -1, answer.result.substr(1));
                } else {
                    companion.onResult(answer.method, answer.result);
                }
            }
            const size_t logFrom = ReadLogText(logPath).size();
            const CallOutcome outcome = component.Call(row.method, row.args);
            EXPECT_TRUE(outcome.returned);
            EXPECT_EQ(outcome.result.flag, row.report.empty());

            std::string written;
            for (size_t i = 0; i < outcome.params.size(); ++i) {
                const Value& value = outcome.params[i];
                if (value.untouched) continue;
                written += "[" + std::to_string(i) + "] " +
                           (value.vt == VTYPE_I4 ? "i4 " + std::to_string(value.i4) : value.text);
            }
            EXPECT_EQ(written, row.written);

            auto& errors = component.connection.errors;
            EXPECT_EQ(errors.size(), row.report.empty() ? 0u : row.report[0] == '5' ? 2u : 1u);
            EXPECT_EQ(
                errors.empty() ? "" : std::to_string(errors[0].code) + " " + errors[0].description,
                row.report);
            errors.clear();

            const auto requests = companion.requests();
            std::vector<std::string> sent;
            for (size_t i = 0; i < requests.size(); ++i) {
                sent.push_back(Sent(requests[i]));
                if (i < row.sent.size() && row.sent[i].back() == '*') {
                    sent.back().resize(std::min(sent.back().size(), row.sent[i].size() - 1));
                    sent.back() += '*';
                }
            }
            EXPECT_EQ(sent, row.sent);

            const std::string log = ReadLogText(logPath).substr(logFrom);
            size_t at = 0;
            for (const std::string& piece : row.log) {
                if (piece[0] == '!') {
                    EXPECT_EQ(log.find(piece.substr(1)), std::string::npos) << piece << "\n" << log;
                    continue;
                }
                const size_t found = log.find(piece, at);
                ASSERT_NE(found, std::string::npos) << "missing in order: " << piece << "\n" << log;
                at = found + piece.size();
            }
        }
    }

    // The request as the compact writer would frame it; its parameters after the counter.
    std::string Sent(const RecordedRequest& request) {
        EXPECT_EQ(request.raw, "{\"jsonrpc\":\"2.0\",\"id\":" + request.id + ",\"method\":\"" +
                                   request.method + "\",\"params\":" + request.params + "}\r\n");
        if (request.paramList.size() < 2) return request.raw;
        EXPECT_EQ(request.paramList[0], kPosIdOnWire);
        const uint32_t counter = static_cast<uint32_t>(std::stoll(request.id));
        EXPECT_EQ(request.paramList[1], std::to_string(counter));
        if (counter_ != 0) {
            EXPECT_EQ(counter, counter_ + 1);
        }
        counter_ = counter;
        std::string line = request.method;
        for (size_t i = 2; i < request.paramList.size(); ++i) {
            line += (i == 2 ? " " : ",") + request.paramList[i];
            ExpectCompactRecord(request.paramList[i]);
        }
        return line;
    }

    uint32_t counter_ = 0;
};

// ---- shift, status and reports ----------------------------------------------

Row Case(const std::string& method, std::vector<Param> args, std::vector<Answer> answers,
         std::vector<std::string> sent, std::string written = "", std::string report = "",
         std::vector<std::string> log = {}) {
    return {method,          std::move(args),    std::move(answers),
            std::move(sent), std::move(written), std::move(report),
            std::move(log)};
}
// Refused before anything is sent.
Row Refused(const std::string& method, std::vector<Param> args, const std::string& detail) {
    return {method, std::move(args), {}, {}, "", Bad(detail)};
}

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
const char* const kCountersXml =
    "        <CountersOperationType1 CheckCount=\"3\" TotalChecksAmount=\"1500.5\" "
    "CorrectionCheckCount=\"1\" TotalCorrectionChecksAmount=\"10\"/>\n"
    "        <CountersOperationType2 CheckCount=\"7\" TotalChecksAmount=\"0.10000000000000001\" "
    "CorrectionCheckCount=\"0\" TotalCorrectionChecksAmount=\"0\"/>\n"
    "        <CountersOperationType3 CheckCount=\"0\" TotalChecksAmount=\"0\" "
    "CorrectionCheckCount=\"0\" TotalCorrectionChecksAmount=\"0\"/>\n"
    "        <CountersOperationType4 CheckCount=\"1\" TotalChecksAmount=\"99.989999999999995\" "
    "CorrectionCheckCount=\"0\" TotalCorrectionChecksAmount=\"0\"/>\n"
    "    </Parameters>\n</outputParameters>\n";
const char* const kOpened = R"({"SessionNumber":5,"OutputParameters":{"UrgentReplacementFN":false,)"
                            R"("MemoryOverflowFN":false,"ResourcesExhaustionFN":true}})";
const char* const kOpenedXml =
    "[2] <outputParameters>\n    <Parameters ShiftState=\"2\" ShiftNumber=\"5\" "
    "DateTime=\"2026-12-06T09:00:00\" FNError=\"false\" FNOverflow=\"false\" FNFail=\"true\"/>\n"
    "</outputParameters>\n";
const std::string kStateInfoCall = "GetOutputParametersAdditionalsStateInfo";
const std::string kCountersCall = "GetOutputParametersAdditionalsOperationCounters";
const std::string kBalanceCall = "GetOutputParametersAdditionalsCashBalance";

TEST_F(Operations, ShiftStatusAndReports) {
    const std::vector<Answer> opened = {{"OpenShift", kOpened}, {kStateInfoCall, kStateInfo}};
    const auto input = [](const std::string& text) -> std::vector<Param> {
        return {S("1"), S(text), E};
    };
    const std::string closeShift = "CloseShift " + kCashier;
    const std::string settlements = "ReportCurrentStatusOfSettlements";
    Run({
        Case("OpenShift", input(kInput), opened, {"OpenShift " + kCashier, kStateInfoCall},
             kOpenedXml),
        Case("OpenShift", input(R"(<I><Parameters SaleAddress="Москва"/></I>)"), opened,
             {R"(OpenShift "{\"CashierName\":\"\",\"SaleAddress\":\"Москва\"}")", kStateInfoCall},
             kOpenedXml),
        Case("OpenShift", input(kInput), {{"OpenShift", R"({"SessionNumber":5})"}},
             {"OpenShift " + kCashier}, "", Missing("UrgentReplacementFN")),
        // The shift is open by now, and yet the call fails: the answer is incomplete.
        Case("OpenShift", input(kInput), {opened[0], {kStateInfoCall, R"({"ShiftState":2})"}},
             {"OpenShift " + kCashier, kStateInfoCall}, "", Missing("DateTimeFiscal")),
        Case(
            "CloseShift", input(kInput),
            {{"CloseShift",
              R"({"SessionNumber":6,"OutputParameters":{"BacklogDocumentsCounter":2,)"
              R"("BacklogDocumentFirstNumber":101,"BacklogDocumentFirstDateTime":"2026-12-05 & later",)"
              R"("MemoryOverflowFN":true,"ResourcesExhaustionFN":1}})"},
             {kStateInfoCall, R"({"ShiftState":1,"DateTimeFiscal":"2026-12-06T21:00:00"})"},
             {kCountersCall, kCounters},
             {kBalanceCall, R"({"CashBalance":1500})"}},
            {closeShift, kStateInfoCall, kCountersCall, kBalanceCall},
            std::string(
                "[2] <outputParameters>\n    <Parameters ShiftState=\"1\" ShiftNumber=\"6\" "
                "DateTime=\"2026-12-06T21:00:00\" CashBalance=\"1500\" "
                "BacklogDocumentsCounter=\"2\" BacklogDocumentFirstNumber=\"101\" "
                "BacklogDocumentFirstDateTime=\"2026-12-05 &amp; later\" "
                "FNOverflow=\"true\" FNFail=\"false\">\n") +
                kCountersXml),
        Case("CloseShift", input(kInput),
             {{"CloseShift", "{}"},
              {kStateInfoCall, kStateInfo},
              {kCountersCall, kCounters},
              {kBalanceCall, "{}"}},
             {closeShift, kStateInfoCall, kCountersCall, kBalanceCall},
             std::string(
                 "[2] <outputParameters>\n    <Parameters ShiftState=\"2\" ShiftNumber=\"0\" "
                 "DateTime=\"2026-12-06T09:00:00\" CashBalance=\"0\" "
                 "BacklogDocumentsCounter=\"0\">\n") +
                 kCountersXml),
        Case("CloseShift", input(kInput),
             {{"CloseShift", "{}"},
              {kCountersCall, R"({"CountersOperationType1":{"CheckCount":3,"TotalChecksAmount":1,)"
                              R"("CorrectionCheckCount":1,"TotalCorrectionChecksAmount":10}})"}},
             {closeShift, kStateInfoCall, kCountersCall}, "", Missing("CheckCount")),
        Refused("OpenShift", input(""), "входные параметры не являются корректным XML"),
        Refused("CloseShift", input("<I><Parameter CashierName=\"A\"/></I>"),
                "отсутствует элемент Parameters"),
        // The input parameters of the status are neither read nor sent.
        Case("GetCurrentStatus", input("<ignored"),
             {{"GetCurrentStatus", R"({"CheckNumber":12,"SessionNumber":4,"SessionState":2,)"
                                   R"("StatusParameters":{"BacklogDocumentCounter":0}})"},
              {kBalanceCall, R"({"CashBalance":250.5})"}},
             {"GetCurrentStatus", kBalanceCall},
             "[2] <outputParameters>\n    <Parameters ShiftState=\"2\" ShiftNumber=\"4\" "
             "CheckNumber=\"12\" CashBalance=\"250.5\" BacklogDocumentsCounter=\"0\"/>\n"
             "</outputParameters>\n"),
        // Only the singular counter key is read there.
        Case("GetCurrentStatus", input(""),
             {{"GetCurrentStatus", R"({"CheckNumber":-1,"SessionNumber":4,)"
                                   R"("StatusParameters":{"BacklogDocumentsCounter":9,)"
                                   R"("BacklogDocumentFirstNumber":33,)"
                                   R"("BacklogDocumentFirstDateTime":"01.12.2026 10:00"}})"},
              {kBalanceCall, R"({"CashBalance":0})"}},
             {"GetCurrentStatus", kBalanceCall},
             "[2] <outputParameters>\n    <Parameters ShiftState=\"0\" ShiftNumber=\"4\" "
             "CheckNumber=\"4294967295\" CashBalance=\"0\" BacklogDocumentsCounter=\"0\" "
             "BacklogDocumentFirstNumber=\"33\" BacklogDocumentFirstDateTime=\"01.12.2026 "
             "10:00\"/>\n"
             "</outputParameters>\n"),
        Case("GetCurrentStatus", input(""), {{"GetCurrentStatus", "!ФН не найден"}},
             {"GetCurrentStatus"}, "", "5 ФН не найден"),
        Case(settlements, input(kInput),
             {{settlements, R"({"OutputParameters":{"BacklogDocumentsCounter":3,)"
                            R"("BacklogDocumentFirstNumber":"not a number"}})"},
              {kStateInfoCall, R"({"ShiftState":2,"DateTimeFiscal":"2026-12-06T12:00:00"})"},
              {kBalanceCall, R"({"CashBalance":-12.25})"}},
             {settlements + " " + kCashier, kStateInfoCall, kBalanceCall},
             "[2] <outputParameters>\n    <Parameters ShiftState=\"2\" "
             "DateTime=\"2026-12-06T12:00:00\" CashBalance=\"-12.25\" "
             "BacklogDocumentsCounter=\"3\"/>\n</outputParameters>\n"),
        Case(settlements, input(kInput),
             {{settlements, "{}"}, {kStateInfoCall, R"({"DateTimeFiscal":""})"}},
             {settlements + " " + kCashier, kStateInfoCall}, "", Missing("ShiftState")),
        Refused(settlements, input("<not xml"), "входные параметры не являются корректным XML"),
        // Any result of the X report will do.
        Case("PrintXReport", {S("1"), S(kInput)}, {{"PrintXReport", R"({"any":[1,2]})"}},
             {"PrintXReport " + kCashier}),
        Refused("PrintXReport", {S("1"), S("<InputParameters/>")},
                "отсутствует элемент Parameters"),
    });
}

// ---- cash and service ---------------------------------------------------------

TEST_F(Operations, CashAndService) {
    const std::vector<Answer> none = {{"CashInOutcome", "null"}};
    std::vector<Row> rows = {
        // The amount goes before the cashier and keeps its sign.
        Case("CashInOutcome", {S("1"), S(kInput), Param::I4(100)}, none,
             {"CashInOutcome 100.0," + kCashier}),
        Case("CashInOutcome", {S("1"), S(kInput), Param::R8(-250.75)}, none,
             {"CashInOutcome -250.75," + kCashier}),
        Refused("CashInOutcome", {S("1"), S("<InputParameters/>"), Param::R8(10)},
                "отсутствует элемент Parameters"),
        Case("GetLineLength", {S("1"), E}, {{"GetLineLength", R"({"LineLength":48})"}},
             {"GetLineLength"}, "[1] i4 48"),
        Case("GetLineLength", {S("1"), E}, {{"GetLineLength", "{}"}}, {"GetLineLength"},
             "[1] i4 0"),
        Case("GetLineLength", {S("1"), Param::I4(77)}, {{"GetLineLength", "!Принтер недоступен"}},
             {"GetLineLength"}, "", "5 Принтер недоступен"),
        Case("PrintCheckCopy", {S("1"), S("15")}, {{"PrintCheckCopy", "true"}},
             {R"(PrintCheckCopy "15")"}),
        Case("OpenCashDrawer", {S("1")}, {{"OpenCashDrawer", "null"}}, {"OpenCashDrawer"}),
    };
    for (const Param& amount :
         {S("100"), E, Param::Bool(true), Param::R8(std::numeric_limits<double>::infinity()),
          Param::R8(std::nan(""))}) {
        rows.push_back(Refused("CashInOutcome", {S("1"), S(kInput), amount},
                               "сумма (третий параметр) должна быть конечным числом"));
    }
    Run(rows);
}

// ---- marking codes -------------------------------------------------------------

TEST_F(Operations, MarkingCodes) {
    const std::vector<Answer> checked = {
        {"RequestKM", R"({"RequestKMResult":{"Checking":true,"CheckingResult":false}})"}};
    const auto request = [&](const std::string& xml, const std::string& sent) {
        return Case("RequestKM", {S("1"), S(xml), E}, checked, {"RequestKM " + sent},
                    "[2] <RequestKMResult Checking=\"true\" CheckingResult=\"false\"/>\n");
    };
    const auto processing = [](const std::string& result, const std::string& written,
                               const std::string& report = "") {
        return Case("GetProcessingKMResult", {S("1"), E, E}, {{"GetProcessingKMResult", result}},
                    {"GetProcessingKMResult"}, written, report);
    };
    const auto refused = [](const std::string& xml, const std::string& detail) {
        return Refused("RequestKM", {S("1"), S(xml), E}, detail);
    };
    const auto session = [](const std::string& method, const std::string& result,
                            const std::string& report = "") {
        return Case(method, {S("1")}, {{method, result}}, {method}, "", report);
    };
    const std::string plain = R"(<R GUID="g" MarkingCode="m"/>)";
    const auto confirm = [](const Param& type, const std::string& sent) {
        return Case("ConfirmKM", {S("1"), S("g"), type}, {{"ConfirmKM", "null"}},
                    {R"(ConfirmKM "{\"GUID\":\"g\",\"ConfirmationType\":)" + sent + R"(}")"});
    };
    const auto unconfirmed = [](const Param& type) {
        return Refused("ConfirmKM", {S("1"), S("g"), type},
                       "тип подтверждения (третий параметр) должен быть целым числом");
    };
    Run({
        request(R"(<RequestKM GUID="g-1" MarkingCode="010460" PlannedStatus="1"/>)",
                R"("{\"GUID\":\"g-1\",\"MarkingCode\":\"010460\",\"PlannedStatus\":1}")"),
        request(R"(<RequestKM GUID="g" MarkingCode="m" WaitForResult="false"/>)",
                R"("{\"GUID\":\"g\",\"WaitForResult\":true,\"MarkingCode\":\"m\",)"
                R"(\"PlannedStatus\":0}")"),
        request(R"(<RequestKM GUID="g" MarkingCode="m" Quantity="0"/>)",
                R"("{\"GUID\":\"g\",\"MarkingCode\":\"m\",\"PlannedStatus\":0}")"),
        request(R"(<RequestKM GUID="g" MarkingCode="m" Quantity="1.5"/>)",
                R"("{\"GUID\":\"g\",\"MarkingCode\":\"m\",\"PlannedStatus\":0,\"Quantity\":1.5}")"),
        request(R"(<RequestKM GUID="g" MarkingCode="m" MeasureOfQuantity="0"/>)",
                R"("{\"GUID\":\"g\",\"MarkingCode\":\"m\",\"PlannedStatus\":0,)"
                R"(\"MeasureOfQuantity\":\"0\"}")"),
        request(R"(<RequestKM GUID="g" MarkingCode="01&#29;21" PlannedStatus="2" Quantity="1")"
                R"( MeasureOfQuantity="41"><FractionalQuantity Numerator="1" Denominator="4"/>)"
                R"(</RequestKM>)",
                R"("{\"GUID\":\"g\",\"MarkingCode\":\"01\\u001D21\",\"PlannedStatus\":2,)"
                R"(\"Quantity\":1.0,\"MeasureOfQuantity\":\"41\",)"
                R"(\"FractionalQuantity\":{\"Numerator\":1,\"Denominator\":4}}")"),
        // Numbers read as the C runtime reads them: blanks first, one sign, hex, saturation.
        request(
            R"(<R GUID="g" MarkingCode="m" Quantity="&#9;&#10;&#11;&#12;&#13; 1.5")"
            R"( PlannedStatus=" 99999999999999999999"/>)",
            R"("{\"GUID\":\"g\",\"MarkingCode\":\"m\",\"PlannedStatus\":-1,\"Quantity\":1.5}")"),
        request(
            R"(<R GUID="g" MarkingCode="m" Quantity="0X10" PlannedStatus="-99999999999999999999"/>)",
            R"("{\"GUID\":\"g\",\"MarkingCode\":\"m\",\"PlannedStatus\":0,\"Quantity\":16.0}")"),
        request(R"(<R GUID="g" MarkingCode="m" Quantity="+-1"/>)",
                R"("{\"GUID\":\"g\",\"MarkingCode\":\"m\",\"PlannedStatus\":0}")"),
        request(R"(<R GUID="g" MarkingCode="m" Quantity="-+1"/>)",
                R"("{\"GUID\":\"g\",\"MarkingCode\":\"m\",\"PlannedStatus\":0}")"),
        refused(R"(<R GUID="g" MarkingCode="m" Quantity="1e400"/>)",
                "недопустимое числовое значение атрибута Quantity у элемента R: 1e400"),
        refused(R"(<R GUID="g" MarkingCode="m" Quantity="0x1p99999"/>)",
                "недопустимое числовое значение атрибута Quantity у элемента R: 0x1p99999"),
        // Only the literal true is true.
        Case("RequestKM", {S("1"), S(plain), E},
             {{"RequestKM", R"({"RequestKMResult":{"Checking":1,"CheckingResult":"true"}})"}},
             {R"(RequestKM "{\"GUID\":\"g\",\"MarkingCode\":\"m\",\"PlannedStatus\":0}")"},
             "[2] <RequestKMResult Checking=\"false\" CheckingResult=\"false\"/>\n", "",
             {"INFO: ***** Start RequestKM commmand *****", "INFO: RequestKM param:\n\n\n[",
              "INFO: " + plain, "INFO: ***** Finish RequestKM commmand *****"}),
        Case("RequestKM", {S("1"), S(plain), E}, {{"RequestKM", "{}"}}, {"RequestKM *"}, "",
             Missing("Checking")),
        Case("RequestKM", {S("1"), S(plain), E},
             {{"RequestKM", R"({"RequestKMResult":{"Checking":true}})"}}, {"RequestKM *"}, "",
             Missing("CheckingResult"), {"!Finish RequestKM"}),
        refused(R"(<R GUID="g" MarkingCode="m">)",
                "запрос кода маркировки не является корректным XML"),
        refused("<!-- -->", "в запросе кода маркировки отсутствует корневой элемент"),
        refused(R"(<R MarkingCode="m"/>)", "отсутствует атрибут GUID"),
        refused(R"(<R GUID="g"/>)", "отсутствует атрибут MarkingCode"),
        // Unsigned codes arrive signed or unsigned.
        processing(R"({"RequestStatus":2,"ProcessingKMResult":{"GUID":"a1b2","Result":true,)"
                   R"("ResultCode":-1,"HandleCode":5,"StatusInfo":3}})",
                   "[1] <ProcessingKMResult GUID=\"a1b2\" Result=\"true\" "
                   "ResultCode=\"4294967295\" HandleCode=\"5\" StatusInfo=\"3\"/>\n[2] i4 2"),
        processing(R"({"ProcessingKMResult":{"Result":"true","ResultCode":0,)"
                   R"("HandleCode":4294967295,"GUID":17}})",
                   "[1] <ProcessingKMResult GUID=\"\" Result=\"false\" ResultCode=\"0\" "
                   "HandleCode=\"4294967295\"/>\n[2] i4 0"),
        processing(R"({"RequestStatus":1})", "", Missing("Result")),
        processing(R"({"ProcessingKMResult":{"Result":true,"HandleCode":1}})", "",
                   Missing("ResultCode")),
        processing(R"({"ProcessingKMResult":{"Result":true,"ResultCode":1}})", "",
                   Missing("HandleCode")),
        // The type is any whole number the platform may hand over, read as unsigned.
        confirm(Param::I4(-1), "4294967295"),
        confirm(Param::UI4(7), "7"),
        confirm(Param::R8(-1), "4294967295"),
        confirm(Param::R8(2), "2"),
        unconfirmed(Param::R8(1.5)),
        unconfirmed(Param::R8(5e9)),
        unconfirmed(Param::R8(-3e9)),
        unconfirmed(Param::R8(std::numeric_limits<double>::infinity())),
        unconfirmed(S("1")),
        // Sessions are forwarded every time: the register keeps their state.
        session("OpenSessionRegistrationKM", "null"),
        session("OpenSessionRegistrationKM", "null"),
        session("CloseSessionRegistrationKM", R"({"any":true})"),
        session("CloseSessionRegistrationKM", "!Сессия не открыта", "5 Сессия не открыта"),
    });
}

// ---- text documents -------------------------------------------------------------

TEST_F(Operations, TextDocuments) {
    const auto print = [](const std::string& document, const std::string& sent) {
        return Case("PrintTextDocument", {S("1"), S(document)}, {{"PrintTextDocument", "null"}},
                    {"PrintTextDocument " + sent});
    };
    const auto refused = [](const std::string& document, const std::string& detail) {
        return Refused("PrintTextDocument", {S("1"), S(document)}, detail);
    };
    Run({
        // In document order; a picture is not sent.
        print("<Document><Positions><TextString Text=\"Добро пожаловать\"/>"
              "<Barcode Type=\"QR\" ValueBase64=\"aHR0cHM6Ly9leGFtcGxlLnJ1\"/>"
              "<Picture Path=\"logo.bmp\"/><TextString Text=\"\"/></Positions></Document>",
              R"("[{\"LineType\":\"TextString\",\"Text\":\"Добро пожаловать\"},)"
              R"({\"LineType\":\"Barcode\",\"BarcodeType\":\"QR\",)"
              R"(\"Barcode\":\"aHR0cHM6Ly9leGFtcGxlLnJ1\"},)"
              R"({\"LineType\":\"TextString\",\"Text\":\"\"}]")"),
        print("<Document><Positions/></Document>", R"("[]")"),
        print("<D><Positions><Barcode Type=\"EAN13\"/><TextString/></Positions></D>",
              R"("[{\"LineType\":\"Barcode\",\"BarcodeType\":\"EAN13\",\"Barcode\":\"\"},)"
              R"({\"LineType\":\"TextString\",\"Text\":\"\"}]")"),
        Case(
            "PrintTextDocument",
            {S("1"), S("<D><Positions><Barcode Type=\"X\" ValueBase64=\"AA==\"/></Positions></D>")},
            {{"PrintTextDocument", "!Неизвестный тип штрихкода"}}, {"PrintTextDocument *"}, "",
            "5 Неизвестный тип штрихкода"),
        refused("<Document><Positions></Document>",
                "текстовый документ не является корректным XML"),
        refused("", "текстовый документ не является корректным XML"),
        refused("<?xml version=\"1.0\"?>", "в текстовом документе отсутствует корневой элемент"),
        refused("<Document><TextString Text=\"a\"/></Document>", "отсутствует элемент Positions"),
    });
}

// ---- receipts ---------------------------------------------------------------------

const char* const kPackage =
    R"(<CheckPackage><Parameters CashierName="Петрова О.С." OperationType="1" TaxationSystem="0"/>)"
    R"(<Positions><FiscalString Name="Хлеб" Quantity="1" PriceWithDiscount="45.9")"
    R"( AmountWithDiscount="45.9" VATRate="10" VATAmount="4.17")"
    R"( MarkingCode="0104606203098187215Nk7tQ&#x1D;93dGVz"><GoodCodeData GS1.M="01046062&#29;93ab"/>)"
    R"(</FiscalString></Positions><Payments Cash="50"/></CheckPackage>)";
// The group separator of a marking code is escaped twice: in the document and in the request.
const char* const kPackageOnWire =
    R"("",false,"{\"Parameters\":{\"CashierName\":\"Петрова О.С.\",\"PaymentType\":1,\"TaxVariant\":0},)"
    R"(\"Positions\":{\"FiscalString\":[{\"Name\":\"Хлеб\",\"Quantity\":1.0,)"
    R"(\"PriceWithDiscount\":45.9,\"SumWithDiscount\":45.9,\"Tax\":\"10\",\"VATAmount\":4.17,)"
    R"(\"GoodCodeData\":{\"GS1M\":\"01046062\\u001D93ab\"},)"
    R"(\"MarkingCode\":\"0104606203098187215Nk7tQ\\u001D93dGVz\"}],)"
    R"(\"TextString\":[],\"Barcode\":[]},\"Payments\":{\"Cash\":50.0}}")";
const char* const kRegistered = R"({"CheckNumber":12,"SessionNumber":3,"FiscalSign":"3522191049",)"
                                R"("AddressSiteInspections":"www.nalog.gov.ru"})";
const char* const kAdditionals = "GetDocumentOutputParametersAdditionals";

std::string ReceiptOutput(const std::string& numbers, const std::string& rest) {
    return "<DocumentOutputParameters>\n    <Parameters " + numbers + " " + rest +
           "/>\n</DocumentOutputParameters>\n";
}

const std::string kRegisteredXml =
    ReceiptOutput("ShiftNumber=\"3\" CheckNumber=\"12\" ShiftClosingCheckNumber=\"4\"",
                  "AddressSiteInspections=\"www.nalog.gov.ru\" FiscalSign=\"3522191049\" "
                  "DateTime=\"2026-12-06T21:05:00\"");

Row Receipt(const std::string& package, bool correction, std::vector<Answer> answers,
            std::vector<std::string> sent, std::string written, std::string report = "",
            std::vector<std::string> log = {}) {
    std::vector<Param> args = {S("1"), Param::Bool(false), S(package), E};
    if (correction) args.erase(args.begin() + 1);
    if (!written.empty()) written = "[" + std::to_string(args.size() - 1) + "] " + written;
    return Case(correction ? "ProcessCorrectionCheck" : "ProcessCheck", args, answers, sent,
                written, report, log);
}

const std::vector<Answer> kRegisteredAnswers = {
    {"ProcessCheck", kRegistered},
    {kAdditionals, R"({"ShiftClosingCheckNumber":4,"DateTimeFiscal":"2026-12-06T21:05:00"})"}};

TEST_F(Operations, Receipts) {
    const std::vector<Answer>& registered = kRegisteredAnswers;
    const std::string correction =
        R"(<C><Parameters CashierName="К"><CorrectionData Type="0" Description="ошибка")"
        R"( Date="2026-12-05" Number="7"/></Parameters><Positions/><Payments/></C>)";
    std::vector<Row> rows = {
        Receipt(kPackage, false, registered,
                {std::string("ProcessCheck ") + kPackageOnWire, kAdditionals}, kRegisteredXml, "",
                {"INFO: ***** Start ProcessCheck commmand *****", "INFO: False",
                 "INFO: CheckPackage param:\n\n", std::string("INFO: ") + kPackage,
                 "INFO: Request:", "INFO: Response:", "INFO: Request:", "INFO: Response:",
                 "INFO: ***** Finish ProcessCheck commmand *****"}),
        // A correction receipt is never electronic and logs no flag.
        Receipt(
            correction, true, registered,
            {R"(ProcessCheck "",false,"{\"Parameters\":{\"CashierName\":\"К\",\"PaymentType\":0,)"
             R"(\"CorrectionData\":{\"Type\":0,\"Description\":\"ошибка\",\"Date\":\"2026-12-05\",)"
             R"(\"Number\":\"7\"},\"TaxVariant\":0},\"Positions\":{\"FiscalString\":[],)"
             R"(\"TextString\":[],\"Barcode\":[]},\"Payments\":{}}")",
             kAdditionals},
            kRegisteredXml, "",
            {"INFO: ***** Start ProcessCorrectionCheck commmand *****",
             "INFO: CheckPackage param:\n\n", "INFO: " + correction,
             "INFO: ***** Finish ProcessCorrectionCheck commmand *****", "!INFO: False"}),
        // The platform reads the numbers as unsigned; what is missing reads as 0 or empty.
        Receipt(kPackage, false,
                {{"ProcessCheck", R"({"SessionNumber":-1,"FiscalSign":"1"})"},
                 {kAdditionals, R"({"DateTimeFiscal":"t"})"}},
                {"ProcessCheck *", kAdditionals},
                ReceiptOutput(
                    "ShiftNumber=\"4294967295\" CheckNumber=\"0\" ShiftClosingCheckNumber=\"0\"",
                    "AddressSiteInspections=\"\" FiscalSign=\"1\" DateTime=\"t\"")),
        Receipt(kPackage, false, {{"ProcessCheck", "true"}, {kAdditionals, "{}"}},
                {"ProcessCheck *", kAdditionals},
                ReceiptOutput("ShiftNumber=\"0\" CheckNumber=\"0\" ShiftClosingCheckNumber=\"0\"",
                              "AddressSiteInspections=\"\" FiscalSign=\"\" DateTime=\"\"")),
        // The receipt is in the fiscal storage: failing now would have the cashier punch it twice.
        Receipt(kPackage, false, {registered[0], {kAdditionals, "!ФН занят"}},
                {"ProcessCheck *", kAdditionals},
                ReceiptOutput("ShiftNumber=\"3\" CheckNumber=\"12\" ShiftClosingCheckNumber=\"0\"",
                              "AddressSiteInspections=\"www.nalog.gov.ru\" "
                              "FiscalSign=\"3522191049\" DateTime=\"\""),
                "",
                {"WARN: GetDocumentOutputParametersAdditionals failed after the receipt was "
                 "registered; ShiftClosingCheckNumber and DateTime are left empty: ФН занят",
                 "INFO: ***** Finish ProcessCheck commmand *****"}),
        Receipt(kPackage, false, {{"ProcessCheck", "!Смена превысила 24 часа"}}, {"ProcessCheck *"},
                "", "5 Смена превысила 24 часа",
                {"INFO: ***** Start ProcessCheck commmand *****", "INFO: False", "INFO: Request:",
                 "INFO: ***** Error ProcessCheck commmand *****", "!Finish ProcessCheck"}),
        Receipt(kPackage, true, {{"ProcessCheck", "!Смена закрыта"}}, {"ProcessCheck *"}, "",
                "5 Смена закрыта", {"Start ProcessCorrectionCheck", "!Error", "!Finish"}),
    };
    // The reader's every refusal is a unit test's; here they reach the platform from both methods.
    const std::string position = R"(<FiscalString Name="A" VATRate="20"/>)";
    const std::pair<std::string, std::string> incomplete[] = {
        {"<C><Parameters", "пакет чека не является корректным XML (строка 1)"},
        {R"(<C><Parameters CashierName="К"/><Payments/></C>)", "отсутствует элемент Positions"},
        {R"(<C><Parameters CashierName="К"/><Positions>)" + position + position +
             R"(<FiscalString Name="B"/></Positions><Payments/></C>)",
         "отсутствует атрибут VATRate у позиции 3"},
        {R"(<C><Parameters CashierName="К"/><Positions/><Payments Cash="nan"/></C>)",
         "недопустимое числовое значение атрибута Cash у элемента Payments: nan"},
    };
    for (const auto& [package, detail] : incomplete) {
        rows.push_back(Receipt(package, false, {}, {}, "", Bad(detail),
                               {"INFO: ***** Error ProcessCheck commmand *****"}));
        rows.push_back(Receipt(package, true, {}, {}, "", Bad(detail)));
    }
    Run(rows);
}

// Whatever bytes a text holds, the request is what the compact writer makes of
// it: every control character, quotation marks, backslashes, DEL, Cyrillic
// and a character outside the basic plane, escaped once in the document and
// again in the request line.
TEST_F(Operations, EveryEscapeIsTheCompactWritersOwn) {
    std::string name;
    for (int c = 1; c < 0x20; ++c) name += "&#" + std::to_string(c) + ";";
    name += "&quot;\\/&#x7F;Ёж😀";
    const std::string package =
        "<CheckPackage><Parameters CashierName=\"" + name + "\"/><Positions><FiscalString Name=\"" +
        name + "\" VATRate=\"20\"/></Positions><Payments Cash=\"1\"/></CheckPackage>";
    Run({Receipt(package, false, kRegisteredAnswers, {"ProcessCheck *", kAdditionals},
                 kRegisteredXml)});
    const std::string raw = companion.requests().at(0).raw;
    EXPECT_NE(raw.find(R"(\\u001F)"), std::string::npos);
    EXPECT_NE(raw.find(R"(\\\"\\\\/)"), std::string::npos);
}

#if defined(__SANITIZE_ADDRESS__)
constexpr std::chrono::seconds kThousandPositionsBudget{3};  // the sanitizers slow every step
#else
constexpr std::chrono::seconds kThousandPositionsBudget{1};
#endif

TEST_F(Operations, ThousandPositionsGoThroughWellUnderASecond) {
    std::string package = R"(<CheckPackage><Parameters CashierName="Петрова О.С."/><Positions>)";
    for (int i = 1; i <= 1000; ++i) {
        package += R"(<FiscalString Name="Товар )" + std::to_string(i) +
                   R"(" Quantity="1.5" PriceWithDiscount="99.9" AmountWithDiscount="149.85")"
                   R"( DiscountAmount="1" VATRate="20" VATAmount="24.98" PaymentMethod="4")"
                   R"( CalculationSubject="33" MeasureOfQuantity="0")"
                   R"( MarkingCode="0104606203098187215Nk7tQ&#x1D;93dGVz">)"
                   R"(<GoodCodeData EAN13="4606203098187"/></FiscalString>)";
    }
    package += R"(</Positions><Payments ElectronicPayment="149850"/></CheckPackage>)";
    const auto start = std::chrono::steady_clock::now();
    Run({Receipt(package, false, kRegisteredAnswers, {"ProcessCheck *", kAdditionals},
                 kRegisteredXml)});
    EXPECT_LT(std::chrono::steady_clock::now() - start, kThousandPositionsBudget);
    EXPECT_NE(companion.requests().at(0).raw.find(R"(\"Name\":\"Товар 1000\")"), std::string::npos);
}

}  // namespace
}  // namespace zarvik::test
