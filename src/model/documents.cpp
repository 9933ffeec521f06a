#include "model/documents.h"

#include "core/numbers.h"

namespace zarvik {

namespace {

using tinyxml2::XMLElement;

const char* Flag(bool value) { return value ? "true" : "false"; }

// The attribute, when the field is present.
template <typename T, typename Format>
void SetOptional(XMLElement& element, const char* name, const std::optional<T>& value,
                 Format format) {
    if (value) element.SetAttribute(name, format(*value).c_str());
}

XMLElement& Single(tinyxml2::XMLDocument& document, const char* name) {
    XMLElement* element = document.NewElement(name);
    document.InsertEndChild(element);
    return *element;
}

// A root element holding one "Parameters" element, which is returned.
XMLElement& Parameters(tinyxml2::XMLDocument& document, const char* root) {
    return *Single(document, root).InsertNewChildElement("Parameters");
}

}  // namespace

std::string PrintXml(const tinyxml2::XMLDocument& document) {
    tinyxml2::XMLPrinter printer;
    document.Print(&printer);
    return std::string(printer.CStr(), static_cast<size_t>(printer.CStrSize() - 1));
}

std::string WriteOutputParameters(const OutputParameters& record) {
    tinyxml2::XMLDocument document;
    XMLElement& parameters = Parameters(document, "outputParameters");
    const auto text = [](const std::string& value) { return value; };
    const auto flag = [](bool value) { return std::string(Flag(value)); };
    parameters.SetAttribute("ShiftState", FormatUnsigned(record.ShiftState).c_str());
    SetOptional(parameters, "ShiftNumber", record.ShiftNumber, FormatUnsigned);
    SetOptional(parameters, "CheckNumber", record.CheckNumber, FormatUnsigned);
    SetOptional(parameters, "DateTime", record.DateTime, text);
    SetOptional(parameters, "CashBalance", record.CashBalance, FormatDouble);
    SetOptional(parameters, "BacklogDocumentsCounter", record.BacklogDocumentsCounter,
                FormatUnsigned);
    SetOptional(parameters, "BacklogDocumentFirstNumber", record.BacklogDocumentFirstNumber,
                FormatUnsigned);
    SetOptional(parameters, "BacklogDocumentFirstDateTime", record.BacklogDocumentFirstDateTime,
                text);
    SetOptional(parameters, "FNError", record.FNError, flag);
    SetOptional(parameters, "FNOverflow", record.FNOverflow, flag);
    SetOptional(parameters, "FNFail", record.FNFail, flag);
    if (record.Counters) {
        for (size_t type = 0; type < record.Counters->size(); ++type) {
            const OperationCounters& counters = (*record.Counters)[type];
            XMLElement* element = parameters.InsertNewChildElement(
                ("CountersOperationType" + FormatInt(static_cast<int32_t>(type + 1))).c_str());
            element->SetAttribute("CheckCount", FormatInt(counters.CheckCount).c_str());
            element->SetAttribute("TotalChecksAmount",
                                  FormatDouble(counters.TotalChecksAmount).c_str());
            element->SetAttribute("CorrectionCheckCount",
                                  FormatInt(counters.CorrectionCheckCount).c_str());
            element->SetAttribute("TotalCorrectionChecksAmount",
                                  FormatDouble(counters.TotalCorrectionChecksAmount).c_str());
        }
    }
    return PrintXml(document);
}

std::string WriteDocumentOutputParameters(const DocumentOutputParameters& output) {
    tinyxml2::XMLDocument document;
    XMLElement& parameters = Parameters(document, "DocumentOutputParameters");
    parameters.SetAttribute("ShiftNumber", FormatUnsigned(output.ShiftNumber).c_str());
    parameters.SetAttribute("CheckNumber", FormatUnsigned(output.CheckNumber).c_str());
    parameters.SetAttribute("ShiftClosingCheckNumber",
                            FormatUnsigned(output.ShiftClosingCheckNumber).c_str());
    parameters.SetAttribute("AddressSiteInspections", output.AddressSiteInspections.c_str());
    parameters.SetAttribute("FiscalSign", output.FiscalSign.c_str());
    parameters.SetAttribute("DateTime", output.DateTime.c_str());
    return PrintXml(document);
}

std::string WriteDataKKTXml(const DataKKT& record) {
    tinyxml2::XMLDocument document;
    XMLElement& parameters = Single(document, "Parameters");
    for (size_t i = 0; i < record.size(); ++i) {
        parameters.SetAttribute(kDataKKTFields[i].xml, record[i].c_str());
    }
    return PrintXml(document);
}

std::string WriteRequestKMResult(const RequestKMResult& result) {
    tinyxml2::XMLDocument document;
    XMLElement& element = Single(document, "RequestKMResult");
    element.SetAttribute("Checking", Flag(result.Checking));
    element.SetAttribute("CheckingResult", Flag(result.CheckingResult));
    return PrintXml(document);
}

std::string WriteProcessingKMResult(const ProcessingKMResult& result) {
    tinyxml2::XMLDocument document;
    XMLElement& element = Single(document, "ProcessingKMResult");
    element.SetAttribute("GUID", result.GUID.c_str());
    element.SetAttribute("Result", Flag(result.Result));
    element.SetAttribute("ResultCode", FormatUnsigned(result.ResultCode).c_str());
    element.SetAttribute("HandleCode", FormatUnsigned(result.HandleCode).c_str());
    if (result.StatusInfo) {
        element.SetAttribute("StatusInfo", FormatUnsigned(*result.StatusInfo).c_str());
    }
    return PrintXml(document);
}

}  // namespace zarvik
