#include "driver/kkt_driver.h"
#include "driver/not_built.h"

namespace zarvik {

void KktDriver::OpenSessionRegistrationKM() { NotBuiltYet("OpenSessionRegistrationKM"); }

void KktDriver::CloseSessionRegistrationKM() { NotBuiltYet("CloseSessionRegistrationKM"); }

std::string KktDriver::RequestKM(const std::string&) { NotBuiltYet("RequestKM"); }

ProcessingKMOutput KktDriver::GetProcessingKMResult() { NotBuiltYet("GetProcessingKMResult"); }

void KktDriver::ConfirmKM(const std::string&, uint32_t) { NotBuiltYet("ConfirmKM"); }

}  // namespace zarvik
