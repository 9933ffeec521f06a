// Every driver operation that talks to the companion application, with well
// formed platform input and answers made of anything: the result readers of
// each family. An operation either fails as a driver error or hands back XML
// that the platform can read; a refused first call is never a success.
#include <fuzzer/FuzzedDataProvider.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
#include <tinyxml2.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "applink/kassa_app_client.h"
#include "driver/kkt_driver.h"
#include "fake_wire.h"
#include "fuzz_support.h"
#include "log/exchange_log.h"
#include "model/scratch.h"

using namespace zarvik;
using fuzz::Expect;

namespace {

const char* const kInput =
    R"(<InputParameters><Parameters CashierName="Иванов И.И." CashierINN="7701234567"/></InputParameters>)";
const char* const kCheck =
    R"(<CheckPackage><Parameters CashierName="Петрова" OperationType="1" TaxationSystem="0"/>)"
    R"(<Positions><FiscalString Name="Хлеб" Quantity="1" PriceWithDiscount="45.9")"
    R"( AmountWithDiscount="45.9" VATRate="10" VATAmount="4.17"/></Positions>)"
    R"(<Payments Cash="50"/></CheckPackage>)";
const char* const kCorrection =
    R"(<CheckPackage><Parameters CashierName="Сидоров" OperationType="1" TaxationSystem="0">)"
    R"(<CorrectionData Type="1" Description="Выручка" Date="2026-12-05T00:00:00" Number="12"/>)"
    R"(</Parameters><Positions><FiscalString Name="Выручка" Quantity="1" PriceWithDiscount="15400")"
    R"( AmountWithDiscount="15400" VATRate="none" VATAmount="0"/></Positions>)"
    R"(<Payments Cash="15400"/></CheckPackage>)";
const char* const kRequestKM =
    R"(<RequestKM GUID="5a1c" MarkingCode="MDEwNDYwNzQyODY3OTA5MDIxNmVKSWpvV0g1NERkVSA5MWZmZDAgOTJzejZrU1BpckFwZk1CZnR2TGJvRTFkbFdDLzU4aEV4UVVxdjdCQmtabWs0PQ==" PlannedStatus="1" Quantity="1"/>)";
const char* const kTextDocument =
    R"(<Document><Positions><TextString Text="Спасибо"/><Barcode Type="QR" ValueBase64="MTIz"/></Positions></Document>)";

// What one operation hands back to the platform: XML documents, or nothing.
using Operation = std::function<std::vector<std::string>(KktDriver&)>;

const Operation kOperations[] = {
    nullptr,  // the device test, below
    [](KktDriver& d) { return std::vector<std::string>{d.GetDataKKT()}; },
    [](KktDriver& d) { return std::vector<std::string>{d.OpenShift(kInput)}; },
    [](KktDriver& d) { return std::vector<std::string>{d.CloseShift(kInput)}; },
    [](KktDriver& d) { return std::vector<std::string>{d.GetCurrentStatus()}; },
    [](KktDriver& d) {
        return std::vector<std::string>{d.ReportCurrentStatusOfSettlements(kInput)};
    },
    [](KktDriver& d) { return d.PrintXReport(kInput), std::vector<std::string>{}; },
    [](KktDriver& d) { return d.CashInOutcome(kInput, -150.5), std::vector<std::string>{}; },
    [](KktDriver& d) { return d.OpenCashDrawer(), std::vector<std::string>{}; },
    [](KktDriver& d) { return d.GetLineLength(), std::vector<std::string>{}; },
    [](KktDriver& d) { return d.PrintCheckCopy("17"), std::vector<std::string>{}; },
    [](KktDriver& d) {
        std::string package = kCheck;
        return std::vector<std::string>{d.ProcessCheck(false, package)};
    },
    [](KktDriver& d) {
        std::string package = kCorrection;
        return std::vector<std::string>{d.ProcessCorrectionCheck(package)};
    },
    [](KktDriver& d) { return d.OpenSessionRegistrationKM(), std::vector<std::string>{}; },
    [](KktDriver& d) { return d.CloseSessionRegistrationKM(), std::vector<std::string>{}; },
    [](KktDriver& d) { return std::vector<std::string>{d.RequestKM(kRequestKM)}; },
    [](KktDriver& d) { return std::vector<std::string>{d.GetProcessingKMResult().xml}; },
    [](KktDriver& d) { return d.ConfirmKM("5a1c", 1), std::vector<std::string>{}; },
    [](KktDriver& d) { return d.PrintTextDocument(kTextDocument), std::vector<std::string>{}; },
};
constexpr size_t kDeviceTest = 0;
constexpr size_t kOperationCount = sizeof kOperations / sizeof kOperations[0];

std::string JsonString(const std::string& text) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    writer.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
    return std::string(buffer.GetString(), buffer.GetSize());
}

enum class AnswerKind { Result, Raw, Error };

std::string Answer(AnswerKind kind, const std::string& text) {
    switch (kind) {
        case AnswerKind::Result:
            return R"({"jsonrpc":"2.0","id":1,"result":)" + text + "}";
        case AnswerKind::Error:
            return R"({"jsonrpc":"2.0","id":1,"error":{"code":-1,"message":)" + JsonString(text) +
                   "}}";
        case AnswerKind::Raw:
            break;
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const size_t operation = input.ConsumeIntegralInRange<size_t>(0, kOperationCount - 1);
    fuzz::FakeWire::Reset();
    AnswerKind first = AnswerKind::Raw;
    for (int i = 0; i < 5 && input.remaining_bytes() > 0; ++i) {
        const auto kind = static_cast<AnswerKind>(input.ConsumeIntegralInRange<int>(0, 2));
        if (i == 0) first = kind;
        fuzz::ScriptedAnswer answer;
        answer.bytes = Answer(kind, input.ConsumeRandomLengthString(4096));
        fuzz::FakeWire::Queue(std::move(answer));
    }

    ExchangeLog log("/dev/null");
    Scratch scratch;
    KassaAppClient client(log, scratch.request);
    client.Settings().ServerHost = "127.0.0.1";
    client.Settings().PosId = "POS-1";
    KktDriver driver(client, log, scratch);
    if (operation == kDeviceTest) {
        // The test reports a refusal in its verdict, never as an exception.
        const DeviceTestResult test = driver.DeviceTest();
        Expect(!(test.ok && first == AnswerKind::Error), "a refused device test succeeded");
        return 0;
    }
    try {
        const std::vector<std::string> documents = kOperations[operation](driver);
        Expect(first != AnswerKind::Error, "an operation refused by the companion succeeded");
        for (const std::string& xml : documents) {
            tinyxml2::XMLDocument document;
            Expect(document.Parse(xml.data(), xml.size()) == tinyxml2::XML_SUCCESS &&
                       document.FirstChildElement() != nullptr,
                   "an operation handed back XML the platform cannot read");
        }
    } catch (const ZarvikKassaErrorException& error) {
        const int code = static_cast<int>(error.code);
        Expect(code >= 1 && code <= 7 && code != 2, "an operation failed with an unexpected code");
        // Only the companion's own refusal may come with an empty text.
        Expect(!error.message.empty() || error.code == DriverErrorCode::ResponseContainError,
               "an operation failed without a message");
        if (first == AnswerKind::Error) {
            Expect(error.code == DriverErrorCode::ResponseContainError,
                   "the companion's refusal was reported as something else");
        }
    }
    Expect(!fuzz::FakeWire::Sent().empty(), "an operation sent nothing");
    return 0;
}
