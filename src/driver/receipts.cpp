// Receipts and correction receipts. Once the companion has registered a
// receipt it is a fiscal document in the fiscal storage: nothing after that
// point may make the method fail, or the cashier punches the receipt again.
#include <tinyxml2.h>

#include <algorithm>

#include "applink/kassa_app_client.h"
#include "core/driver_error.h"
#include "core/numbers.h"
#include "driver/answer_members.h"
#include "driver/kkt_driver.h"
#include "driver/xml_output.h"
#include "log/exchange_log.h"
#include "model/check_encoding.h"
#include "model/check_package.h"

namespace zarvik {

namespace {

using Client = KassaAppClient;

struct DocumentOutputParameters {
    int32_t ShiftNumber = 0;
    int32_t CheckNumber = 0;
    int32_t ShiftClosingCheckNumber = 0;
    std::string AddressSiteInspections;
    std::string FiscalSign;
    std::string DateTime;
};

namespace app {

// The receipt is registered by the time an answer arrives, so a member the
// companion left out reads as 0 or empty rather than failing the receipt.
void ProcessCheck(KassaAppClient& client, bool electronically, const CheckPackage& check,
                  DocumentOutputParameters& output) {
    JsonRpcResult out;
    client.invoke("ProcessCheck", ProcessCheckParams(electronically, check), out);
    output.CheckNumber = Client::asInt(Client::member(out.result, "CheckNumber"));
    output.ShiftNumber = Client::asInt(Client::member(out.result, "SessionNumber"));
    output.FiscalSign = OptionalString(out.result, "FiscalSign").value_or("");
    output.AddressSiteInspections =
        OptionalString(out.result, "AddressSiteInspections").value_or("");
}

void GetDocumentOutputParametersAdditionals(KassaAppClient& client,
                                            DocumentOutputParameters& output) {
    JsonRpcResult out;
    client.invoke("GetDocumentOutputParametersAdditionals", {}, out);
    output.ShiftClosingCheckNumber =
        Client::asInt(Client::member(out.result, "ShiftClosingCheckNumber"));
    output.DateTime = OptionalString(out.result, "DateTimeFiscal").value_or("");
}

}  // namespace app

std::string WriteDocumentOutputParameters(const DocumentOutputParameters& output) {
    tinyxml2::XMLDocument document;
    tinyxml2::XMLElement* root = document.NewElement("DocumentOutputParameters");
    document.InsertEndChild(root);
    tinyxml2::XMLElement* parameters = document.NewElement("Parameters");
    root->InsertEndChild(parameters);
    // The platform reads the numbers as unsigned: -1 shows as 4294967295.
    parameters->SetAttribute("ShiftNumber", FormatUnsigned(output.ShiftNumber).c_str());
    parameters->SetAttribute("CheckNumber", FormatUnsigned(output.CheckNumber).c_str());
    parameters->SetAttribute("ShiftClosingCheckNumber",
                             FormatUnsigned(output.ShiftClosingCheckNumber).c_str());
    parameters->SetAttribute("AddressSiteInspections", output.AddressSiteInspections.c_str());
    parameters->SetAttribute("FiscalSign", output.FiscalSign.c_str());
    parameters->SetAttribute("DateTime", output.DateTime.c_str());
    return PrintXml(document);
}

// Both receipt methods: read the package, register it, then fetch the values
// that only exist once the receipt is in the fiscal storage.
std::string RegisterReceipt(KassaAppClient& client, ExchangeLog& log, XmlDocument& reader,
                            CheckPackage& check, bool electronically,
                            const std::string& checkPackage) {
    ParseCheckPackage(checkPackage, reader, check);
    DocumentOutputParameters output;
    app::ProcessCheck(client, electronically, check, output);
    try {
        app::GetDocumentOutputParametersAdditionals(client, output);
    } catch (const ZarvikKassaErrorException& error) {
        log.Warn(
            "GetDocumentOutputParametersAdditionals failed after the receipt was "
            "registered; ShiftClosingCheckNumber and DateTime are left empty: " +
            error.message);
    }
    return WriteDocumentOutputParameters(output);
}

void LogPackage(ExchangeLog& log, const std::string& checkPackage) {
    log.Info("CheckPackage param:\n\n");
    log.Info(checkPackage);
}

}  // namespace

struct KktDriver::ReceiptMemory {
    XmlDocument reader;
    CheckPackage check;
    size_t largest = 0;  // the largest package read with it
};

KktDriver::KktDriver(KassaAppClient& app, ExchangeLog& log) : app_(app), log_(log) {}
KktDriver::~KktDriver() = default;

// What grew for a receipt of megabytes is let go once receipts are small again.
KktDriver::ReceiptMemory& KktDriver::ReceiptMemoryFor(size_t packageSize) {
    constexpr size_t kSmall = 1 << 20;
    if (!receiptMemory_ ||
        (receiptMemory_->largest > kSmall && packageSize < receiptMemory_->largest / 4)) {
        receiptMemory_ = std::make_unique<ReceiptMemory>();
    }
    receiptMemory_->largest = std::max(receiptMemory_->largest, packageSize);
    return *receiptMemory_;
}

std::string KktDriver::ProcessCheck(bool electronically, const std::string& checkPackage) {
    log_.Info("***** Start ProcessCheck commmand *****");
    log_.Info(electronically ? "True" : "False");
    LogPackage(log_, checkPackage);
    std::string output;
    try {
        ReceiptMemory& memory = ReceiptMemoryFor(checkPackage.size());
        output =
            RegisterReceipt(app_, log_, memory.reader, memory.check, electronically, checkPackage);
    } catch (const ZarvikKassaErrorException&) {
        log_.Info("***** Error ProcessCheck commmand *****");
        throw;
    }
    log_.Info("***** Finish ProcessCheck commmand *****");
    return output;
}

// A correction receipt is never electronic, whatever the package says.
std::string KktDriver::ProcessCorrectionCheck(const std::string& checkPackage) {
    log_.Info("***** Start ProcessCorrectionCheck commmand *****");
    LogPackage(log_, checkPackage);
    ReceiptMemory& memory = ReceiptMemoryFor(checkPackage.size());
    std::string output =
        RegisterReceipt(app_, log_, memory.reader, memory.check, false, checkPackage);
    log_.Info("***** Finish ProcessCorrectionCheck commmand *****");
    return output;
}

}  // namespace zarvik
