// Status and reports: read the register's state without changing the shift.
#include "driver/kkt_driver.h"
#include "driver/shift_app.h"

namespace zarvik {

using Client = KassaAppClient;

// "GetCurrentStatus": check, shift number and state, and the backlog, whose
// counter key here is singular ("BacklogDocumentCounter").
std::string KktDriver::GetCurrentStatus() {
    OutputParameters record;
    record.CashBalance = 0.0;
    JsonRpcResult out = app_.invoke("GetCurrentStatus", {});
    record.CheckNumber = Client::optionalUnsigned(out.result, "CheckNumber").value_or(0);
    record.ShiftNumber = Client::optionalUnsigned(out.result, "SessionNumber").value_or(0);
    record.ShiftState = Client::optionalUnsigned(out.result, "SessionState").value_or(0);
    app::ReadBacklog(Client::member(out.result, "StatusParameters"), "BacklogDocumentCounter",
                     record);
    app::GetOutputParametersAdditionalsCashBalance(app_, record);
    return WriteOutputParameters(record);
}

std::string KktDriver::ReportCurrentStatusOfSettlements(std::string inputParameters) {
    OutputParameters record;
    record.DateTime.emplace();
    record.CashBalance = 0.0;
    JsonRpcResult out = app_.invoke("ReportCurrentStatusOfSettlements",
                                    {app::CashierParam(std::move(inputParameters))});
    app::ReadBacklog(Client::member(out.result, "OutputParameters"), "BacklogDocumentsCounter",
                     record);
    app::GetOutputParametersAdditionalsStateInfo(app_, record);
    app::GetOutputParametersAdditionalsCashBalance(app_, record);
    return WriteOutputParameters(record);
}

// Any result is accepted: the report is on paper.
void KktDriver::PrintXReport(std::string inputParameters) {
    app_.invoke("PrintXReport", {app::CashierParam(std::move(inputParameters))});
}

}  // namespace zarvik
