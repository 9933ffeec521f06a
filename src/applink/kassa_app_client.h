// The frame every call to the companion application shares: the two leading
// parameters, one connection per request, failures turned into driver errors,
// and typed readers of the answer's result.
#pragma once

#include <rapidjson/document.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "applink/json_rpc_client.h"
#include "applink/tcp_client.h"

namespace zarvik {

class ExchangeLog;

struct DriverSettings {
    std::string ServerHost;     // UTF-8; a dotted IPv4 address or a host name
    int32_t ServerPort = 3333;  // only the low 16 bits are used
    std::string PosId;
    // Not one of the platform's settings: how long connecting may take before
    // the call fails with code 1. Tests shorten it.
    std::chrono::milliseconds ConnectLimit{10000};
};

class KassaAppClient {
  public:
    // `requestLine` is the component's kept buffer for the request line.
    KassaAppClient(ExchangeLog& log, std::string& requestLine);

    DriverSettings& Settings() { return settings_; }
    const DriverSettings& Settings() const { return settings_; }

    // PosId and the advanced counter, then `own`; connect, call, translate
    // transport and protocol failures into ZarvikKassaErrorException 1 to 5.
    // `own` is taken by value: a receipt's parameter is megabytes, moved, not copied.
    JsonRpcResult invoke(const char* method, JsonRpcParams own);

    // Result readers, in a required form (an absent member is code 6 naming
    // the key) and an optional one (absent gives nothing). A value of the
    // wrong JSON type counts as absent. An integer may come as a whole double
    // (12.0); Unsigned also takes values up to 4294967295 and keeps the 32
    // bits of a negative one, as the platform reads such fields unsigned.
    static const rapidjson::Value& require(const rapidjson::Value& object, const char* key);
    static std::string readString(const rapidjson::Value& object, const char* key);
    static bool readBool(const rapidjson::Value& object, const char* key);
    static int32_t readInt(const rapidjson::Value& object, const char* key);
    static uint32_t readUnsigned(const rapidjson::Value& object, const char* key);
    static double readDouble(const rapidjson::Value& object, const char* key);
    static std::optional<std::string> optionalString(const rapidjson::Value& object,
                                                     const char* key);
    // Present whatever its type; true only for the JSON literal true.
    static std::optional<bool> optionalBool(const rapidjson::Value& object, const char* key);
    static std::optional<int32_t> optionalInt(const rapidjson::Value& object, const char* key);
    static std::optional<uint32_t> optionalUnsigned(const rapidjson::Value& object,
                                                    const char* key);
    static std::optional<double> optionalDouble(const rapidjson::Value& object, const char* key);
    // The member, or JSON null when absent; never fails.
    static const rapidjson::Value& member(const rapidjson::Value& object, const char* key);

  private:
    DriverSettings settings_;
    TCPClient tcp_;
    JsonRpcClient rpc_;
    uint32_t counter_;
};

}  // namespace zarvik
