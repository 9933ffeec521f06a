#include "driver/shift_app.h"

#include <string>

#include "model/cashier.h"

namespace zarvik::app {

using Client = KassaAppClient;

JsonRpcParam CashierParam(std::string inputParameters) {
    return JsonRpcParam::String(CashierDataToJson(ReadInputParameters(std::move(inputParameters))));
}

void GetOutputParametersAdditionalsStateInfo(KassaAppClient& client, OutputParameters& record) {
    JsonRpcResult out = client.invoke("GetOutputParametersAdditionalsStateInfo", {});
    record.ShiftState = Client::readUnsigned(out.result, "ShiftState");
    record.DateTime = Client::readString(out.result, "DateTimeFiscal");
}

void GetOutputParametersAdditionalsOperationCounters(KassaAppClient& client,
                                                     OutputParameters& record) {
    JsonRpcResult out = client.invoke("GetOutputParametersAdditionalsOperationCounters", {});
    std::array<OperationCounters, 4> counters;
    for (size_t type = 0; type < counters.size(); ++type) {
        const std::string key = "CountersOperationType" + std::to_string(type + 1);
        const rapidjson::Value& source = Client::member(out.result, key.c_str());
        OperationCounters& target = counters[type];
        target.CheckCount = Client::readInt(source, "CheckCount");
        target.TotalChecksAmount = Client::readDouble(source, "TotalChecksAmount");
        target.CorrectionCheckCount = Client::readInt(source, "CorrectionCheckCount");
        target.TotalCorrectionChecksAmount =
            Client::readDouble(source, "TotalCorrectionChecksAmount");
    }
    record.Counters = counters;
}

void GetOutputParametersAdditionalsCashBalance(KassaAppClient& client, OutputParameters& record) {
    JsonRpcResult out = client.invoke("GetOutputParametersAdditionalsCashBalance", {});
    record.CashBalance = Client::optionalDouble(out.result, "CashBalance").value_or(0.0);
}

void ReadBacklog(const rapidjson::Value& container, const char* counterKey,
                 OutputParameters& record) {
    record.BacklogDocumentsCounter = Client::optionalUnsigned(container, counterKey).value_or(0);
    if (auto number = Client::optionalUnsigned(container, "BacklogDocumentFirstNumber")) {
        record.BacklogDocumentFirstNumber = number;
    }
    if (auto text = Client::optionalString(container, "BacklogDocumentFirstDateTime")) {
        record.BacklogDocumentFirstDateTime = text;
    }
}

}  // namespace zarvik::app
