// The records the driver sends as JSON text inside a string parameter, member
// by member, with the JSON type each member must have.
#pragma once

#include "request_checks.h"

namespace kassa {

extern const Schema kCashierSchema;
extern const Schema kCheckSchema;
extern const Schema kRequestKMSchema;
extern const Schema kConfirmKMSchema;

}  // namespace kassa
