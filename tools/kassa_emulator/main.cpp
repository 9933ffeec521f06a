// kassa-emulator: a companion application for trying the driver without a
// cash register. See --help.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "emulator.h"
#include "listener.h"
#include "utf8_arguments.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

std::atomic<bool> g_stop{false};

#if defined(_WIN32)
BOOL WINAPI OnConsoleEvent(DWORD) {
    g_stop = true;
    return TRUE;
}
#else
void OnSignal(int) { g_stop = true; }
#endif

void InstallStopHandlers() {
#if defined(_WIN32)
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
    SetConsoleOutputCP(CP_UTF8);
#else
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
#endif
}

const char kUsage[] =
    "Usage: kassa-emulator [options]\n"
    "A companion application that answers the driver's JSON-RPC requests with an\n"
    "emulated cash register (shift, receipts, cash drawer, marking codes).\n"
    "\n"
    "  --host ADDR          listen on this IPv4 address (default 127.0.0.1)\n"
    "  --port N             listen on this port (default 3333; 0 takes a free one)\n"
    "  --port-file FILE     write the port listened on to FILE once listening\n"
    "  --fail METHOD[=MSG]  answer METHOD with an error (repeatable)\n"
    "  --ofd-lag N          documents the OFD has not acknowledged yet (default 2)\n"
    "  --max-requests N     stop after answering N requests\n"
    "  --verbose, -v        print every request and answer\n"
    "  --quiet, -q          print nothing per request\n"
    "  --help               this text\n"
    "Stop it with Ctrl+C.\n";

struct Options {
    std::string host = "127.0.0.1";
    long port = 3333;
    std::string portFile;
    bool verbose = false;
    bool quiet = false;
    long ofdLag = 2;
    long maxRequests = 0;  // 0: no limit
};

bool ParseNumber(const std::string& text, long& out, long low, long high) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != 0 || value < low || value > high) return false;
    out = value;
    return true;
}

std::string Clock() {
    const std::time_t now = std::time(nullptr);
    return kassa::FormatDateTime(now).substr(11);
}

}  // namespace

int main(int rawArgc, char** rawArgv) {
    const std::vector<std::string> argv = tools::Utf8Arguments(rawArgc, rawArgv);
    const int argc = static_cast<int>(argv.size());
    Options options;
    kassa::Emulator emulator;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string text;
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (arg == "--verbose" || arg == "-v") {
            options.verbose = true;
        } else if (arg == "--quiet" || arg == "-q") {
            options.quiet = true;
        } else if (arg == "--host" && value(options.host)) {
        } else if (arg == "--port" && value(text) && ParseNumber(text, options.port, 0, 65535)) {
        } else if (arg == "--port-file" && value(options.portFile)) {
        } else if (arg == "--ofd-lag" && value(text) &&
                   ParseNumber(text, options.ofdLag, 0, 1000000)) {
        } else if (arg == "--max-requests" && value(text) &&
                   ParseNumber(text, options.maxRequests, 1, 1000000000)) {
        } else if (arg == "--fail" && value(text)) {
            const size_t equals = text.find('=');
            const std::string method = text.substr(0, equals);
            if (!kassa::Emulator::knowsMethod(method)) {
                std::cerr << "kassa-emulator: --fail: unknown method " << method << "\n";
                return 2;
            }
            emulator.forceError(
                method, equals == std::string::npos
                            ? "Ошибка, заданная при запуске эмулятора (--fail " + method + ")"
                            : text.substr(equals + 1));
        } else {
            std::cerr << "kassa-emulator: bad argument " << arg << "\n" << kUsage;
            return 2;
        }
    }
    emulator.kassa().setOfdLag(static_cast<size_t>(options.ofdLag));

    InstallStopHandlers();
    kassa::Listener listener;
    std::string error;
    if (!listener.open(options.host, static_cast<uint16_t>(options.port), error)) {
        std::cerr << "kassa-emulator: " << error << "\n";
        return 1;
    }
    if (!options.portFile.empty()) {
        std::ofstream(options.portFile) << listener.port() << "\n";
    }
    std::cout << "kassa-emulator: listening on " << options.host << ":" << listener.port()
              << " (Ctrl+C stops)" << std::endl;

    kassa::Listener::Handlers handlers;
    const auto report = [&options](const std::string& line, const kassa::Exchange& exchange) {
        if (options.quiet) return;
        std::cout << Clock() << " " << (exchange.method.empty() ? "?" : exchange.method);
        if (exchange.refused) {
            std::cout << " -> error: " << exchange.message;
        } else {
            std::cout << " -> ok";
        }
        std::cout << "\n";
        if (options.verbose) {
            std::cout << "  request: " << line << "\n  answer:  " << exchange.answer << "\n";
        }
        std::cout.flush();
    };
    long answered = 0;
    const auto countOne = [&options, &answered] {
        if (options.maxRequests > 0 && ++answered >= options.maxRequests) g_stop = true;
    };
    handlers.request = [&](const std::string& line) {
        const kassa::Exchange exchange = emulator.handle(line);
        report(line, exchange);
        countOne();
        return exchange.answer;
    };
    handlers.malformed = [&](const std::string& problem) {
        const kassa::Exchange exchange = emulator.reject(problem);
        report("", exchange);
        countOne();
        return exchange.answer;
    };
    handlers.note = [&options](const std::string& note) {
        if (!options.quiet) std::cout << Clock() << " " << note << std::endl;
    };
    listener.serve(handlers, g_stop);
    std::cout << "kassa-emulator: stopped" << std::endl;
    return 0;
}
