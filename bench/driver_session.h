// The driver as the platform holds it: the built component loaded from its
// file, one component object initialised like the platform does, its
// settings pointing at the loopback companion, and its exchange log in a
// folder of its own that is removed afterwards.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform_host.h"
#include "test_companion.h"

namespace zarvik::bench {

class DriverSession {
  public:
    DriverSession();  // throws std::runtime_error when the component cannot be set up
    ~DriverSession();
    DriverSession(const DriverSession&) = delete;
    DriverSession& operator=(const DriverSession&) = delete;

    test::TestCompanion& companion() { return companion_; }
    host::HostedComponent& component() { return *component_; }
    long method(const std::string& name);

    // The log grows by the whole receipt twice per call; emptied between
    // runs so that a long session does not fill the disk.
    void truncateLog();

  private:
    std::string folder_;
    test::TestCompanion companion_;
    std::unique_ptr<host::Library> library_;
    std::unique_ptr<host::HostedComponent> component_;
};

// One method call through CallAsFunc with the parameters the platform holds.
// The in-strings are made once, as the platform's own values are; each call
// only gives the driver fresh slots and frees what it wrote into them, so
// the time measured is the component's and not the emulator's.
class PreparedCall {
  public:
    PreparedCall(DriverSession& session, const std::string& method,
                 const std::vector<host::Param>& params);
    // True when CallAsFunc succeeded and the method's verdict is true.
    bool operator()();

  private:
    host::HostedComponent& component_;
    long index_;
    std::vector<std::basic_string<WCHAR_T>> texts_;
    std::vector<tVariant> template_;
    std::vector<tVariant> slots_;
};

}  // namespace zarvik::bench
