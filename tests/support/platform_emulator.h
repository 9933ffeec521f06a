// Test support that plays the 1C platform: loads the built component from its
// path, resolves the four exports by name, hands the component a recording
// connection and a counting memory manager, and calls methods by name through
// FindMethod and CallAsFunc exactly as the platform does.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform_host.h"

namespace zarvik::test {

// The platform's objects, values and text helpers live in the shared host
// library (tools/host), which kassa-host uses as well.
using host::CallOutcome;
using host::ErrorReport;
using host::FromPlatform;
using host::Param;
using host::ToU16;
using host::ToU8;
using host::Value;

using LoadedLibrary = host::Library;

// The component under test, created, initialised and destroyed like the platform does.
class EmulatedComponent : public host::HostedComponent {
  public:
    using HostedComponent::HostedComponent;

    // Calls by name; a name the component does not know fails the test.
    CallOutcome Call(const std::string& method, const std::vector<Param>& params);

    // SetParameter of ServerHost, ServerPort and PosId in one go.
    void Connect(const std::string& host, int32_t port, const std::string& posId = "POS-1");
};

// The built component, loaded once for the process; a library that fails to
// load aborts the tests.
LoadedLibrary& Component();

// Points the per-user data folder (and so the exchange log) at a fresh folder
// for the current test; returns the log file's path.
std::string UseFreshLogFolder();
std::string ReadFile(const std::string& path);
// The log as a text-mode reader sees it: on Windows CR LF reads as LF, so
// expectations about log lines hold on both systems.
std::string ReadLogText(const std::string& path);

#if defined(_WIN32)
// Points the current user's local application data folder (UTF-8 path) at
// another folder, for this test process; the original returns at exit.
void RedirectLocalAppData(const std::string& folder);
#endif

}  // namespace zarvik::test
