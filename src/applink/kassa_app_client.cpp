#include "applink/kassa_app_client.h"

#include <ctime>

#include "driver/not_built.h"

namespace zarvik {

KassaAppClient::KassaAppClient(ExchangeLog& log)
    : log_(log), rpc_(tcp_, log), counter_(static_cast<uint32_t>(std::time(nullptr))) {}

void KassaAppClient::invoke(const char* method, const JsonRpcParams&, JsonRpcResult&) {
    NotBuiltYet(method);
}

}  // namespace zarvik
