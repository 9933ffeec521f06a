#include "component/variant.h"

#include <cmath>

namespace zarvik {

void SetBool(tVariant& out, bool value) {
    out.vt = VTYPE_BOOL;
    out.bVal = value;
}

void SetI4(tVariant& out, int32_t value) {
    out.vt = VTYPE_I4;
    out.lVal = value;
}

void SetUI4(tVariant& out, uint32_t value) {
    out.vt = VTYPE_UI4;
    out.ulVal = value;
}

std::optional<double> ReadAmount(const tVariant& value) {
    if (value.vt == VTYPE_I4) return static_cast<double>(value.lVal);
    if (value.vt == VTYPE_R8 && std::isfinite(value.dblVal)) return value.dblVal;
    return std::nullopt;
}

std::optional<uint32_t> ReadInteger32(const tVariant& value) {
    switch (value.vt) {
        case VTYPE_I4:
            return static_cast<uint32_t>(value.lVal);
        case VTYPE_UI4:
            return value.ulVal;
        case VTYPE_R8:
            if (std::isfinite(value.dblVal) && value.dblVal == std::trunc(value.dblVal) &&
                value.dblVal >= -2147483648.0 && value.dblVal <= 4294967295.0) {
                return value.dblVal < 0 ? static_cast<uint32_t>(static_cast<int32_t>(value.dblVal))
                                        : static_cast<uint32_t>(value.dblVal);
            }
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

}  // namespace zarvik
