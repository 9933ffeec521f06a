// kassa-host: plays the 1C platform for the driver library, so that a till's
// call can be replayed outside 1C. See --help.
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "arguments.h"
#include "commands.h"
#include "utf8_arguments.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

const char kUsage[] =
    "Usage:\n"
    "  kassa-host --lib PATH describe\n"
    "  kassa-host --lib PATH [--host H] [--port N] [--pos ID] call METHOD [ARG...]\n"
    "\n"
    "Loads the driver library as the 1C platform does, sets ServerHost, ServerPort\n"
    "and PosId (defaults 127.0.0.1, 3333, 1), calls METHOD (English or Russian\n"
    "name) and prints the verdict, the out-parameters and every error report.\n"
    "\n"
    "ARG is one parameter of the call, in the platform's order:\n"
    "  empty            an unused parameter (the device identifier, say)\n"
    "  out              an out-parameter; printed after the call\n"
    "  @FILE            a string read from FILE (UTF-8)\n"
    "  str:TEXT         the string TEXT; any other TEXT without a prefix too\n"
    "  int:N  uint:N  double:X  bool:true|false\n"
    "\n"
    "Example:\n"
    "  kassa-host --lib ./libZarvikKassaDriver.so call ProcessCheck empty bool:false \\\n"
    "      @examples/receipt.xml out\n"
    "\n"
    "Exit status: 0 when the method succeeded, 1 when it failed, 2 for bad usage.\n"
    "The library may also be given in the environment variable ZARVIK_COMPONENT.\n";

int Usage(const std::string& problem) {
    std::cerr << "kassa-host: " << problem << "\n\n" << kUsage;
    return 2;
}

}  // namespace

int main(int rawArgc, char** rawArgv) {
    const std::vector<std::string> argv = tools::Utf8Arguments(rawArgc, rawArgv);
    const int argc = static_cast<int>(argv.size());
#if defined(_WIN32)
    SetConsoleOutputCP(CP_UTF8);
#endif
    std::string libraryPath;
    if (const char* fromEnvironment = std::getenv("ZARVIK_COMPONENT")) {
        libraryPath = fromEnvironment;
    }
    kassa_host::Connection connection;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (arg.compare(0, 2, "--") != 0) break;
        if (i + 1 >= argc) return Usage(arg + " needs a value");
        const std::string value = argv[++i];
        if (arg == "--lib") {
            libraryPath = value;
        } else if (arg == "--host") {
            connection.host = value;
        } else if (arg == "--port") {
            char* end = nullptr;
            const long port = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != 0 || port < 0 || port > 65535) {
                return Usage("not a port: " + value);
            }
            connection.port = static_cast<int32_t>(port);
        } else if (arg == "--pos") {
            connection.posId = value;
        } else {
            return Usage("unknown option " + arg);
        }
    }
    if (i >= argc) return Usage("no command");
    if (libraryPath.empty()) return Usage("no library: give --lib PATH");
    const std::string command = argv[i++];

    zarvik::host::Library library(libraryPath);
    if (!library.ok()) {
        std::cerr << "kassa-host: " << library.error() << "\n";
        return 3;
    }
    if (command == "describe") {
        if (i != argc) return Usage("describe takes no arguments");
        return kassa_host::DescribeDriver(library);
    }
    if (command != "call") return Usage("unknown command " + command);
    if (i >= argc) return Usage("call needs a method name");
    const std::string method = argv[i++];
    std::vector<kassa_host::Argument> arguments;
    for (; i < argc; ++i) {
        kassa_host::Argument argument;
        std::string error;
        if (!kassa_host::ParseArgument(argv[i], argument, error)) return Usage(error);
        arguments.push_back(argument);
    }
    return kassa_host::CallMethod(library, connection, method, arguments);
}
