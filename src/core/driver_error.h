// The one exception every driver layer throws for a failure the platform must
// hear about, and the codes with the Russian texts the cashier sees.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

namespace zarvik {

enum class DriverErrorCode : int32_t {
    ConnectionError = 1,
    ResolveHostnameError = 2,
    ResponseEmptyError = 3,
    ResponseParseError = 4,
    ResponseContainError = 5,
    MissingParameterError = 6,
    OtherError = 7,
    InputDataError = 8,
};

class ZarvikKassaErrorException : public std::exception {
  public:
    ZarvikKassaErrorException(DriverErrorCode code, std::string message)
        : message(std::move(message)), code(code) {}

    std::string message;  // UTF-8
    DriverErrorCode code;
};

// Code 8: the platform handed us something we cannot act on. The detail names
// what is wrong, in Russian, for example "отсутствует элемент Parameters".
ZarvikKassaErrorException InputDataError(const std::string& detail);

// Code 7 with a description of what happened, for failures that are not ours
// to classify (memory exhaustion, a missing log folder).
ZarvikKassaErrorException OtherError(const std::string& what);

// One report as the platform's AddError receives it.
struct PlatformReport {
    int32_t code;
    std::string description;  // UTF-8
};

// The reports a caught exception becomes, in the order they are made.
std::vector<PlatformReport> PlatformReportsFor(const ZarvikKassaErrorException& error);

extern const char* const kErrorSource;  // "ZARVIK Duzar"

}  // namespace zarvik
