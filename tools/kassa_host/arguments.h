// The in-parameters of a call as written on the command line.
#pragma once

#include <string>
#include <vector>

#include "platform_host.h"

namespace kassa_host {

struct Argument {
    zarvik::host::Param param;
    bool out = false;   // printed after the call whatever happened to it
    std::string shown;  // how the transcript names it
};

// One argument: empty, out, str:TEXT, @FILE, int:N, uint:N, double:X,
// bool:true|false, or any other text as a string. False with `error` set
// when the argument cannot be taken.
bool ParseArgument(const std::string& text, Argument& out, std::string& error);

// A file's bytes as UTF-8 text; a leading byte-order mark is dropped.
bool ReadTextFile(const std::string& path, std::string& out);

// How a value reads in the transcript: the text itself for strings, the type
// and the number otherwise.
std::string Describe(const zarvik::host::Value& value);

}  // namespace kassa_host
