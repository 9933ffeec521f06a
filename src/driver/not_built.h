// Placeholder for operations that are not built yet: a clear code 7, never a
// silent success.
#pragma once

#include "core/driver_error.h"

namespace zarvik {

[[noreturn]] inline void NotBuiltYet(const char* method) {
    throw ZarvikKassaErrorException(DriverErrorCode::OtherError,
                                    std::string("Операция ") + method + " не поддерживается");
}

}  // namespace zarvik
