// The documents handed back to the platform, all printed the one way it has
// always received them: tinyxml2's default printer, indented, with no
// declaration unless the document makes one. Numbers the platform reads as
// unsigned are printed as "%u", so -1 shows as 4294967295.
#pragma once

#include <tinyxml2.h>

#include <string>

#include "model/data_kkt.h"
#include "model/marking_request.h"
#include "model/output_parameters.h"

namespace zarvik {

std::string PrintXml(const tinyxml2::XMLDocument& document);

// <outputParameters><Parameters .../></outputParameters>; absent fields are
// left out, the four counters are child elements of Parameters.
std::string WriteOutputParameters(const OutputParameters& record);
// <DocumentOutputParameters><Parameters .../></DocumentOutputParameters>.
std::string WriteDocumentOutputParameters(const DocumentOutputParameters& output);
// <Parameters .../> with the 30 attributes of the device parameter table.
std::string WriteDataKKTXml(const DataKKT& record);
// One element each; StatusInfo only when present.
std::string WriteRequestKMResult(const RequestKMResult& result);
std::string WriteProcessingKMResult(const ProcessingKMResult& result);

}  // namespace zarvik
