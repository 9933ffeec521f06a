// The companion application's methods, one handler each, grouped by family.
// A handler checks its own parameters, asks the register, and fills the
// result object with the members the driver reads (and a few a real
// application would add).
#pragma once

#include <rapidjson/document.h>

#include <cstdint>
#include <string>
#include <vector>

#include "cash_register.h"
#include "request_checks.h"

namespace kassa {

// Members of a result object under construction.
class Answer {
  public:
    Answer(rapidjson::Value& object, rapidjson::Document::AllocatorType& allocator)
        : object_(object), allocator_(allocator) {}

    Answer& Set(const char* key, int32_t value);
    Answer& Set(const char* key, uint32_t value);
    Answer& Set(const char* key, double value);
    Answer& Set(const char* key, bool value);
    Answer& Set(const char* key, const std::string& value);
    Answer& Set(const char* key, const char* value) { return Set(key, std::string(value)); }
    Answer Child(const char* key);  // a nested object

  private:
    rapidjson::Value& object_;
    rapidjson::Document::AllocatorType& allocator_;
};

struct Call {
    CashRegister& kassa;
    const Params& params;
    Answer result;
};

using Handler = void (*)(Call&);

struct MethodEntry {
    const char* name;
    Handler handler;
};

// Backlog members as the shift and settlement answers carry them; the
// status answer names its counter "BacklogDocumentCounter".
void PutBacklog(Answer& container, const Backlog& backlog, const char* counterKey);

const std::vector<MethodEntry>& ShiftMethods();
const std::vector<MethodEntry>& ServiceMethods();
const std::vector<MethodEntry>& ReceiptMethods();
const std::vector<MethodEntry>& MarkingMethods();

}  // namespace kassa
