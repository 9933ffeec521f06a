// The output-parameters document that the shift and status operations hand
// back to the platform: shift state, counters, backlog and fiscal-storage flags.
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
// fields are left out of the document.
struct OutputParameters {
    std::optional<int32_t> ShiftNumber;
    std::optional<int32_t> CheckNumber;
    std::optional<std::string> DateTime;
    int32_t ShiftState = 0;
    // Operation types 1 to 4, always set together.
    std::optional<std::array<OperationCounters, 4>> Counters;
    std::optional<double> CashBalance;
    std::optional<int32_t> BacklogDocumentsCounter;
    std::optional<int32_t> BacklogDocumentFirstNumber;
    std::optional<std::string> BacklogDocumentFirstDateTime;
    std::optional<bool> FNError;
    std::optional<bool> FNOverflow;
    std::optional<bool> FNFail;
};

// The printed XML text (UTF-8, indented, no declaration).
std::string WriteOutputParameters(const OutputParameters& record);

}  // namespace zarvik
