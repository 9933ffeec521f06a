#include "driver/kkt_driver.h"
#include "driver/not_built.h"

namespace zarvik {

void KktDriver::CashInOutcome(const std::string&, double) { NotBuiltYet("CashInOutcome"); }

void KktDriver::OpenCashDrawer() { NotBuiltYet("OpenCashDrawer"); }

int32_t KktDriver::GetLineLength() { NotBuiltYet("GetLineLength"); }

void KktDriver::PrintCheckCopy(const std::string&) { NotBuiltYet("PrintCheckCopy"); }

}  // namespace zarvik
