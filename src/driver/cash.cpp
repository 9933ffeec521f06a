// Cash deposits and withdrawals and the small service operations: one request
// each, and apart from the line length the answer's result is not examined.
#include "driver/kkt_driver.h"
#include "driver/shift_app.h"

namespace zarvik {

// The amount goes first and unchanged, sign included: the companion
// application tells a deposit from a withdrawal by it. It is finite: the
// dispatch refuses anything else.
void KktDriver::CashInOutcome(std::string inputParameters, double amount) {
    app_.invoke("CashInOutcome",
                {JsonRpcParam::Double(amount), app::CashierParam(std::move(inputParameters))});
}

void KktDriver::OpenCashDrawer() { app_.invoke("OpenCashDrawer", {}); }

int32_t KktDriver::GetLineLength() {
    JsonRpcResult out = app_.invoke("GetLineLength", {});
    return KassaAppClient::optionalInt(out.result, "LineLength").value_or(0);
}

void KktDriver::PrintCheckCopy(const std::string& checkNumber) {
    app_.invoke("PrintCheckCopy", {JsonRpcParam::String(checkNumber)});
}

}  // namespace zarvik
