// INFO.XML, the descriptor the equipment library of 1C configurations reads
// when a driver is added from its ZIP: written from the driver's own
// identity, and checked against what the built library itself says.
#pragma once

#include <functional>
#include <string>

namespace package {

// Writes INFO.XML (UTF-8, with its declaration); false when it cannot.
bool WriteInfoXml(const std::string& path);

// Checks INFO.XML: well-formed, one drivers/component with progid, type, name
// and version, the progid "AddIn." and the extension name the library
// registers, name and version those of its GetDescription.
void CheckInfoXml(const std::string& path, const std::string& linuxLibrary,
                  const std::function<void(bool, const std::string&)>& check);

}  // namespace package
