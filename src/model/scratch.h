// What a component keeps from one call to the next, all in one place: the
// platform's document as UTF-8 (parsed in place), the request line and the
// receipt record. Each is written over or reset as a whole by the call that
// uses it; Shrink, when the platform's call ends, gives back what grew beyond
// the bound of core/kept_buffer.h.
#pragma once

#include <string>

#include "core/kept_buffer.h"
#include "model/check_package.h"

namespace zarvik {

struct Scratch {
    std::string document;
    std::string request;
    CheckPackage receipt;

    void Shrink() {
        GiveBackGiant(document);
        GiveBackGiant(request);
        GiveBackGiant(receipt.FiscalStrings);
    }
};

}  // namespace zarvik
