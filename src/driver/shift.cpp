// Opening and closing the fiscal shift. Once the companion application has
// opened or closed the shift, a failing follow-up call still fails the method:
// nothing is undone there, and the platform asks for the state again.
#include "driver/kkt_driver.h"
#include "driver/shift_app.h"

namespace zarvik {

using Client = KassaAppClient;

// "OpenShift": ShiftNumber and the three fiscal-storage flags, all required.
std::string KktDriver::OpenShift(std::string inputParameters) {
    OutputParameters record;
    record.DateTime.emplace();
    JsonRpcResult out = app_.invoke("OpenShift", {app::CashierParam(std::move(inputParameters))});
    record.ShiftNumber = Client::optionalUnsigned(out.result, "SessionNumber").value_or(0);
    const rapidjson::Value& fn = Client::member(out.result, "OutputParameters");
    record.FNError = Client::readBool(fn, "UrgentReplacementFN");
    record.FNOverflow = Client::readBool(fn, "MemoryOverflowFN");
    record.FNFail = Client::readBool(fn, "ResourcesExhaustionFN");
    app::GetOutputParametersAdditionalsStateInfo(app_, record);
    return WriteOutputParameters(record);
}

// "CloseShift": ShiftNumber, the backlog, and the flags when given.
std::string KktDriver::CloseShift(std::string inputParameters) {
    OutputParameters record;
    record.DateTime.emplace();
    record.Counters.emplace();
    record.CashBalance = 0.0;
    JsonRpcResult out = app_.invoke("CloseShift", {app::CashierParam(std::move(inputParameters))});
    record.ShiftNumber = Client::optionalUnsigned(out.result, "SessionNumber").value_or(0);
    const rapidjson::Value& parameters = Client::member(out.result, "OutputParameters");
    app::ReadBacklog(parameters, "BacklogDocumentsCounter", record);
    // Unlike after opening, the flags are optional here.
    record.FNError = Client::optionalBool(parameters, "UrgentReplacementFN");
    record.FNOverflow = Client::optionalBool(parameters, "MemoryOverflowFN");
    record.FNFail = Client::optionalBool(parameters, "ResourcesExhaustionFN");
    app::GetOutputParametersAdditionalsStateInfo(app_, record);
    app::GetOutputParametersAdditionalsOperationCounters(app_, record);
    app::GetOutputParametersAdditionalsCashBalance(app_, record);
    return WriteOutputParameters(record);
}

}  // namespace zarvik
