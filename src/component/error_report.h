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

// What GetLastError gives: the driver code of the last failure (0 after a
// call that succeeded) and the text of its reports, one line each.
struct LastError {
    int32_t code = 0;
    std::string text;  // UTF-8
};

// Every report a caught driver error becomes, in order (code 5 makes two),
// and the error as GetLastError gives it afterwards. Never throws: it runs
// where nothing may escape into the platform.
LastError ReportDriverError(IAddInDefBase* connection,
                            const ZarvikKassaErrorException& error) noexcept;

}  // namespace zarvik
