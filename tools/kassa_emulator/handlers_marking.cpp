// The marking-code session: requests, their processing results and the
// cashier's confirmation.
#include "handlers.h"
#include "schemas.h"

namespace kassa {

namespace {

// The request's status when its processing result is handed out: ready.
constexpr int32_t kRequestStatusReady = 0;

void OpenSession(Call& call) {
    call.params.expectOwn(0, "PosId, счётчик");
    call.kassa.OpenMarkingSession();
}

void CloseSession(Call& call) {
    call.params.expectOwn(0, "PosId, счётчик");
    call.kassa.CloseMarkingSession();
}

void RequestKM(Call& call) {
    call.params.expectOwn(1, "PosId, счётчик, запрос КМ");
    rapidjson::Document request;
    call.params.json(0, "запрос КМ", kRequestKMSchema, request);
    const std::string guid(request["GUID"].GetString(), request["GUID"].GetStringLength());
    if (guid.empty()) InvalidParams("запрос КМ: пустой GUID");
    const std::string code(request["MarkingCode"].GetString(),
                           request["MarkingCode"].GetStringLength());
    const MarkingCheck& check = call.kassa.RequestKM(guid, code, request["PlannedStatus"].GetInt());
    call.result.Child("RequestKMResult")
        .Set("Checking", true)
        .Set("CheckingResult", check.wellFormed);
}

void GetProcessingKMResult(Call& call) {
    call.params.expectOwn(0, "PosId, счётчик");
    const ProcessingResult result = call.kassa.NextProcessingResult();
    call.result.Set("RequestStatus", kRequestStatusReady);
    call.result.Child("ProcessingKMResult")
        .Set("GUID", result.guid)
        .Set("Result", result.result)
        .Set("ResultCode", result.resultCode)
        .Set("HandleCode", result.handleCode)
        .Set("StatusInfo", result.statusInfo);
}

void ConfirmKM(Call& call) {
    call.params.expectOwn(1, "PosId, счётчик, подтверждение КМ");
    rapidjson::Document confirmation;
    call.params.json(0, "подтверждение КМ", kConfirmKMSchema, confirmation);
    call.kassa.ConfirmKM(confirmation["GUID"].GetString(),
                         confirmation["ConfirmationType"].GetUint());
}

}  // namespace

const std::vector<MethodEntry>& MarkingMethods() {
    static const std::vector<MethodEntry> methods = {
        {"OpenSessionRegistrationKM", OpenSession},
        {"CloseSessionRegistrationKM", CloseSession},
        {"RequestKM", RequestKM},
        {"GetProcessingKMResult", GetProcessingKMResult},
        {"ConfirmKM", ConfirmKM},
    };
    return methods;
}

}  // namespace kassa
