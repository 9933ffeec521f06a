// The cashier's input-parameters document of the shift, report and cash
// operations: read it, write the cashier as the request does, read it back.

#include "fuzz_support.h"
#include "model/cashier.h"

using namespace zarvik;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto cashier = fuzz::ReadInput(data, size, ReadInputParameters);
    if (!cashier) return 0;
    const auto sent =
        fuzz::ParseJson(CashierDataToJson(*cashier), "the cashier JSON does not parse");
    fuzz::Expect(sent.IsObject() && sent.HasMember("CashierName"), "the cashier's name is missing");
    const std::pair<const char*, const std::string&> members[] = {
        {"CashierName", cashier->CashierName},
        {"CashierVATIN", cashier->CashierINN},
        {"SaleAddress", cashier->SaleAddress},
        {"SaleLocation", cashier->SaleLocation}};
    for (const auto& [key, value] : members) {
        // Only an empty member may be left out.
        fuzz::Expect(sent.HasMember(key) ? fuzz::Text(sent, key) == value : value.empty(),
                     "a cashier member changed on the way");
    }
    return 0;
}
