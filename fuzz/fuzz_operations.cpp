// Every driver operation that talks to the companion application, with well
// formed platform input and answers made of anything: the result readers of
// each family. An operation either fails as a driver error or hands back XML
// that the platform can read; a refused first call is never a success.
#include <fuzzer/FuzzedDataProvider.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
#include <tinyxml2.h>

#include <iterator>

#include "driver/kkt_driver.h"
#include "fuzz_support.h"

using namespace zarvik;
using fuzz::Expect;

namespace {

// One operation; the XML document it hands back to the platform, or None().
using Operation = std::string (*)(KktDriver&);
std::string None() { return "<none/>"; }

const Operation kOperations[] = {
    nullptr,  // the device test, below
    [](KktDriver& d) { return d.GetDataKKT(); },
    [](KktDriver& d) { return d.OpenShift(fuzz::kInput); },
    [](KktDriver& d) { return d.CloseShift(fuzz::kInput); },
    [](KktDriver& d) { return d.GetCurrentStatus(); },
    [](KktDriver& d) { return d.ReportCurrentStatusOfSettlements(fuzz::kInput); },
    [](KktDriver& d) { return d.PrintXReport(fuzz::kInput), None(); },
    [](KktDriver& d) { return d.CashInOutcome(fuzz::kInput, -150.5), None(); },
    [](KktDriver& d) { return d.OpenCashDrawer(), None(); },
    [](KktDriver& d) { return d.GetLineLength(), None(); },
    [](KktDriver& d) { return d.PrintCheckCopy("17"), None(); },
    [](KktDriver& d) {
        std::string package = fuzz::kCheck;
        return d.ProcessCheck(false, package);
    },
    [](KktDriver& d) {
        std::string package = fuzz::kCheck;
        return d.ProcessCorrectionCheck(package);
    },
    [](KktDriver& d) { return d.OpenSessionRegistrationKM(), None(); },
    [](KktDriver& d) { return d.CloseSessionRegistrationKM(), None(); },
    [](KktDriver& d) { return d.RequestKM(fuzz::kRequestKM); },
    [](KktDriver& d) { return d.GetProcessingKMResult().xml; },
    [](KktDriver& d) { return d.ConfirmKM("5a1c", 1), None(); },
    [](KktDriver& d) { return d.PrintTextDocument(fuzz::kTextDocument), None(); },
};

// An answer whose result is the text, the text itself, or an error whose message it is.
enum Kind { kResult, kRaw, kError };

std::string Answer(int kind, const std::string& text) {
    if (kind == kRaw) return text;
    if (kind == kResult) return fuzz::ResultAnswer(text);
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    writer.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
    return R"({"jsonrpc":"2.0","id":1,"error":{"code":-1,"message":)" +
           std::string(buffer.GetString(), buffer.GetSize()) + "}}";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const size_t operation = input.ConsumeIntegralInRange<size_t>(0, std::size(kOperations) - 1);
    fuzz::Wire() = {};
    int first = kRaw;
    for (int i = 0; i < 5 && input.remaining_bytes() > 0; ++i) {
        const int kind = input.ConsumeIntegralInRange<int>(kResult, kError);
        if (i == 0) first = kind;
        fuzz::Wire().script.push_back(
            {Answer(kind, input.ConsumeRandomLengthString(4096)), {}, false});
    }

    fuzz::Client client;
    KktDriver driver(client.client, client.log, client.scratch);
    if (kOperations[operation] == nullptr) {
        // The test reports a refusal in its verdict, never as an exception.
        Expect(!(driver.DeviceTest().ok && first == kError), "a refused device test succeeded");
        return 0;
    }
    try {
        const std::string xml = kOperations[operation](driver);
        Expect(first != kError, "an operation refused by the companion succeeded");
        tinyxml2::XMLDocument document;
        Expect(document.Parse(xml.data(), xml.size()) == tinyxml2::XML_SUCCESS &&
                   document.FirstChildElement() != nullptr,
               "an operation handed back XML the platform cannot read");
    } catch (const ZarvikKassaErrorException& error) {
        const int code = static_cast<int>(error.code);
        Expect(code >= 1 && code <= 7 && code != 2, "an operation failed with an unexpected code");
        // Only the companion's own refusal may come with an empty text.
        Expect(!error.message.empty() || error.code == DriverErrorCode::ResponseContainError,
               "an operation failed without a message");
        Expect(first != kError || error.code == DriverErrorCode::ResponseContainError,
               "the companion's refusal was reported as something else");
    }
    Expect(!fuzz::Wire().sent.empty(), "an operation sent nothing");
    return 0;
}
