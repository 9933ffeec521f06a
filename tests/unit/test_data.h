// The files under tests/data (for the unit and the integration tests), and the
// tables kept there as text: rows of
//   == <kind> [argument]
//   <input: any number of lines>
//   -> <expected: the rest of this line and the lines up to the next row>
// where each part's lines are joined without a separator (so an indented
// line of XML only adds blanks between its markup) and blank lines and lines
// starting with # are skipped.
#pragma once

#include <rapidjson/document.h>
#include <rapidjson/pointer.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace zarvik::test_data {

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

// The value at a JSON pointer into the text, as compact JSON; "absent" when
// there is none.
inline std::string At(const std::string& text, const std::string& pointer) {
    rapidjson::Document document;
    document.Parse(text.c_str());
    const rapidjson::Value* value = rapidjson::Pointer(pointer.c_str()).Get(document);
    return value == nullptr ? "absent" : Compact(*value);
}

struct Row {
    std::string kind, argument, input, expected;
    std::string where;  // file:line of its "==" line
};

// The lines of a data file that are neither blank nor comments, each with its place.
inline std::vector<std::pair<std::string, std::string>> Lines(const std::string& name) {
    std::istringstream text(DataFile(name));
    std::vector<std::pair<std::string, std::string>> lines;
    int number = 0;
    for (std::string line; std::getline(text, line);) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] != '#')
            lines.push_back({name + ":" + std::to_string(number), line});
    }
    return lines;
}

inline std::vector<Row> Rows(const std::string& name) {
    std::vector<Row> rows;
    std::string* part = nullptr;
    for (const auto& [where, line] : Lines(name)) {
        if (line.rfind("== ", 0) == 0) {
            Row& row = rows.emplace_back();
            std::istringstream(line.substr(3)) >> row.kind >> row.argument;
            row.where = where;
            part = &row.input;
        } else if (line.rfind("->", 0) == 0 && part != nullptr) {
            part = &rows.back().expected;
            *part = line.substr(std::min<size_t>(line.size(), 3));
        } else if (part != nullptr) {
            *part += line;
        }
    }
    return rows;
}

}  // namespace zarvik::test_data
