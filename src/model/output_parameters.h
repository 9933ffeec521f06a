// The output parameters that the shift and status operations hand back to the
// platform (shift state, counters, backlog and fiscal-storage flags), and the
// document output parameters of a registered receipt.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace zarvik {

struct OperationCounters {
    int32_t CheckCount = 0;
    double TotalChecksAmount = 0.0;
    int32_t CorrectionCheckCount = 0;
    double TotalCorrectionChecksAmount = 0.0;
};

// Every field but ShiftState is absent until an operation sets it; absent
// fields are left out of the document. The platform reads the whole numbers
// but the counters as unsigned.
struct OutputParameters {
    std::optional<uint32_t> ShiftNumber;
    std::optional<uint32_t> CheckNumber;
    std::optional<std::string> DateTime;
    uint32_t ShiftState = 0;
    // Operation types 1 to 4, always set together.
    std::optional<std::array<OperationCounters, 4>> Counters;
    std::optional<double> CashBalance;
    std::optional<uint32_t> BacklogDocumentsCounter;
    std::optional<uint32_t> BacklogDocumentFirstNumber;
    std::optional<std::string> BacklogDocumentFirstDateTime;
    std::optional<bool> FNError;
    std::optional<bool> FNOverflow;
    std::optional<bool> FNFail;
};

// What the receipt operations hand back; a member the companion left out
// reads as 0 or empty.
struct DocumentOutputParameters {
    uint32_t ShiftNumber = 0;
    uint32_t CheckNumber = 0;
    uint32_t ShiftClosingCheckNumber = 0;
    std::string AddressSiteInspections;
    std::string FiscalSign;
    std::string DateTime;
};

}  // namespace zarvik
