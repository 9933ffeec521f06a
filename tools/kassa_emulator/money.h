// Amounts in roubles as doubles on the wire, compared and kept in whole
// kopecks so that sums of many positions never drift.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

namespace kassa {

inline int64_t Kopecks(double roubles) { return std::llround(roubles * 100.0); }

inline double RoundMoney(double roubles) { return static_cast<double>(Kopecks(roubles)) / 100.0; }

// 1234.5 -> "1234.50"; built from integers so that no locale touches it.
inline std::string FormatMoney(double roubles) {
    const int64_t kopecks = Kopecks(roubles);
    const uint64_t magnitude = static_cast<uint64_t>(kopecks < 0 ? -kopecks : kopecks);
    const uint64_t fraction = magnitude % 100;
    return std::string(kopecks < 0 ? "-" : "") + std::to_string(magnitude / 100) + "." +
           (fraction < 10 ? "0" : "") + std::to_string(fraction);
}

}  // namespace kassa
