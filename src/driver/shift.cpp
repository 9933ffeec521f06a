#include "driver/kkt_driver.h"
#include "driver/not_built.h"

namespace zarvik {

std::string KktDriver::OpenShift(const std::string&) { NotBuiltYet("OpenShift"); }

std::string KktDriver::CloseShift(const std::string&) { NotBuiltYet("CloseShift"); }

}  // namespace zarvik
