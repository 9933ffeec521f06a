// Plain values in and out of the platform's tVariant.
#pragma once

#include <cstdint>
#include <optional>

#include "component/native_api.h"

namespace zarvik {

void SetBool(tVariant& out, bool value);
void SetI4(tVariant& out, int32_t value);
void SetUI4(tVariant& out, uint32_t value);

// A finite amount from VTYPE_I4 or VTYPE_R8; nothing for any other type.
std::optional<double> ReadAmount(const tVariant& value);

// A 32-bit integer (its bits kept, so -1 reads as 4294967295) from the
// integer types, or from a double that holds a whole number in range.
std::optional<uint32_t> ReadInteger32(const tVariant& value);

}  // namespace zarvik
