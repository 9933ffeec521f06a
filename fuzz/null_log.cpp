#include <unistd.h>

#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "log/exchange_log.h"
#include "platform/folders.h"

namespace zarvik::fuzz {

void UseNullLog() {
    char folder[] = "/tmp/zarvik-fuzz-XXXXXX";
    if (::mkdtemp(folder) == nullptr) Fail("cannot make a temporary folder");
    ::setenv("XDG_DATA_HOME", folder, 1);
    const std::string logFolder = platform::JoinPath(folder, kLogFolderName);
    if (!platform::EnsureFolder(logFolder)) Fail("cannot make the log folder");
    const std::string log = platform::JoinPath(logFolder, kLogFileName);
    if (::symlink("/dev/null", log.c_str()) != 0) Fail("cannot point the log at /dev/null");
}

}  // namespace zarvik::fuzz
