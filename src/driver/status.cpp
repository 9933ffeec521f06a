#include "driver/kkt_driver.h"
#include "driver/not_built.h"

namespace zarvik {

std::string KktDriver::GetCurrentStatus() { NotBuiltYet("GetCurrentStatus"); }

std::string KktDriver::ReportCurrentStatusOfSettlements(const std::string&) { NotBuiltYet("ReportCurrentStatusOfSettlements"); }

void KktDriver::PrintXReport(const std::string&) { NotBuiltYet("PrintXReport"); }

}  // namespace zarvik
