#include "model/marking_request.h"

#include <cmath>

#include "core/driver_error.h"
#include "core/numbers.h"
#include "model/json_text.h"

namespace zarvik {

namespace {

std::string RequiredText(const XmlElement& element, const char* name) {
    const pugi::xml_attribute value = element.attribute(name);
    if (!value) throw InputDataError(std::string("отсутствует атрибут ") + name);
    return value.value();
}

}  // namespace

RequestKM ParseRequestKM(std::string xml) {
    const char* const kNotXml = "запрос кода маркировки не является корректным XML";
    pugi::xml_document document;
    const XmlElement root = ParseDocument(document, xml, kNotXml, kNotXml,
                                          "в запросе кода маркировки отсутствует корневой элемент");
    RequestKM request;
    request.GUID = RequiredText(root, "GUID");
    request.WaitForResult = static_cast<bool>(root.attribute("WaitForResult"));
    request.MarkingCode = RequiredText(root, "MarkingCode");
    request.PlannedStatus = ScanInt(root.attribute("PlannedStatus").as_string(nullptr));
    // "nan" has always read as no quantity here; an infinite one is refused
    // like every fiscal number.
    const char* quantity = root.attribute("Quantity").as_string(nullptr);
    if (!std::isnan(ScanDouble(quantity))) {
        request.Quantity =
            ScanFinite(quantity, "Quantity", std::string("у элемента ") + root.name());
    }
    if (const pugi::xml_attribute measure = root.attribute("MeasureOfQuantity")) {
        request.MeasureOfQuantity = measure.value();
    }
    request.Fraction = ReadFractionalQuantityOf(root);
    return request;
}

std::string RequestKMText(const RequestKM& request) {
    return JsonText([&](JsonTextWriter& writer) {
        writer.StartObject();
        writer.Key("GUID");
        writer.String(request.GUID.c_str());
        if (request.WaitForResult) {
            writer.Key("WaitForResult");
            writer.Bool(true);
        }
        writer.Key("MarkingCode");
        writer.String(request.MarkingCode.c_str());
        writer.Key("PlannedStatus");
        writer.Int(request.PlannedStatus);
        if (request.Quantity > 0) {
            writer.Key("Quantity");
            writer.Double(request.Quantity);
        }
        if (request.MeasureOfQuantity) {
            writer.Key("MeasureOfQuantity");
            writer.String(request.MeasureOfQuantity->c_str());
        }
        if (request.Fraction) {
            writer.Key("FractionalQuantity");
            WriteFractionalQuantity(*request.Fraction, writer);
        }
        writer.EndObject();
    });
}

}  // namespace zarvik
