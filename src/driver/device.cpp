#include "driver/kkt_driver.h"
#include "driver/not_built.h"

namespace zarvik {

DeviceTestResult KktDriver::DeviceTest() { NotBuiltYet("DeviceTest"); }

std::string KktDriver::GetDataKKT() { NotBuiltYet("GetDataKKT"); }

}  // namespace zarvik
