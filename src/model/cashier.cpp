#include "model/cashier.h"

#include "core/driver_error.h"

namespace zarvik {

namespace {

struct CashierField {
    const char* xml;
    const char* json;
    std::string CashierData::*field;
    bool sentWhenEmpty;
};

const CashierField kCashierFields[] = {
    {"CashierName", "CashierName", &CashierData::CashierName, true},
    {"CashierINN", "CashierVATIN", &CashierData::CashierINN, false},
    {"SaleAddress", "SaleAddress", &CashierData::SaleAddress, false},
    {"SaleLocation", "SaleLocation", &CashierData::SaleLocation, false},
};

}  // namespace

CashierData ReadCashierData(const XmlElement& parameters) {
    CashierData cashier;
    for (const auto& row : kCashierFields) {
        if (const char* value = parameters.Attribute(row.xml)) cashier.*row.field = value;
    }
    return cashier;
}

CashierData ReadInputParameters(const std::string& xml) {
    XmlDocument document;
    if (document.Parse(xml.data(), xml.size()) != XmlParseResult::Success) {
        throw InputDataError("входные параметры не являются корректным XML");
    }
    const XmlElement* root = document.RootElement();
    if (root == nullptr) throw InputDataError("во входных параметрах отсутствует корневой элемент");
    const XmlElement* parameters = root->FirstChildElement("Parameters");
    if (parameters == nullptr) throw InputDataError("отсутствует элемент Parameters");
    return ReadCashierData(*parameters);
}

rapidjson::Value CashierDataToJson(const CashierData& cashier,
                                   rapidjson::Document::AllocatorType& allocator) {
    rapidjson::Value object(rapidjson::kObjectType);
    for (const auto& row : kCashierFields) {
        const std::string& text = cashier.*row.field;
        if (text.empty() && !row.sentWhenEmpty) continue;
        // Up to the first zero byte, as the platform's text ends there.
        object.AddMember(rapidjson::StringRef(row.json), rapidjson::Value(text.c_str(), allocator),
                         allocator);
    }
    return object;
}

}  // namespace zarvik
