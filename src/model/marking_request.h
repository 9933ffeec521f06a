// The marking-code check records: the platform's request of one code, and the
// companion application's verdict and processing result written back as XML.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/goods_code.h"
#include "model/xml_input.h"

namespace zarvik {

struct RequestKM {
    std::string GUID;
    bool WaitForResult = false;  // set by the attribute's presence, whatever its text
    std::string MarkingCode;     // passed on exactly as it arrives
    int32_t PlannedStatus = 0;
    double Quantity = 0.0;
    std::optional<std::string> MeasureOfQuantity;  // text here, unlike a receipt position
    std::optional<FractionalQuantity> Fraction;
};

// The root element's attributes and its first `FractionalQuantity` child.
// Text that does not parse or has no root, a missing "GUID" or "MarkingCode",
// or a "Quantity" that is no finite number, is code 8.
RequestKM ParseRequestKM(std::string xml);

// The compact JSON text the companion's "RequestKM" takes.
std::string RequestKMText(const RequestKM& request);

struct RequestKMResult {
    bool Checking = false;
    bool CheckingResult = false;
};

struct ProcessingKMResult {
    std::string GUID;
    bool Result = false;
    uint32_t ResultCode = 0;
    std::optional<uint32_t> StatusInfo;
    uint32_t HandleCode = 0;
};

}  // namespace zarvik
