#include "driver/kkt_driver.h"
#include "driver/not_built.h"

namespace zarvik {

void KktDriver::PrintTextDocument(const std::string&) { NotBuiltYet("PrintTextDocument"); }

}  // namespace zarvik
