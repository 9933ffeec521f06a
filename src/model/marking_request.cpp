#include "model/marking_request.h"

#include <tinyxml2.h>

#include <cmath>

#include "core/driver_error.h"
#include "core/numbers.h"

namespace zarvik {

namespace {

std::string RequiredText(const XmlElement& element, const char* name) {
    const char* value = element.Attribute(name);
    if (value == nullptr) throw InputDataError(std::string("отсутствует атрибут ") + name);
    return value;
}

std::string Print(const tinyxml2::XMLDocument& document) {
    tinyxml2::XMLPrinter printer;
    document.Print(&printer);
    return printer.CStr();
}

}  // namespace

RequestKM ReadRequestKM(const XmlElement& root) {
    RequestKM request;
    request.GUID = RequiredText(root, "GUID");
    request.WaitForResult = root.Attribute("WaitForResult") != nullptr;
    request.MarkingCode = RequiredText(root, "MarkingCode");
    request.PlannedStatus = ScanInt(root.Attribute("PlannedStatus"));
    request.Quantity = ScanDouble(root.Attribute("Quantity"));
    // An infinite quantity has no JSON form; it would cut the request short.
    if (std::isinf(request.Quantity)) throw InputDataError("некорректное значение Quantity");
    if (const char* measure = root.Attribute("MeasureOfQuantity")) {
        request.MeasureOfQuantity = measure;
    }
    request.Fraction = ReadFractionalQuantityOf(root);
    return request;
}

RequestKM ParseRequestKM(const std::string& xml) {
    XmlDocument document;
    if (document.Parse(xml.data(), xml.size()) != XmlParseResult::Success) {
        throw InputDataError("запрос кода маркировки не является корректным XML");
    }
    const XmlElement* root = document.RootElement();
    if (root == nullptr) {
        throw InputDataError("в запросе кода маркировки отсутствует корневой элемент");
    }
    return ReadRequestKM(*root);
}

std::string RequestKMText(const RequestKM& request) {
    std::string text;
    JsonTextStream stream(text, JsonTextStream::Form::Plain);
    JsonTextWriter writer(stream);
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
        WriteJsonNumber(writer, request.Quantity);
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
    return text;
}

std::string WriteRequestKMResult(const RequestKMResult& result) {
    tinyxml2::XMLDocument document;
    tinyxml2::XMLElement* element = document.NewElement("RequestKMResult");
    document.InsertEndChild(element);
    element->SetAttribute("Checking", result.Checking ? "true" : "false");
    element->SetAttribute("CheckingResult", result.CheckingResult ? "true" : "false");
    return Print(document);
}

std::string WriteProcessingKMResult(const ProcessingKMResult& result) {
    tinyxml2::XMLDocument document;
    tinyxml2::XMLElement* element = document.NewElement("ProcessingKMResult");
    document.InsertEndChild(element);
    element->SetAttribute("GUID", result.GUID.c_str());
    element->SetAttribute("Result", result.Result ? "true" : "false");
    element->SetAttribute("ResultCode", FormatUnsigned(result.ResultCode).c_str());
    element->SetAttribute("HandleCode", FormatUnsigned(result.HandleCode).c_str());
    if (result.StatusInfo) {
        element->SetAttribute("StatusInfo", FormatUnsigned(*result.StatusInfo).c_str());
    }
    return Print(document);
}

}  // namespace zarvik
