// The companion application without its sockets: one request line in, one
// answer line out, over a stateful cash register.
#pragma once

#include <map>
#include <string>

#include "cash_register.h"

namespace kassa {

struct Exchange {
    std::string answer;    // compact JSON, no line feed
    std::string method;    // empty when the request had none
    bool refused = false;  // answered with an error object
    std::string message;   // the error's message when refused
};

class Emulator {
  public:
    explicit Emulator(CashRegister::Clock clock = nullptr);

    // From here on `method` is answered with this error once its request
    // has passed the checks.
    void forceError(const std::string& method, const std::string& message);

    Exchange handle(const std::string& requestLine);
    // The answer to bytes that are no request line at all (-32600).
    Exchange reject(const std::string& problem);

    CashRegister& kassa() { return kassa_; }

    static bool knowsMethod(const std::string& method);

  private:
    CashRegister kassa_;
    std::map<std::string, std::string> forced_;
};

}  // namespace kassa
