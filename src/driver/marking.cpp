// Marking-code checks. The driver keeps no marking state: sessions, requests
// and their GUIDs live in the companion application, and every call is
// forwarded as it comes.
#include "applink/kassa_app_client.h"
#include "driver/kkt_driver.h"
#include "log/exchange_log.h"
#include "model/documents.h"
#include "model/json_text.h"

namespace zarvik {

namespace app {

namespace {
using Client = KassaAppClient;
}  // namespace

void OpenSessionRegistrationKM(KassaAppClient& client) {
    JsonRpcResult out;
    client.invoke("OpenSessionRegistrationKM", {}, out);
}

void CloseSessionRegistrationKM(KassaAppClient& client) {
    JsonRpcResult out;
    client.invoke("CloseSessionRegistrationKM", {}, out);
}

RequestKMResult RequestKM(KassaAppClient& client, const zarvik::RequestKM& request) {
    JsonRpcResult out;
    client.invoke("RequestKM", {JsonRpcParam::String(RequestKMText(request))}, out);
    const rapidjson::Value& verdict = Client::member(out.result, "RequestKMResult");
    RequestKMResult result;
    result.Checking = Client::readBool(verdict, "Checking");
    result.CheckingResult = Client::readBool(verdict, "CheckingResult");
    return result;
}

ProcessingKMResult GetProcessingKMResult(KassaAppClient& client, int32_t& requestStatus) {
    JsonRpcResult out;
    client.invoke("GetProcessingKMResult", {}, out);
    requestStatus = Client::optionalInt(out.result, "RequestStatus").value_or(0);
    const rapidjson::Value& processing = Client::member(out.result, "ProcessingKMResult");
    ProcessingKMResult result;
    result.Result = Client::readBool(processing, "Result");
    result.ResultCode = Client::readUnsigned(processing, "ResultCode");
    result.HandleCode = Client::readUnsigned(processing, "HandleCode");
    result.StatusInfo = Client::optionalUnsigned(processing, "StatusInfo");
    // The platform matches the result to its request by this GUID.
    result.GUID = Client::optionalString(processing, "GUID").value_or("");
    return result;
}

void ConfirmKM(KassaAppClient& client, const std::string& guid, uint32_t confirmationType) {
    std::string text = JsonText([&](JsonTextWriter& writer) {
        writer.StartObject();
        writer.Key("GUID");
        writer.String(guid.c_str());
        writer.Key("ConfirmationType");
        writer.Uint(confirmationType);
        writer.EndObject();
    });
    JsonRpcResult out;
    client.invoke("ConfirmKM", {JsonRpcParam::String(std::move(text))}, out);
}

}  // namespace app

void KktDriver::OpenSessionRegistrationKM() { app::OpenSessionRegistrationKM(app_); }

void KktDriver::CloseSessionRegistrationKM() { app::CloseSessionRegistrationKM(app_); }

std::string KktDriver::RequestKM(std::string request) {
    log_.Info("***** Start RequestKM commmand *****");
    log_.Info("RequestKM param:\n\n");
    log_.Info(request);
    const zarvik::RequestKM record = ParseRequestKM(std::move(request));
    const std::string output = WriteRequestKMResult(app::RequestKM(app_, record));
    log_.Info("***** Finish RequestKM commmand *****");
    return output;
}

ProcessingKMOutput KktDriver::GetProcessingKMResult() {
    ProcessingKMOutput output;
    output.xml = WriteProcessingKMResult(app::GetProcessingKMResult(app_, output.requestStatus));
    return output;
}

void KktDriver::ConfirmKM(const std::string& guid, uint32_t confirmationType) {
    app::ConfirmKM(app_, guid, confirmationType);
}

}  // namespace zarvik
