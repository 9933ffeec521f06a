// Status and reports: read the register's state without changing the shift.
#include "driver/kkt_driver.h"
#include "driver/shift_app.h"

namespace zarvik {

namespace app {

namespace {
using Client = KassaAppClient;
}  // namespace

// "GetCurrentStatus": check, shift number and state, and the backlog, whose
// counter key here is singular ("BacklogDocumentCounter").
void GetCurrentStatus(KassaAppClient& client, OutputParameters& record) {
    JsonRpcResult out;
    client.invoke("GetCurrentStatus", {}, out);
    record.CheckNumber = Client::optionalUnsigned(out.result, "CheckNumber").value_or(0);
    record.ShiftNumber = Client::optionalUnsigned(out.result, "SessionNumber").value_or(0);
    record.ShiftState = Client::optionalUnsigned(out.result, "SessionState").value_or(0);
    ReadBacklog(Client::member(out.result, "StatusParameters"), "BacklogDocumentCounter", record);
}

void ReportCurrentStatusOfSettlements(KassaAppClient& client, const CashierData& cashier,
                                      OutputParameters& record) {
    JsonRpcResult out;
    client.invoke("ReportCurrentStatusOfSettlements", {CashierParam(cashier)}, out);
    ReadBacklog(Client::member(out.result, "OutputParameters"), "BacklogDocumentsCounter", record);
}

// Any result is accepted: the report is on paper.
void PrintXReport(KassaAppClient& client, const CashierData& cashier) {
    JsonRpcResult out;
    client.invoke("PrintXReport", {CashierParam(cashier)}, out);
}

}  // namespace app

std::string KktDriver::GetCurrentStatus() {
    OutputParameters record;
    record.CashBalance = 0.0;

    app::GetCurrentStatus(app_, record);
    app::GetOutputParametersAdditionalsCashBalance(app_, record);
    return WriteOutputParameters(record);
}

std::string KktDriver::ReportCurrentStatusOfSettlements(std::string inputParameters) {
    const CashierData cashier = ReadInputParameters(std::move(inputParameters));
    OutputParameters record;
    record.DateTime.emplace();
    record.CashBalance = 0.0;

    app::ReportCurrentStatusOfSettlements(app_, cashier, record);
    app::GetOutputParametersAdditionalsStateInfo(app_, record);
    app::GetOutputParametersAdditionalsCashBalance(app_, record);
    return WriteOutputParameters(record);
}

void KktDriver::PrintXReport(std::string inputParameters) {
    app::PrintXReport(app_, ReadInputParameters(std::move(inputParameters)));
}

}  // namespace zarvik
