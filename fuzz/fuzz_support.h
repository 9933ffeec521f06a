// Shared by the fuzz programs: what counts as a finding, and a log that
// never fills the disk during hours of fuzzing.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/driver_error.h"

namespace zarvik::fuzz {

// A finding: libFuzzer keeps the input that got here.
[[noreturn]] inline void Fail(const std::string& what) {
    std::fprintf(stderr, "FUZZ FINDING: %s\n", what.c_str());
    std::abort();
}

inline void Expect(bool condition, const char* what) {
    if (!condition) Fail(what);
}

// Bad input from the platform may only ever be refused as input data.
inline void ExpectInputRefusal(const ZarvikKassaErrorException& error) {
    if (error.code != DriverErrorCode::InputDataError) {
        Fail("input refused with code " + std::to_string(static_cast<int>(error.code)) + ": " +
             error.message);
    }
    Expect(!error.message.empty(), "input refusal without a message");
}

// Points the per-user data folder at a fresh folder whose exchange log is
// /dev/null; components made afterwards log nowhere.
void UseNullLog();

}  // namespace zarvik::fuzz
