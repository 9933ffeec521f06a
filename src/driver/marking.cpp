// Marking-code checks and non-fiscal text documents. The driver keeps no
// marking state: sessions, requests and their GUIDs live in the companion
// application, and every call is forwarded as it comes. A text document's lines
// go in document order; the companion lays them out and prints them.
#include "applink/kassa_app_client.h"
#include "driver/kkt_driver.h"
#include "log/exchange_log.h"
#include "model/documents.h"
#include "model/json_text.h"
#include "model/text_document.h"

namespace zarvik {

using Client = KassaAppClient;

void KktDriver::OpenSessionRegistrationKM() { app_.invoke("OpenSessionRegistrationKM", {}); }

void KktDriver::CloseSessionRegistrationKM() { app_.invoke("CloseSessionRegistrationKM", {}); }

std::string KktDriver::RequestKM(std::string request) {
    log_.Info("***** Start RequestKM commmand *****");
    log_.Info("RequestKM param:\n\n");
    log_.Info(request);
    const std::string text = RequestKMText(ParseRequestKM(std::move(request)));
    JsonRpcResult out = app_.invoke("RequestKM", {JsonRpcParam::String(text)});
    const rapidjson::Value& verdict = Client::member(out.result, "RequestKMResult");
    RequestKMResult result;
    result.Checking = Client::readBool(verdict, "Checking");
    result.CheckingResult = Client::readBool(verdict, "CheckingResult");
    const std::string output = WriteRequestKMResult(result);
    log_.Info("***** Finish RequestKM commmand *****");
    return output;
}

ProcessingKMOutput KktDriver::GetProcessingKMResult() {
    JsonRpcResult out = app_.invoke("GetProcessingKMResult", {});
    ProcessingKMOutput output;
    output.requestStatus = Client::optionalInt(out.result, "RequestStatus").value_or(0);
    const rapidjson::Value& processing = Client::member(out.result, "ProcessingKMResult");
    ProcessingKMResult result;
    result.Result = Client::readBool(processing, "Result");
    result.ResultCode = Client::readUnsigned(processing, "ResultCode");
    result.HandleCode = Client::readUnsigned(processing, "HandleCode");
    result.StatusInfo = Client::optionalUnsigned(processing, "StatusInfo");
    // The platform matches the result to its request by this GUID.
    result.GUID = Client::optionalString(processing, "GUID").value_or("");
    output.xml = WriteProcessingKMResult(result);
    return output;
}

void KktDriver::ConfirmKM(const std::string& guid, uint32_t confirmationType) {
    std::string text = JsonText([&](JsonTextWriter& writer) {
        writer.StartObject();
        writer.Key("GUID");
        writer.String(guid.c_str());
        writer.Key("ConfirmationType");
        writer.Uint(confirmationType);
        writer.EndObject();
    });
    app_.invoke("ConfirmKM", {JsonRpcParam::String(std::move(text))});
}

// The answer's result is not read: any answer without an error is printed.
void KktDriver::PrintTextDocument(std::string document) {
    const std::vector<TextDocumentLine> lines = ReadTextDocument(std::move(document));
    app_.invoke("PrintTextDocument", {JsonRpcParam::String(TextDocumentToJson(lines))});
}

}  // namespace zarvik
