// The 29 methods the component offers the 1C language, each under an English
// and a Russian name, and how many parameters each must be called with.
#pragma once

#include <string>

namespace zarvik {

enum class CountCheck {
    None,          // parameters are not touched; any count will do
    NonZero,       // at least one parameter, and the array present
    Exactly,       // exactly `params`, and the array present
    SetParameter,  // exactly 2, the first a string
};

struct MethodRow {
    const char16_t* english;
    const char16_t* russian;
    long params;
    CountCheck check;
};

enum MethodIndex : long {
    kGetInterfaceRevision,
    kGetDescription,
    kGetLastError,
    kGetParameters,
    kSetParameter,
    kOpen,
    kClose,
    kDeviceTest,
    kGetAdditionalActions,
    kDoAdditionalAction,
    kGetDataKKT,
    kOperationFN,
    kOpenShift,
    kCloseShift,
    kProcessCheck,
    kProcessCorrectionCheck,
    kPrintTextDocument,
    kCashInOutcome,
    kPrintXReport,
    kPrintCheckCopy,
    kGetCurrentStatus,
    kReportCurrentStatusOfSettlements,
    kOpenCashDrawer,
    kGetLineLength,
    kOpenSessionRegistrationKM,
    kCloseSessionRegistrationKM,
    kRequestKM,
    kGetProcessingKMResult,
    kConfirmKM,
    kMethodCount
};

extern const MethodRow kMethods[kMethodCount];

// Exact, case-sensitive; English names first, then Russian; -1 when unknown.
long FindMethodIndex(const std::u16string& name);

// Whether a call of `method` with these parameters may run at all.
bool PassesCountCheck(long method, const void* params, long count, bool firstIsString);

}  // namespace zarvik
