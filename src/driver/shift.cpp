// Opening and closing the fiscal shift. Once the companion application has
// opened or closed the shift, a failing follow-up call still fails the method:
// nothing is undone there, and the platform asks for the state again.
#include "driver/kkt_driver.h"
#include "driver/shift_app.h"

namespace zarvik {

std::string KktDriver::OpenShift(std::string inputParameters) {
    const CashierData cashier = ReadInputParameters(std::move(inputParameters));
    OutputParameters record;
    record.DateTime.emplace();

    app::OpenShift(app_, cashier, record);
    app::GetOutputParametersAdditionalsStateInfo(app_, record);
    return WriteOutputParameters(record);
}

std::string KktDriver::CloseShift(std::string inputParameters) {
    const CashierData cashier = ReadInputParameters(std::move(inputParameters));
    OutputParameters record;
    record.DateTime.emplace();
    record.Counters.emplace();
    record.CashBalance = 0.0;

    app::CloseShift(app_, cashier, record);
    app::GetOutputParametersAdditionalsStateInfo(app_, record);
    app::GetOutputParametersAdditionalsOperationCounters(app_, record);
    app::GetOutputParametersAdditionalsCashBalance(app_, record);
    return WriteOutputParameters(record);
}

}  // namespace zarvik
