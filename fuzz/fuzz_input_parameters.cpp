// The cashier's input-parameters document of the shift, report and cash
// operations: read it, write the cashier as the request does, read it back.

#include "fuzz_support.h"
#include "model/cashier.h"

using namespace zarvik;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CashierData cashier;
    if (!fuzz::Accepted([&] { cashier = ReadInputParameters(std::string(data, data + size)); })) {
        return 0;
    }
    rapidjson::Document sent;
    fuzz::ParseJson(sent, CashierDataToJson(cashier), "the cashier JSON does not parse");
    fuzz::Expect(sent.IsObject() && sent.HasMember("CashierName"), "the cashier's name is missing");
    const std::pair<const char*, const std::string*> members[] = {
        {"CashierName", &cashier.CashierName},
        {"CashierVATIN", &cashier.CashierINN},
        {"SaleAddress", &cashier.SaleAddress},
        {"SaleLocation", &cashier.SaleLocation}};
    for (const auto& [key, value] : members) {
        const auto found = sent.FindMember(key);
        if (found == sent.MemberEnd()) {
            fuzz::Expect(value->empty(), "a cashier member went missing");
            continue;
        }
        fuzz::Expect(
            found->value.IsString() &&
                std::string(found->value.GetString(), found->value.GetStringLength()) == *value,
            "a cashier member changed on the way");
    }
    return 0;
}
