// Shared helpers of the check package tests: the example packages under
// tests/data and short ways to see what one part of a package is sent as.
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

// The text as a JSON string literal, by RapidJSON's own writer.
inline std::string Quoted(const std::string& text) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    writer.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
    return buffer.GetString();
}

// A package around the given Parameters attributes, positions and payments.
inline std::string Package(const std::string& parameters, const std::string& positions,
                           const std::string& payments = "<Payments/>") {
    return "<CheckPackage><Parameters CashierName=\"К\"" + parameters + "</Parameters><Positions>" +
           positions + "</Positions>" + payments + "</CheckPackage>";
}

inline const char* const kPosition = R"(<FiscalString Name="A" VATRate="20"/>)";

// The JSON text of one member of the check document: "Parameters",
// "Payments", or a position list such as "FiscalString".
inline std::string Sent(const std::string& package, const char* member) {
    rapidjson::Document document;
    document.Parse(CheckDocumentText(ParseCheckPackage(package)).c_str());
    if (document.HasMember(member)) return Compact(document[member]);
    return Compact(document["Positions"][member]);
}

}  // namespace zarvik::check_test
