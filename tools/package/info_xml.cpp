#include "info_xml.h"

#include <tinyxml2.h>

#include <cstdlib>

#include "driver/identity.h"
#include "platform_host.h"

namespace package {

namespace {

const char* const kAttributes[] = {"progid", "type", "name", "version"};

std::string Attribute(const tinyxml2::XMLElement* element, const char* name) {
    const char* value = element != nullptr ? element->Attribute(name) : nullptr;
    return value != nullptr ? value : "";
}

}  // namespace

bool WriteInfoXml(const std::string& path) {
    tinyxml2::XMLDocument document;
    document.InsertFirstChild(document.NewDeclaration());
    tinyxml2::XMLElement* component = document.InsertEndChild(document.NewElement("drivers"))
                                          ->ToElement()
                                          ->InsertNewChildElement("component");
    component->SetAttribute("progid", (std::string("AddIn.") + zarvik::kExtensionName).c_str());
    component->SetAttribute("type", zarvik::kEquipmentType);
    component->SetAttribute("name", zarvik::kDriverName);
    component->SetAttribute("version", zarvik::kDriverVersion);
    return document.SaveFile(path.c_str()) == tinyxml2::XML_SUCCESS;
}

void CheckInfoXml(const std::string& path, const std::string& linuxLibrary,
                  const std::function<void(bool, const std::string&)>& check) {
    tinyxml2::XMLDocument info;
    if (info.LoadFile(path.c_str()) != tinyxml2::XML_SUCCESS) {
        check(false, "INFO.XML parses");
        return;
    }
    const tinyxml2::XMLElement* drivers = info.RootElement();
    const tinyxml2::XMLElement* component =
        drivers != nullptr ? drivers->FirstChildElement() : nullptr;
    check(std::string(drivers != nullptr ? drivers->Name() : "") == "drivers" &&
              component != nullptr && std::string(component->Name()) == "component" &&
              component->NextSiblingElement() == nullptr,
          "INFO.XML holds drivers with one component");
    for (const char* name : kAttributes) {
        check(!Attribute(component, name).empty(), std::string("INFO.XML gives the ") + name);
    }
    const std::string type = Attribute(component, "type");
    check(type == "ККТ" || type == "KKT", "INFO.XML's type is the fiscal register's: " + type);

    // What the library says of itself; its log goes to a scratch folder.
    setenv("XDG_DATA_HOME", (path + ".data").c_str(), 1);
    zarvik::host::Library library(linuxLibrary);
    zarvik::host::HostedComponent hosted(library);
    if (!hosted.created()) {
        check(false, "INFO.XML: the library makes a component to compare with");
        return;
    }
    WCHAR_T* extension = nullptr;
    hosted.extender()->RegisterExtensionAs(&extension);
    const std::string registered = zarvik::host::ToU8(zarvik::host::FromPlatform(extension));
    void* block = extension;
    hosted.memory.FreeMemory(&block);
    const zarvik::host::CallOutcome described =
        hosted.CallIndex(hosted.FindMethod("GetDescription"), {zarvik::host::Param::Empty()});
    tinyxml2::XMLDocument description;
    description.Parse(described.params.at(0).text.c_str());
    const tinyxml2::XMLElement* driver = description.RootElement();
    check(Attribute(component, "progid") == "AddIn." + registered,
          "INFO.XML's progid is AddIn. and the extension name the library registers (" +
              registered + ")");
    check(Attribute(component, "version") == Attribute(driver, "DriverVersion"),
          "INFO.XML's version is the library's DriverVersion (" +
              Attribute(driver, "DriverVersion") + ")");
    check(Attribute(component, "name") == Attribute(driver, "Name"),
          "INFO.XML's name is the library's Name");
}

}  // namespace package
