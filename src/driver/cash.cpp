// Cash deposits and withdrawals and the small service operations: one request
// each, and apart from the line length the answer's result is not examined.
#include <cmath>

#include "core/driver_error.h"
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
    return Client::asInt(Client::member(out.result, "LineLength"));
}

void PrintCheckCopy(KassaAppClient& client, const std::string& checkNumber) {
    JsonRpcResult out;
    client.invoke("PrintCheckCopy", {JsonRpcParam::String(checkNumber)}, out);
}

}  // namespace app

void KktDriver::CashInOutcome(const std::string& inputParameters, double amount) {
    const CashierData cashier = ReadInputParameters(inputParameters);
    // The dispatch refuses these already; an infinite number has no JSON form.
    if (!std::isfinite(amount)) {
        throw InputDataError("сумма (третий параметр) должна быть конечным числом");
    }
    app::CashInOutcome(app_, cashier, amount);
}

void KktDriver::OpenCashDrawer() { app::OpenCashDrawer(app_); }

int32_t KktDriver::GetLineLength() { return app::GetLineLength(app_); }

void KktDriver::PrintCheckCopy(const std::string& checkNumber) {
    app::PrintCheckCopy(app_, checkNumber);
}

}  // namespace zarvik
