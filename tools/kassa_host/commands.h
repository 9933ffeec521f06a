// The two things kassa-host does with a loaded driver.
#pragma once

#include <string>
#include <vector>

#include "arguments.h"

namespace kassa_host {

struct Connection {
    std::string host = "127.0.0.1";
    int32_t port = 3333;
    std::string posId = "1";
};

// The listing of what the platform sees: class names, interface revision,
// the methods with both names and parameter counts, the driver description
// and the settings form. 0 on success.
int DescribeDriver(zarvik::host::Library& library);

// Sets the connection settings, calls `method` with `arguments`, prints the
// verdict, the out-parameters and every AddError report. 0 when the method
// succeeded, 1 when it failed.
int CallMethod(zarvik::host::Library& library, const Connection& connection,
               const std::string& method, const std::vector<Argument>& arguments);

}  // namespace kassa_host
