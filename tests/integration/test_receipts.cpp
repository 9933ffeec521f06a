// Receipts end to end: the platform hands the component a check package, the
// component registers it with the test companion and answers the output
// document.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "component_fixture.h"
#include "platform_emulator.h"
#include "test_companion.h"

namespace zarvik::test {
namespace {

const char* const kMinimalPackage =
    R"(<CheckPackage><Parameters CashierName="Петрова О.С." OperationType="1" TaxationSystem="0"/>)"
    R"(<Positions><FiscalString Name="Хлеб" Quantity="1" PriceWithDiscount="45.9")"
    R"( AmountWithDiscount="45.9" VATRate="10" VATAmount="4.17"/></Positions>)"
    R"(<Payments Cash="50"/></CheckPackage>)";

// The check document as it travels: JSON text inside a JSON string.
const char* const kMinimalDocumentOnWire =
    R"("{\"Parameters\":{\"CashierName\":\"Петрова О.С.\",\"PaymentType\":1,\"TaxVariant\":0},)"
    R"(\"Positions\":{\"FiscalString\":[{\"Name\":\"Хлеб\",\"Quantity\":1.0,)"
    R"(\"PriceWithDiscount\":45.9,\"SumWithDiscount\":45.9,\"Tax\":\"10\",\"VATAmount\":4.17}],)"
    R"(\"TextString\":[],\"Barcode\":[]},\"Payments\":{\"Cash\":50.0}}")";

const char* const kRegistered = R"({"CheckNumber":12,"SessionNumber":3,"FiscalSign":"3522191049",)"
                                R"("AddressSiteInspections":"www.nalog.gov.ru"})";
const char* const kAdditionals =
    R"({"ShiftClosingCheckNumber":4,"DateTimeFiscal":"2026-12-06T21:05:00"})";

const char* const kRegisteredOutput =
    "<DocumentOutputParameters>\n"
    "    <Parameters ShiftNumber=\"3\" CheckNumber=\"12\" ShiftClosingCheckNumber=\"4\" "
    "AddressSiteInspections=\"www.nalog.gov.ru\" FiscalSign=\"3522191049\" "
    "DateTime=\"2026-12-06T21:05:00\"/>\n"
    "</DocumentOutputParameters>\n";

class Receipts : public ComponentWithCompanion {
  protected:
    void AnswerRegistered() {
        companion.onResult("ProcessCheck", kRegistered);
        companion.onResult("GetDocumentOutputParametersAdditionals", kAdditionals);
    }
    CallOutcome ProcessCheck(const std::string& package, bool electronically = false) {
        return component.Call("ProcessCheck", {Param::Str("1"), Param::Bool(electronically),
                                               Param::Str(package), Param::Empty()});
    }
    CallOutcome ProcessCorrectionCheck(const std::string& package) {
        return component.Call("ProcessCorrectionCheck",
                              {Param::Str("1"), Param::Str(package), Param::Empty()});
    }
    // What this test logged (a folder can outlive a process id that wine
    // reuses), with line ends as on Linux: the Windows log stores CR LF.
    std::string Log() {
        const std::string log = ReadFile(logPath).substr(logStart);
        std::string lines;
        lines.reserve(log.size());
        for (size_t i = 0; i < log.size(); ++i) {
            if (!(log[i] == '\r' && i + 1 < log.size() && log[i + 1] == '\n')) lines += log[i];
        }
        return lines;
    }

