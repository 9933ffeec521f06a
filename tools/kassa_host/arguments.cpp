#include "arguments.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>

namespace kassa_host {

namespace {

using zarvik::host::Param;
using zarvik::host::Value;

bool StartsWith(const std::string& text, const char* prefix, std::string& rest) {
    const std::string p(prefix);
    if (text.compare(0, p.size(), p) != 0) return false;
    rest = text.substr(p.size());
    return true;
}

bool ParseLong(const std::string& text, long long low, long long high, long long& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (*end != 0 || errno != 0 || value < low || value > high) return false;
    out = value;
    return true;
}

// Decimal point only, whatever the C locale says.
bool ParseDouble(const std::string& text, double& out) {
    std::istringstream stream(text);
    stream.imbue(std::locale::classic());
    stream >> out;
    return !text.empty() && stream && stream.peek() == std::char_traits<char>::eof();
}

std::string FormatDouble(double value) {
    std::ostringstream stream;
    stream.imbue(std::locale::classic());
    stream.precision(17);
    stream << value;
    return stream.str();
}

}  // namespace

bool ReadTextFile(const std::string& path, std::string& out) {
#if defined(_WIN32)
    const std::u16string wide = zarvik::host::ToU16(path);
    std::ifstream file(reinterpret_cast<const wchar_t*>(wide.c_str()), std::ios::binary);
#else
    std::ifstream file(path, std::ios::binary);
#endif
    if (!file) return false;
    std::ostringstream content;
    content << file.rdbuf();
    out = content.str();
    if (out.compare(0, 3, "\xEF\xBB\xBF") == 0) out.erase(0, 3);
    return true;
}

bool ParseArgument(const std::string& text, Argument& out, std::string& error) {
    std::string rest;
    long long number = 0;
    out = Argument{};
    out.shown = text;
    if (text == "empty") {
        out.param = Param::Empty();
    } else if (text == "out") {
        out.param = Param::Empty();
        out.out = true;
    } else if (StartsWith(text, "str:", rest)) {
        out.param = Param::Str(rest);
    } else if (StartsWith(text, "@", rest)) {
        std::string content;
        if (!ReadTextFile(rest, content)) {
            error = "cannot read " + rest;
            return false;
        }
        out.param = Param::Str(content);
        out.shown = text + " (" + std::to_string(content.size()) + " bytes)";
    } else if (StartsWith(text, "int:", rest)) {
        if (!ParseLong(rest, std::numeric_limits<int32_t>::min(),
                       std::numeric_limits<int32_t>::max(), number)) {
            error = "not a 32-bit integer: " + text;
            return false;
        }
        out.param = Param::I4(static_cast<int32_t>(number));
    } else if (StartsWith(text, "uint:", rest)) {
        if (!ParseLong(rest, 0, std::numeric_limits<uint32_t>::max(), number)) {
            error = "not an unsigned 32-bit integer: " + text;
            return false;
        }
        out.param = Param::UI4(static_cast<uint32_t>(number));
    } else if (StartsWith(text, "double:", rest)) {
        double value = 0.0;
        if (!ParseDouble(rest, value)) {
            error = "not a number (use a decimal point): " + text;
            return false;
        }
        out.param = Param::R8(value);
    } else if (StartsWith(text, "bool:", rest)) {
        if (rest != "true" && rest != "false") {
            error = "bool: takes true or false: " + text;
            return false;
        }
        out.param = Param::Bool(rest == "true");
    } else {
        out.param = Param::Str(text);
    }
    return true;
}

std::string Describe(const Value& value) {
    switch (value.vt) {
        case VTYPE_EMPTY:
            return "(empty)";
        case VTYPE_PWSTR:
            return value.nullPointer ? "(string without memory)" : value.text;
        case VTYPE_I4:
            return "int " + std::to_string(value.i4);
        case VTYPE_UI4:
            return "uint " + std::to_string(value.ui4);
        case VTYPE_R8:
            return "double " + FormatDouble(value.r8);
        case VTYPE_BOOL:
            return value.flag ? "true" : "false";
        default:
            return "(type " + std::to_string(value.vt) + ")";
    }
}

}  // namespace kassa_host
