// The shift family: opening and closing the fiscal shift, status and reports,
// cash and the small service operations.
//
// Once the companion application has opened or closed the shift, a failing
// follow-up call still fails the method: nothing is undone there, and the
// platform asks for the state again. Apart from the line length, the answers
// to the cash and service operations are not examined.
#include <array>
#include <string>

#include "applink/kassa_app_client.h"
#include "driver/kkt_driver.h"
#include "model/cashier.h"
#include "model/documents.h"

namespace zarvik {

namespace {

using Client = KassaAppClient;

// The input-parameters document read (code 8 when it does not parse) and its
// cashier sent as compact JSON text in one String parameter.
JsonRpcParam CashierParam(std::string inputParameters) {
    return JsonRpcParam::String(CashierDataToJson(ReadInputParameters(std::move(inputParameters))));
}

// "GetOutputParametersAdditionalsStateInfo": DateTime and ShiftState.
void GetOutputParametersAdditionalsStateInfo(KassaAppClient& client, OutputParameters& record) {
    JsonRpcResult out = client.invoke("GetOutputParametersAdditionalsStateInfo", {});
    record.ShiftState = Client::readUnsigned(out.result, "ShiftState");
    record.DateTime = Client::readString(out.result, "DateTimeFiscal");
}

// "GetOutputParametersAdditionalsOperationCounters": the four counters.
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

// "GetOutputParametersAdditionalsCashBalance": CashBalance (absent reads 0.0).
void GetOutputParametersAdditionalsCashBalance(KassaAppClient& client, OutputParameters& record) {
    JsonRpcResult out = client.invoke("GetOutputParametersAdditionalsCashBalance", {});
    record.CashBalance = Client::optionalDouble(out.result, "CashBalance").value_or(0.0);
}

// The backlog members of a result container. The counter is always set; its
// key differs between answers ("BacklogDocumentCounter" in the status).
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

}  // namespace

// "OpenShift": ShiftNumber and the three fiscal-storage flags, all required.
std::string KktDriver::OpenShift(std::string inputParameters) {
    OutputParameters record;
    record.DateTime.emplace();
    JsonRpcResult out = app_.invoke("OpenShift", {CashierParam(std::move(inputParameters))});
    record.ShiftNumber = Client::optionalUnsigned(out.result, "SessionNumber").value_or(0);
    const rapidjson::Value& fn = Client::member(out.result, "OutputParameters");
    record.FNError = Client::readBool(fn, "UrgentReplacementFN");
    record.FNOverflow = Client::readBool(fn, "MemoryOverflowFN");
    record.FNFail = Client::readBool(fn, "ResourcesExhaustionFN");
    GetOutputParametersAdditionalsStateInfo(app_, record);
    return WriteOutputParameters(record);
}

// "CloseShift": ShiftNumber, the backlog, and the flags when given.
std::string KktDriver::CloseShift(std::string inputParameters) {
    OutputParameters record;
    record.DateTime.emplace();
    record.Counters.emplace();
    record.CashBalance = 0.0;
    JsonRpcResult out = app_.invoke("CloseShift", {CashierParam(std::move(inputParameters))});
    record.ShiftNumber = Client::optionalUnsigned(out.result, "SessionNumber").value_or(0);
    const rapidjson::Value& parameters = Client::member(out.result, "OutputParameters");
    ReadBacklog(parameters, "BacklogDocumentsCounter", record);
    // Unlike after opening, the flags are optional here.
    record.FNError = Client::optionalBool(parameters, "UrgentReplacementFN");
    record.FNOverflow = Client::optionalBool(parameters, "MemoryOverflowFN");
    record.FNFail = Client::optionalBool(parameters, "ResourcesExhaustionFN");
    GetOutputParametersAdditionalsStateInfo(app_, record);
    GetOutputParametersAdditionalsOperationCounters(app_, record);
    GetOutputParametersAdditionalsCashBalance(app_, record);
    return WriteOutputParameters(record);
}

// Status and reports read the register's state without changing the shift.
// "GetCurrentStatus": check, shift number and state, and the backlog, whose
// counter key here is singular ("BacklogDocumentCounter").
std::string KktDriver::GetCurrentStatus() {
    OutputParameters record;
    record.CashBalance = 0.0;
    JsonRpcResult out = app_.invoke("GetCurrentStatus", {});
    record.CheckNumber = Client::optionalUnsigned(out.result, "CheckNumber").value_or(0);
    record.ShiftNumber = Client::optionalUnsigned(out.result, "SessionNumber").value_or(0);
    record.ShiftState = Client::optionalUnsigned(out.result, "SessionState").value_or(0);
    ReadBacklog(Client::member(out.result, "StatusParameters"), "BacklogDocumentCounter", record);
    GetOutputParametersAdditionalsCashBalance(app_, record);
    return WriteOutputParameters(record);
}

std::string KktDriver::ReportCurrentStatusOfSettlements(std::string inputParameters) {
    OutputParameters record;
    record.DateTime.emplace();
    record.CashBalance = 0.0;
    JsonRpcResult out =
        app_.invoke("ReportCurrentStatusOfSettlements", {CashierParam(std::move(inputParameters))});
    ReadBacklog(Client::member(out.result, "OutputParameters"), "BacklogDocumentsCounter", record);
    GetOutputParametersAdditionalsStateInfo(app_, record);
    GetOutputParametersAdditionalsCashBalance(app_, record);
    return WriteOutputParameters(record);
}

// Any result is accepted: the report is on paper.
void KktDriver::PrintXReport(std::string inputParameters) {
    app_.invoke("PrintXReport", {CashierParam(std::move(inputParameters))});
}

// The amount goes first and unchanged, sign included: the companion
// application tells a deposit from a withdrawal by it. It is finite: the
// dispatch refuses anything else.
void KktDriver::CashInOutcome(std::string inputParameters, double amount) {
    app_.invoke("CashInOutcome",
                {JsonRpcParam::Double(amount), CashierParam(std::move(inputParameters))});
}

void KktDriver::OpenCashDrawer() { app_.invoke("OpenCashDrawer", {}); }

int32_t KktDriver::GetLineLength() {
    JsonRpcResult out = app_.invoke("GetLineLength", {});
    return Client::optionalInt(out.result, "LineLength").value_or(0);
}

void KktDriver::PrintCheckCopy(const std::string& checkNumber) {
    app_.invoke("PrintCheckCopy", {JsonRpcParam::String(checkNumber)});
}

}  // namespace zarvik
