// The register's registration data as the platform's device parameter table
// shows it. The companion application names about half of the fields
// differently; one table row per field holds both names.
#pragma once

#include <array>
#include <string>

namespace zarvik {

// A row of the table: the attribute of the output and the member of the answer.
struct DataKKTField {
    const char* xml;
    const char* json;
    bool flag;  // true/false rather than text
};

// In the order of the attributes of the output and of reading the answer.
extern const std::array<DataKKTField, 30> kDataKKTFields;

// The values in the table's order, flags as "true" or "false".
using DataKKT = std::array<std::string, 30>;

}  // namespace zarvik
