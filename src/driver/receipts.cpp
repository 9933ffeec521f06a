// Receipts and correction receipts. Once the companion has registered a
// receipt it is a fiscal document in the fiscal storage: nothing after that
// point may make the method fail, or the cashier punches the receipt again.
#include "applink/kassa_app_client.h"
#include "driver/kkt_driver.h"
#include "log/exchange_log.h"
#include "model/check_encoding.h"
#include "model/documents.h"
#include "model/scratch.h"

namespace zarvik {

namespace {

using Client = KassaAppClient;

// Both receipt methods: log the package, read it in place, register it, then
// fetch the values that only exist once the receipt is in the fiscal storage.
// The receipt is registered by the time an answer arrives, so a member the
// companion left out reads as 0 or empty rather than failing the receipt.
std::string RegisterReceipt(KassaAppClient& client, ExchangeLog& log, Scratch& scratch,
                            bool electronically, std::string& checkPackage) {
    log.Info("CheckPackage param:\n\n");
    log.Info(checkPackage);
    ParseCheckPackage(checkPackage, scratch.receipt);
    // After PosId and the counter: an empty string, the flag, and the check
    // document, written once as the finished string of the request.
    JsonRpcParams params;
    params.reserve(3);
    params.push_back(JsonRpcParam::String(std::string()));
    params.push_back(JsonRpcParam::Bool(electronically));
    params.push_back(
        JsonRpcParam::Json(CheckDocumentText(scratch.receipt, JsonTextStream::Form::Escaped)));
    const JsonRpcResult registered = client.invoke("ProcessCheck", std::move(params));
    DocumentOutputParameters output;
    output.CheckNumber = Client::optionalUnsigned(registered.result, "CheckNumber").value_or(0);
    output.ShiftNumber = Client::optionalUnsigned(registered.result, "SessionNumber").value_or(0);
    output.FiscalSign = Client::optionalString(registered.result, "FiscalSign").value_or("");
    output.AddressSiteInspections =
        Client::optionalString(registered.result, "AddressSiteInspections").value_or("");
    try {
        const JsonRpcResult more = client.invoke("GetDocumentOutputParametersAdditionals", {});
        output.ShiftClosingCheckNumber =
            Client::optionalUnsigned(more.result, "ShiftClosingCheckNumber").value_or(0);
        output.DateTime = Client::optionalString(more.result, "DateTimeFiscal").value_or("");
    } catch (const ZarvikKassaErrorException& error) {
        log.Warn(
            "GetDocumentOutputParametersAdditionals failed after the receipt was "
            "registered; ShiftClosingCheckNumber and DateTime are left empty: " +
            error.message);
    }
    return WriteDocumentOutputParameters(output);
}

}  // namespace

KktDriver::KktDriver(KassaAppClient& app, ExchangeLog& log, Scratch& scratch)
    : app_(app), log_(log), scratch_(scratch) {}

std::string KktDriver::ProcessCheck(bool electronically, std::string& checkPackage) {
    log_.Info("***** Start ProcessCheck commmand *****");
    log_.Info(electronically ? "True" : "False");
    std::string output;
    try {
        output = RegisterReceipt(app_, log_, scratch_, electronically, checkPackage);
    } catch (const ZarvikKassaErrorException&) {
        log_.Info("***** Error ProcessCheck commmand *****");
        throw;
    }
    log_.Info("***** Finish ProcessCheck commmand *****");
    return output;
}

// A correction receipt is never electronic, whatever the package says.
std::string KktDriver::ProcessCorrectionCheck(std::string& checkPackage) {
    log_.Info("***** Start ProcessCorrectionCheck commmand *****");
    std::string output = RegisterReceipt(app_, log_, scratch_, false, checkPackage);
    log_.Info("***** Finish ProcessCorrectionCheck commmand *****");
    return output;
}

}  // namespace zarvik
