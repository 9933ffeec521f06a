// The cashier and place of sale that the shift, report and cash operations
// receive in the platform's input parameters and pass on to the companion
// application.
#pragma once

#include <string>

namespace zarvik {

struct CashierData {
    std::string CashierName;
    std::string CashierINN;
    std::string SaleAddress;
    std::string SaleLocation;
};

// The whole input-parameters document: the attributes of the root's (any
// name) first `Parameters` child, an absent attribute read as empty. Text that
// does not parse, or lacks either element, is code 8 naming what is missing.
CashierData ReadInputParameters(std::string xml);

// The compact JSON text: "CashierName" always, the other members only when
// not empty. The tax number is read as "CashierINN" but the companion
// application calls it "CashierVATIN".
std::string CashierDataToJson(const CashierData& cashier);

}  // namespace zarvik
