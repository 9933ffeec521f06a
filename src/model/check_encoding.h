// The receipt as the companion's "ProcessCheck" takes it: a JSON check
// document of "Parameters", "Positions" and "Payments", sent as compact JSON
// text inside one string parameter.
#pragma once

#include <string>

#include "model/check_package.h"
#include "model/json_text.h"

namespace zarvik {

// The compact text of the check document; in the escaped form the finished
// JSON string that holds it, as it stands in the request.
std::string CheckDocumentText(const CheckPackage& check,
                              JsonTextStream::Form form = JsonTextStream::Form::Plain);

}  // namespace zarvik
