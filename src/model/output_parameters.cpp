#include "model/output_parameters.h"

#include <tinyxml2.h>

#include "core/numbers.h"

namespace zarvik {

namespace {

using tinyxml2::XMLElement;

// The platform reads these numbers as unsigned: -1 shows as 4294967295.
void SetUnsigned(XMLElement& element, const char* name, const std::optional<int32_t>& value) {
    if (value) element.SetAttribute(name, FormatUnsigned(static_cast<uint32_t>(*value)).c_str());
}

void SetText(XMLElement& element, const char* name, const std::optional<std::string>& value) {
    if (value) element.SetAttribute(name, value->c_str());
}

void SetDouble(XMLElement& element, const char* name, const std::optional<double>& value) {
    if (value) element.SetAttribute(name, FormatDouble(*value).c_str());
}

void SetBool(XMLElement& element, const char* name, const std::optional<bool>& value) {
    if (value) element.SetAttribute(name, *value ? "true" : "false");
}

void WriteCounters(XMLElement& element, const OperationCounters& counters) {
    element.SetAttribute("CheckCount", FormatInt(counters.CheckCount).c_str());
    element.SetAttribute("TotalChecksAmount", FormatDouble(counters.TotalChecksAmount).c_str());
    element.SetAttribute("CorrectionCheckCount", FormatInt(counters.CorrectionCheckCount).c_str());
    element.SetAttribute("TotalCorrectionChecksAmount",
                         FormatDouble(counters.TotalCorrectionChecksAmount).c_str());
}

}  // namespace

std::string WriteOutputParameters(const OutputParameters& record) {
    tinyxml2::XMLDocument document;
    XMLElement* root = document.NewElement("outputParameters");
    document.InsertEndChild(root);
    XMLElement* parameters = document.NewElement("Parameters");
    root->InsertEndChild(parameters);

    SetUnsigned(*parameters, "ShiftState", record.ShiftState);
    SetUnsigned(*parameters, "ShiftNumber", record.ShiftNumber);
    SetUnsigned(*parameters, "CheckNumber", record.CheckNumber);
    SetText(*parameters, "DateTime", record.DateTime);
    SetDouble(*parameters, "CashBalance", record.CashBalance);
    SetUnsigned(*parameters, "BacklogDocumentsCounter", record.BacklogDocumentsCounter);
    SetUnsigned(*parameters, "BacklogDocumentFirstNumber", record.BacklogDocumentFirstNumber);
    SetText(*parameters, "BacklogDocumentFirstDateTime", record.BacklogDocumentFirstDateTime);
    SetBool(*parameters, "FNError", record.FNError);
    SetBool(*parameters, "FNOverflow", record.FNOverflow);
    SetBool(*parameters, "FNFail", record.FNFail);

    if (record.Counters) {
        static const char* const kNames[] = {"CountersOperationType1", "CountersOperationType2",
                                             "CountersOperationType3", "CountersOperationType4"};
        for (size_t type = 0; type < record.Counters->size(); ++type) {
            XMLElement* counters = document.NewElement(kNames[type]);
            parameters->InsertEndChild(counters);
            WriteCounters(*counters, (*record.Counters)[type]);
        }
    }

    tinyxml2::XMLPrinter printer;
    document.Print(&printer);
    return printer.CStr();
}

}  // namespace zarvik
