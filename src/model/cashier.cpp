#include "model/cashier.h"

#include "model/json_text.h"
#include "model/xml_input.h"

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

CashierData ReadInputParameters(std::string xml) {
    const char* const kNotXml = "входные параметры не являются корректным XML";
    pugi::xml_document document;
    const XmlElement parameters =
        RequiredChild(ParseDocument(document, xml, kNotXml, kNotXml,
                                    "во входных параметрах отсутствует корневой элемент"),
                      "Parameters");
    CashierData cashier;
    for (const auto& row : kCashierFields) {
        cashier.*row.field = parameters.attribute(row.xml).value();
    }
    return cashier;
}

std::string CashierDataToJson(const CashierData& cashier) {
    return JsonText([&](JsonTextWriter& writer) {
        writer.StartObject();
        for (const auto& row : kCashierFields) {
            const std::string& text = cashier.*row.field;
            if (text.empty() && !row.sentWhenEmpty) continue;
            writer.Name(row.json);
            // Up to the first zero byte, as the platform's text ends there.
            writer.Text(text.c_str(), std::char_traits<char>::length(text.c_str()));
        }
        writer.EndObject();
    });
}

}  // namespace zarvik
