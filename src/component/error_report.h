// Failures reach the platform through its AddError, at once and in Russian.
#pragma once

#include <cstdint>
#include <string>

#include "component/native_api.h"
#include "core/driver_error.h"

namespace zarvik {

// One AddError call: source "ZARVIK Duzar", the code as message code and as
// error code. Without a connection the report is dropped.
void AddPlatformError(IAddInDefBase* connection, int32_t code, const std::string& description);

// Every report a caught driver error becomes, in order (code 5 makes two).
void ReportDriverError(IAddInDefBase* connection, const ZarvikKassaErrorException& error);

}  // namespace zarvik
