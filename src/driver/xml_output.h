// Output documents are printed the one way the platform has always received
// them: tinyxml2's default, indented printer.
#pragma once

#include <tinyxml2.h>

#include <string>

namespace zarvik {

inline std::string PrintXml(const tinyxml2::XMLDocument& document) {
    tinyxml2::XMLPrinter printer;
    document.Print(&printer);
    return std::string(printer.CStr(), static_cast<size_t>(printer.CStrSize() - 1));
}

}  // namespace zarvik