    size_t logStart = ReadFile(logPath).size();
};

// Each piece found in the log after the one before it.
void ExpectInOrder(const std::string& log, const std::vector<std::string>& pieces) {
    size_t at = 0;
    for (const std::string& piece : pieces) {
        const size_t found = log.find(piece, at);
        ASSERT_NE(found, std::string::npos) << "missing in order: " << piece << "\nlog:\n" << log;
        at = found + piece.size();
    }
}

TEST_F(Receipts, MinimalReceiptIsRegisteredAndAnswered) {
    AnswerRegistered();
    const CallOutcome outcome = ProcessCheck(kMinimalPackage);
    EXPECT_TRUE(outcome.result.flag);
    EXPECT_TRUE(component.connection.errors.empty());
    EXPECT_EQ(outcome.params[3].text, kRegisteredOutput);

    const auto requests = companion.requests();
    ASSERT_EQ(requests.size(), 2u);
    const std::string id = requests[0].id;
    const uint32_t counter = static_cast<uint32_t>(std::stoll(id));
    EXPECT_EQ(requests[0].raw, "{\"jsonrpc\":\"2.0\",\"id\":" + id +
                                   ",\"method\":\"ProcessCheck\",\"params\":[\"POS-1\"," +
                                   std::to_string(counter) + ",\"\",false," +
                                   kMinimalDocumentOnWire + "]}\r\n");
    EXPECT_EQ(requests[1].method, "GetDocumentOutputParametersAdditionals");
    EXPECT_EQ(requests[1].params, "[\"POS-1\"," + std::to_string(counter + 1) + "]");
}

TEST_F(Receipts, EachReceiptAdvancesTheCounterByTwo) {
    AnswerRegistered();
    ProcessCheck(kMinimalPackage);
    ProcessCorrectionCheck(kMinimalPackage);
    const auto requests = companion.requests();
    ASSERT_EQ(requests.size(), 4u);
    const int64_t first = std::stoll(requests[0].paramList[1]);
    for (size_t i = 0; i < requests.size(); ++i) {
        EXPECT_EQ(std::stoll(requests[i].paramList[1]), first + static_cast<int64_t>(i));
    }
}

TEST_F(Receipts, GroupSeparatorOfAMarkingCodeIsEscapedTwiceOnTheWire) {
    AnswerRegistered();
    const std::string package =
        R"(<C><Parameters CashierName="К"/><Positions><FiscalString Name="Молоко" VATRate="10")"
        R"( MarkingCode="0104606203098187215Nk7tQ&#x1D;93dGVz">)"
        R"(<GoodCodeData GS1.M="01046062&#29;93ab"/></FiscalString></Positions><Payments/></C>)";
    EXPECT_TRUE(ProcessCheck(package).result.flag);
    const auto requests = companion.requests();
    ASSERT_FALSE(requests.empty());
    const std::string& raw = requests[0].raw;
    EXPECT_NE(raw.find(R"(\"GoodCodeData\":{\"GS1M\":\"01046062\\u001D93ab\"},)"
                       R"(\"MarkingCode\":\"0104606203098187215Nk7tQ\\u001D93dGVz\")"),
              std::string::npos)
        << raw;
    EXPECT_EQ(raw.find('\x1D'), std::string::npos);
}

TEST_F(Receipts, ElectronicallyFlagIsLoggedAndSent) {
    AnswerRegistered();
    EXPECT_TRUE(ProcessCheck(kMinimalPackage, true).result.flag);
    ASSERT_EQ(companion.requests().size(), 2u);
    EXPECT_EQ(companion.requests()[0].paramList[3], "true");
    ExpectInOrder(Log(), {"INFO: ***** Start ProcessCheck commmand *****", "INFO: True",
                          "INFO: CheckPackage param:\n\n", std::string("INFO: ") + kMinimalPackage,
                          "INFO: Request:", "INFO: Response:", "INFO: Request:", "INFO: Response:",
                          "INFO: ***** Finish ProcessCheck commmand *****"});
}

TEST_F(Receipts, CorrectionReceiptIsNeverElectronicAndSendsItsCorrectionData) {
    AnswerRegistered();
    const std::string package =
        R"(<C><Parameters CashierName="К"><CorrectionData Type="0" Description="ошибка")"
        R"( Date="2026-12-05" Number="7"/></Parameters><Positions/><Payments/></C>)";
    const CallOutcome outcome = ProcessCorrectionCheck(package);
    EXPECT_TRUE(outcome.result.flag);
    EXPECT_EQ(outcome.params[2].text, kRegisteredOutput);
    const auto requests = companion.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "ProcessCheck");
    EXPECT_EQ(requests[0].paramList[3], "false");
    EXPECT_NE(requests[0].paramList[4].find(
                  R"(\"CorrectionData\":{\"Type\":0,\"Description\":\"ошибка\",)"
                  R"(\"Date\":\"2026-12-05\",\"Number\":\"7\"})"),
              std::string::npos);
    const std::string log = Log();
    ExpectInOrder(log, {"INFO: ***** Start ProcessCorrectionCheck commmand *****",
                        "INFO: CheckPackage param:\n\n", "INFO: " + package,
                        "INFO: ***** Finish ProcessCorrectionCheck commmand *****"});
    EXPECT_EQ(log.find("INFO: False"), std::string::npos);
}

TEST_F(Receipts, OutputNumbersAreUnsignedAndMissingMembersReadAsZero) {
    companion.onResult("ProcessCheck", R"({"SessionNumber":-1,"FiscalSign":"1"})");
    companion.onResult("GetDocumentOutputParametersAdditionals", R"({"DateTimeFiscal":"t"})");
    EXPECT_EQ(ProcessCheck(kMinimalPackage).params[3].text,
              "<DocumentOutputParameters>\n"
              "    <Parameters ShiftNumber=\"4294967295\" CheckNumber=\"0\" "
              "ShiftClosingCheckNumber=\"0\" AddressSiteInspections=\"\" FiscalSign=\"1\" "
              "DateTime=\"t\"/>\n"
              "</DocumentOutputParameters>\n");

    companion.onResult("ProcessCheck", "true");
    const CallOutcome outcome = ProcessCheck(kMinimalPackage);
    EXPECT_TRUE(outcome.result.flag);
    EXPECT_NE(outcome.params[3].text.find("ShiftNumber=\"0\" CheckNumber=\"0\""),
              std::string::npos);
}

// The receipt is in the fiscal storage: failing here would make the cashier
// punch it a second time.
TEST_F(Receipts, RegisteredReceiptSucceedsWhenTheFollowUpCallFails) {
    companion.onResult("ProcessCheck", kRegistered);
    companion.onError("GetDocumentOutputParametersAdditionals", -1, "ФН занят");
    const CallOutcome outcome = ProcessCheck(kMinimalPackage);
    EXPECT_TRUE(outcome.result.flag);
    EXPECT_TRUE(component.connection.errors.empty());
    EXPECT_EQ(outcome.params[3].text,
              "<DocumentOutputParameters>\n"
              "    <Parameters ShiftNumber=\"3\" CheckNumber=\"12\" ShiftClosingCheckNumber=\"0\" "
              "AddressSiteInspections=\"www.nalog.gov.ru\" FiscalSign=\"3522191049\" "
              "DateTime=\"\"/>\n"
              "</DocumentOutputParameters>\n");
    ExpectInOrder(Log(), {"WARN: GetDocumentOutputParametersAdditionals failed after the "
                          "receipt was registered; ShiftClosingCheckNumber and DateTime are "
                          "left empty: ФН занят",
                          "INFO: ***** Finish ProcessCheck commmand *****"});
}

TEST_F(Receipts, RefusedReceiptIsReportedAndLeavesTheOutputUntouched) {
    companion.onError("ProcessCheck", 3, "Смена превысила 24 часа");
    const CallOutcome outcome = ProcessCheck(kMinimalPackage);
    EXPECT_FALSE(outcome.result.flag);
    EXPECT_TRUE(outcome.params[3].untouched);
    ASSERT_EQ(component.connection.errors.size(), 2u);
    EXPECT_EQ(component.connection.errors[0].code, 5);
    EXPECT_EQ(component.connection.errors[0].description, "Смена превысила 24 часа");
    EXPECT_EQ(companion.requests().size(), 1u);
    const std::string log = Log();
    ExpectInOrder(log, {"INFO: ***** Start ProcessCheck commmand *****", "INFO: False",
                        "INFO: Request:", "INFO: ***** Error ProcessCheck commmand *****"});
    EXPECT_EQ(log.find("Finish ProcessCheck"), std::string::npos);
}

TEST_F(Receipts, UnreachableCompanionIsConnectionError) {
    component.Connect("127.0.0.1", TestCompanion::ClosedPort());
    const CallOutcome outcome = ProcessCheck(kMinimalPackage);
    EXPECT_FALSE(outcome.result.flag);
    ASSERT_EQ(component.connection.errors.size(), 1u);
    EXPECT_EQ(component.connection.errors[0].code, 1);
    ExpectInOrder(Log(), {"INFO: ***** Start ProcessCheck commmand *****", "INFO: False",
                          "INFO: CheckPackage param:\n\n", kMinimalPackage,
                          "INFO: ***** Error ProcessCheck commmand *****"});

    EXPECT_FALSE(ProcessCorrectionCheck(kMinimalPackage).result.flag);
    EXPECT_EQ(Log().find("Error ProcessCorrectionCheck"), std::string::npos);
}

TEST_F(Receipts, IncompletePackagesAreRefusedWithoutSendingAnything) {
    AnswerRegistered();
    const std::string position = R"(<FiscalString Name="A" VATRate="20"/>)";
    const struct {
        std::string package;
        std::string detail;
    } cases[] = {
        {"<C><Parameters", "пакет чека не является корректным XML (строка 1)"},
        {"", "отсутствует корневой элемент пакета чека"},
        {"<C><Positions/><Payments/></C>", "отсутствует элемент Parameters"},
        {R"(<C><Parameters CashierName="К"/><Payments/></C>)", "отсутствует элемент Positions"},
        {R"(<C><Parameters CashierName="К"/><Positions/></C>)", "отсутствует элемент Payments"},
        {"<C><Parameters/><Positions/><Payments/></C>",
         "отсутствует атрибут CashierName у элемента Parameters"},
        {R"(<C><Parameters CashierName="К"/><Positions>)" + position + position +
             R"(<FiscalString Name="B"/></Positions><Payments/></C>)",
         "отсутствует атрибут VATRate у позиции 3"},
        {R"(<C><Parameters CashierName="К"/><Positions><FiscalString VATRate="20"/>)"
         R"(</Positions><Payments/></C>)",
         "отсутствует атрибут Name у позиции 1"},
        {R"(<C><Parameters CashierName="К"><CorrectionData Type="1" Date="d" Number="n"/>)"
         R"(</Parameters><Positions/><Payments/></C>)",
         "отсутствует атрибут Description у элемента CorrectionData"},
        {R"(<C><Parameters CashierName="К"/><Positions/><Payments Cash="nan"/></C>)",
         "недопустимое числовое значение атрибута Cash у элемента Payments: nan"},
    };
    for (const auto& c : cases) {
        component.connection.errors.clear();
        const CallOutcome outcome = ProcessCheck(c.package);
        EXPECT_FALSE(outcome.result.flag) << c.detail;
        EXPECT_TRUE(outcome.params[3].untouched) << c.detail;
        ASSERT_EQ(component.connection.errors.size(), 1u) << c.detail;
        EXPECT_EQ(component.connection.errors[0].code, 8);
        EXPECT_EQ(component.connection.errors[0].description,
                  "Некорректные входные данные: " + c.detail);
        EXPECT_FALSE(ProcessCorrectionCheck(c.package).result.flag) << c.detail;
    }
    EXPECT_EQ(companion.connectionCount(), 0u);
    const std::string log = Log();
    size_t errorLines = 0;
    for (size_t at = log.find("***** Error ProcessCheck commmand *****"); at != std::string::npos;
         at = log.find("***** Error ProcessCheck commmand *****", at + 1)) {
        ++errorLines;
    }
    EXPECT_EQ(errorLines, std::size(cases));
}

#if defined(__SANITIZE_ADDRESS__)
constexpr std::chrono::seconds kThousandPositionsBudget{3};  // the sanitizers slow every step
#else
constexpr std::chrono::seconds kThousandPositionsBudget{1};
#endif

TEST_F(Receipts, ThousandPositionsGoThroughWellUnderASecond) {
    AnswerRegistered();
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
    const CallOutcome outcome = ProcessCheck(package);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(outcome.result.flag);
    EXPECT_LT(elapsed, kThousandPositionsBudget);
    ASSERT_EQ(companion.requests().size(), 2u);
    EXPECT_NE(companion.requests()[0].raw.find(R"(\"Name\":\"Товар 1000\")"), std::string::npos);
}

}  // namespace
}  // namespace zarvik::test
