// package-check: proves a 1C package sound before it ships. Reads the ZIP's
// directory, parses MANIFEST.XML, and checks that every library it names is
// in the archive and exports the four entry points: the Linux library by
// loading it, the Windows DLL by reading its export table. INFO.XML is
// checked against what the Linux library says of itself.
//   package-check PACKAGE.zip EXTRACTED_FOLDER
#include <dlfcn.h>
#include <tinyxml2.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "info_xml.h"
#include "pe_exports.h"
#include "zip_directory.h"

namespace {

const char kNamespace[] = "http://v8.1c.ru/8.2/addin/bundle";
const std::vector<std::string> kEntryPoints = {"DestroyObject", "GetClassNames", "GetClassObject",
                                               "SetPlatformCapabilities"};

int g_failures = 0;

void Check(bool ok, const std::string& what) {
    std::cout << (ok ? "ok   " : "FAIL ") << what << "\n";
    if (!ok) ++g_failures;
}

bool ReadBytes(const std::string& path, std::string& out) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::ostringstream content;
    content << file.rdbuf();
    out = content.str();
    return true;
}

std::string Attribute(const tinyxml2::XMLElement& element, const char* name) {
    const char* value = element.Attribute(name);
    return value != nullptr ? value : "";
}

void CheckLinuxLibrary(const std::string& path, const std::string& name) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    const char* why = handle == nullptr ? dlerror() : nullptr;
    Check(handle != nullptr,
          name + " loads with dlopen" + (why != nullptr ? std::string(": ") + why : ""));
    if (handle == nullptr) return;
    for (const std::string& entry : kEntryPoints) {
        Check(dlsym(handle, entry.c_str()) != nullptr, name + " exports " + entry);
    }
    dlclose(handle);
}

void CheckWindowsLibrary(const std::string& path, const std::string& name) {
    std::string bytes, error;
    package::PeExports exports;
    if (!ReadBytes(path, bytes) || !package::ReadPeExports(bytes, exports, error)) {
        Check(false, name + " is a PE image with an export table");
        return;
    }
    Check(exports.x64, name + " is an x64 image");
    std::vector<std::string> names = exports.names;
    std::sort(names.begin(), names.end());
    std::string listed;
    for (const std::string& exported : names) listed += " " + exported;
    Check(names == kEntryPoints, name + " exports exactly the four entry points:" + listed);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: package-check PACKAGE.zip EXTRACTED_FOLDER\n";
        return 2;
    }
    const std::string zipPath = argv[1];
    const std::string folder = std::string(argv[2]) + "/";

    std::string bytes, error;
    std::vector<package::ZipEntry> entries;
    if (!ReadBytes(zipPath, bytes) || !package::ReadZipDirectory(bytes, entries, error)) {
        std::cout << "FAIL " << zipPath << " is no ZIP archive: " << error << "\n";
        return 1;
    }
    std::set<std::string> names;
    for (const package::ZipEntry& entry : entries) {
        names.insert(entry.name);
        Check(entry.name.find_first_of("/\\") == std::string::npos,
              entry.name + " sits at the root of the archive");
        Check(entry.method == 8, entry.name + " is deflated");
    }
    Check(names.count("MANIFEST.XML") == 1, "MANIFEST.XML is in the archive");

    tinyxml2::XMLDocument manifest;
    if (manifest.LoadFile((folder + "MANIFEST.XML").c_str()) != tinyxml2::XML_SUCCESS) {
        Check(false, "MANIFEST.XML parses");
        return 1;
    }
    const tinyxml2::XMLDeclaration* declaration =
        manifest.FirstChild() != nullptr ? manifest.FirstChild()->ToDeclaration() : nullptr;
    Check(declaration != nullptr &&
              std::string(declaration->Value()).find("encoding=\"UTF-8\"") != std::string::npos,
          "MANIFEST.XML starts with an XML declaration of UTF-8");
    const tinyxml2::XMLElement* bundle = manifest.RootElement();
    Check(bundle != nullptr && std::string(bundle->Name()) == "bundle", "the root is bundle");
    if (bundle == nullptr) return 1;
    Check(Attribute(*bundle, "xmlns") == kNamespace, std::string("its namespace is ") + kNamespace);

    std::multiset<std::string> systems;
    std::string linuxLibrary;
    for (const tinyxml2::XMLElement* component = bundle->FirstChildElement(); component != nullptr;
         component = component->NextSiblingElement()) {
        const std::string os = Attribute(*component, "os");
        const std::string path = Attribute(*component, "path");
        const std::string label = "component " + path + " (" + os + ")";
        Check(std::string(component->Name()) == "component", label + " is a component element");
        Check(Attribute(*component, "type") == "native", label + " is of type native");
        Check(Attribute(*component, "arch") == "x86_64", label + " is for x86_64");
        Check(!path.empty() && names.count(path) == 1, label + " is in the archive");
        systems.insert(os);
        if (os == "Linux") {
            CheckLinuxLibrary(folder + path, path);
            linuxLibrary = folder + path;
        } else if (os == "Windows") {
            CheckWindowsLibrary(folder + path, path);
        } else {
            Check(false, label + " names a system we ship");
        }
    }
    Check(names.erase("INFO.XML") == 1, "INFO.XML is in the archive");
    package::CheckInfoXml(folder + "INFO.XML", linuxLibrary, Check);
    Check(systems.count("Windows") == 1 && systems.count("Linux") == 1,
          "one component for Windows and one for Linux");
    Check(names.size() == systems.size() + 1,
          "nothing in the archive but the manifest and the "
          "libraries it names");
    std::cout << (g_failures == 0 ? "the 1C package is sound\n" : "the 1C package is NOT sound\n");
    return g_failures == 0 ? 0 : 1;
}
