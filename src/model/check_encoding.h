// The receipt as the companion's "ProcessCheck" takes it: a JSON check
// document of "Parameters", "Positions" and "Payments", sent as compact JSON
// text inside one string parameter.
#pragma once

#include <string>

#include "applink/json_rpc_client.h"
#include "model/check_package.h"

namespace zarvik {

// The compact text of the check document.
std::string CheckDocumentText(const CheckPackage& check);

// The operation's own parameters after PosId and the request counter: an
// empty string, the electronically flag, the check document (written into
// the request when it is made; `check` must outlive the parameters).
JsonRpcParams ProcessCheckParams(bool electronically, const CheckPackage& check);

}  // namespace zarvik
