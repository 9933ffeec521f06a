// Number texts of the platform's XML, independent of the process locale: the
// platform and other components may change the C locale at any time, and a
// fiscal amount must never turn "1500.5" into "1500,5" or scan as 1500.
#pragma once

#include <cstdint>
#include <string>

namespace zarvik {

std::string FormatInt(int32_t value);        // as "%d"
std::string FormatUnsigned(uint32_t value);  // as "%u"; -1 passed as uint32_t shows 4294967295
std::string FormatDouble(double value);      // as "%.17g": 1500 -> 1500, 0.1 -> 0.10000000000000001

// As sscanf "%d": leading blanks, a sign, digits; anything unconvertible is 0.
// Values beyond 32 bits keep their low 32 bits, as the C runtime does.
int32_t ScanInt(const char* text);

// As sscanf "%lf": decimal or hexadecimal, "inf" and "nan" included (callers
// that must refuse them test std::isfinite); anything unconvertible is 0.
double ScanDouble(const char* text);

}  // namespace zarvik
