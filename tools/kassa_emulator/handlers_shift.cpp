// Shifts, the state and counters that follow them, status and reports.
#include "handlers.h"
#include "schemas.h"

namespace kassa {

namespace {

void CheckCashier(const Call& call) {
    call.params.expectOwn(1, "PosId, счётчик, кассир");
    rapidjson::Document cashier;
    call.params.json(0, "кассир", kCashierSchema, cashier);
}

void PutFnFlags(Answer& output) {
    output.Set("UrgentReplacementFN", false)
        .Set("MemoryOverflowFN", false)
        .Set("ResourcesExhaustionFN", false);
}

void OpenShift(Call& call) {
    CheckCashier(call);
    const ShiftReport report = call.kassa.OpenShift();
    call.result.Set("SessionNumber", report.shiftNumber)
        .Set("DocumentNumber", report.document.number)
        .Set("FiscalSign", report.document.fiscalSign);
    Answer output = call.result.Child("OutputParameters");
    PutFnFlags(output);
}

void CloseShift(Call& call) {
    CheckCashier(call);
    const ShiftReport report = call.kassa.CloseShift();
    call.result.Set("SessionNumber", report.shiftNumber)
        .Set("DocumentNumber", report.document.number)
        .Set("FiscalSign", report.document.fiscalSign);
    Answer output = call.result.Child("OutputParameters");
    PutBacklog(output, report.backlog, "BacklogDocumentsCounter");
    PutFnFlags(output);
}

void StateInfo(Call& call) {
    call.params.expectOwn(0, "PosId, счётчик");
    call.result.Set("ShiftState", static_cast<int32_t>(call.kassa.shiftState()))
        .Set("DateTimeFiscal", FormatDateTime(call.kassa.now()));
}

void OperationCountersAnswer(Call& call) {
    call.params.expectOwn(0, "PosId, счётчик");
    static const char* const kKeys[4] = {"CountersOperationType1", "CountersOperationType2",
                                         "CountersOperationType3", "CountersOperationType4"};
    for (size_t type = 0; type < 4; ++type) {
        const OperationCounters& counters = call.kassa.counters()[type];
        call.result.Child(kKeys[type])
            .Set("CheckCount", counters.checkCount)
            .Set("TotalChecksAmount", counters.totalChecksAmount)
            .Set("CorrectionCheckCount", counters.correctionCheckCount)
            .Set("TotalCorrectionChecksAmount", counters.totalCorrectionChecksAmount);
    }
}

void CashBalance(Call& call) {
    call.params.expectOwn(0, "PosId, счётчик");
    call.result.Set("CashBalance", call.kassa.cashBalance());
}

void GetCurrentStatus(Call& call) {
    call.params.expectOwn(0, "PosId, счётчик");
    const CashRegister& kassa = call.kassa;
    call.result.Set("CheckNumber", kassa.lastDocumentNumber())
        .Set("SessionNumber", kassa.shiftNumber())
        .Set("SessionState", static_cast<int32_t>(kassa.shiftState()));
    Answer status = call.result.Child("StatusParameters");
    PutBacklog(status, kassa.backlog(), "BacklogDocumentCounter");
}

void ReportCurrentStatusOfSettlements(Call& call) {
    CheckCashier(call);
    const FiscalDocument report = call.kassa.ReportCurrentStatusOfSettlements();
    call.result.Set("DocumentNumber", report.number).Set("FiscalSign", report.fiscalSign);
    Answer output = call.result.Child("OutputParameters");
    PutBacklog(output, call.kassa.backlog(), "BacklogDocumentsCounter");
}

// An X report is no fiscal document; it prints the shift's totals.
void PrintXReport(Call& call) {
    CheckCashier(call);
    call.kassa.RequireShiftOpen();
    call.result.Set("SessionNumber", call.kassa.shiftNumber())
        .Set("CashBalance", call.kassa.cashBalance());
}

}  // namespace

void PutBacklog(Answer& container, const Backlog& backlog, const char* counterKey) {
    container.Set(counterKey, backlog.count);
    if (backlog.first) {
        container.Set("BacklogDocumentFirstNumber", backlog.first->number)
            .Set("BacklogDocumentFirstDateTime", FormatDateTime(backlog.first->time));
    }
}

const std::vector<MethodEntry>& ShiftMethods() {
    static const std::vector<MethodEntry> methods = {
        {"OpenShift", OpenShift},
        {"CloseShift", CloseShift},
        {"GetOutputParametersAdditionalsStateInfo", StateInfo},
        {"GetOutputParametersAdditionalsOperationCounters", OperationCountersAnswer},
        {"GetOutputParametersAdditionalsCashBalance", CashBalance},
        {"GetCurrentStatus", GetCurrentStatus},
        {"ReportCurrentStatusOfSettlements", ReportCurrentStatusOfSettlements},
        {"PrintXReport", PrintXReport},
    };
    return methods;
}

}  // namespace kassa
