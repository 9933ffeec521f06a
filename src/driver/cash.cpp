// Cash deposits and withdrawals and the small service operations: one request
// each, and apart from the line length the answer's result is not examined.
#include "driver/kkt_driver.h"
#include "driver/shift_app.h"

namespace zarvik {

namespace app {

namespace {
using Client = KassaAppClient;
}  // namespace

// The amount goes first and unchanged, sign included: the companion
// application tells a deposit from a withdrawal by it.
void CashInOutcome(KassaAppClient& client, const CashierData& cashier, double amount) {
    JsonRpcResult out;
    client.invoke("CashInOutcome", {JsonRpcParam::Double(amount), CashierParam(cashier)}, out);
}

void OpenCashDrawer(KassaAppClient& client) {
    JsonRpcResult out;
    client.invoke("OpenCashDrawer", {}, out);
}

int32_t GetLineLength(KassaAppClient& client) {
    JsonRpcResult out;
    client.invoke("GetLineLength", {}, out);
    return Client::optionalInt(out.result, "LineLength").value_or(0);
}

void PrintCheckCopy(KassaAppClient& client, const std::string& checkNumber) {
    JsonRpcResult out;
    client.invoke("PrintCheckCopy", {JsonRpcParam::String(checkNumber)}, out);
}

}  // namespace app

// `amount` is finite: the dispatch refuses anything else.
void KktDriver::CashInOutcome(std::string inputParameters, double amount) {
    app::CashInOutcome(app_, ReadInputParameters(std::move(inputParameters)), amount);
}

void KktDriver::OpenCashDrawer() { app::OpenCashDrawer(app_); }

int32_t KktDriver::GetLineLength() { return app::GetLineLength(app_); }

void KktDriver::PrintCheckCopy(const std::string& checkNumber) {
    app::PrintCheckCopy(app_, checkNumber);
}

}  // namespace zarvik
