// Shared by the unit tests of check packages: the example documents under
// tests/data and a value as compact JSON text.
#pragma once

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <fstream>
#include <sstream>
#include <string>

#include "model/check_encoding.h"
#include "model/check_package.h"

namespace zarvik::check_test {

inline std::string DataFile(const std::string& name) {
    std::string here = __FILE__;
    here.resize(here.find_last_of("/\\") + 1);
    std::ifstream in(here + "../data/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::string Compact(const rapidjson::Value& value) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    value.Accept(writer);
    return buffer.GetString();
}

}  // namespace zarvik::check_test
