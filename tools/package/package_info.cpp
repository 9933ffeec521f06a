// package-info: writes the package's INFO.XML from the driver's identity.
//   package-info OUT.XML
#include <iostream>

#include "info_xml.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: package-info OUT.XML\n";
        return 2;
    }
    if (package::WriteInfoXml(argv[1])) return 0;
    std::cerr << "package-info: cannot write " << argv[1] << "\n";
    return 1;
}
