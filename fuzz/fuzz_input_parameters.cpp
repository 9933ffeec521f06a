// The cashier's input-parameters document of the shift, report and cash
// operations: read it, write the cashier as the request does, read it back.
#include <rapidjson/document.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "model/cashier.h"

using namespace zarvik;

namespace {

void ExpectMember(const rapidjson::Document& sent, const char* key, const std::string& value,
                  bool always) {
    const auto found = sent.FindMember(key);
    if (found == sent.MemberEnd()) {
        fuzz::Expect(!always && value.empty(), "a cashier member went missing");
        return;
    }
    fuzz::Expect(found->value.IsString(), "a cashier member is not a string");
    fuzz::Expect(std::string(found->value.GetString(), found->value.GetStringLength()) == value,
                 "a cashier member changed on the way");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string xml(reinterpret_cast<const char*>(data), size);
    CashierData cashier;
    try {
        cashier = ReadInputParameters(xml);
    } catch (const ZarvikKassaErrorException& error) {
        fuzz::ExpectInputRefusal(error);
        return 0;
    }
    const std::string text = CashierDataToJson(cashier);
    rapidjson::Document sent;
    sent.Parse(text.data(), text.size());
    fuzz::Expect(!sent.HasParseError() && sent.IsObject(), "the cashier JSON does not parse");
    ExpectMember(sent, "CashierName", cashier.CashierName, true);
    ExpectMember(sent, "CashierVATIN", cashier.CashierINN, false);
    ExpectMember(sent, "SaleAddress", cashier.SaleAddress, false);
    ExpectMember(sent, "SaleLocation", cashier.SaleLocation, false);
    return 0;
}
