#include "driver/kkt_driver.h"
#include "driver/not_built.h"

namespace zarvik {

std::string KktDriver::ProcessCheck(bool, const std::string&) { NotBuiltYet("ProcessCheck"); }

std::string KktDriver::ProcessCorrectionCheck(const std::string&) { NotBuiltYet("ProcessCorrectionCheck"); }

}  // namespace zarvik
