// One JSON-RPC 2.0 call per connection: the request line out, one answer in.
#pragma once

#include <rapidjson/document.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "applink/json_text.h"

namespace zarvik {

class ExchangeLog;
class TCPClient;

class JsonRpcClientException : public std::exception {
  public:
    explicit JsonRpcClientException(std::string message) : message(std::move(message)) {}
    std::string message;
};

class ResponseEmptyErrorException : public JsonRpcClientException {
  public:
    ResponseEmptyErrorException() : JsonRpcClientException("Response empty.") {}
};

class ResponseParseErrorException : public JsonRpcClientException {
  public:
    ResponseParseErrorException()
        : JsonRpcClientException("The server responded incorrectly, the answer is json.") {}
};

class ResponseContainErrorException : public JsonRpcClientException {
    using JsonRpcClientException::JsonRpcClientException;
};

// One positional request parameter.
struct JsonRpcParam {
    enum class Kind { String, Double, Int, UInt, Bool, Document };

    static JsonRpcParam String(std::string text);
    // A JSON document the companion takes as one string parameter, written by
    // `write` straight into the request line, escaped as it is written; about
    // `expectedSize` bytes. Whatever `write` refers to must outlive the call.
    static JsonRpcParam Document(std::function<void(JsonTextWriter&)> write, size_t expectedSize);
    static JsonRpcParam Double(double number);
    static JsonRpcParam Int(int32_t value);
    static JsonRpcParam UInt(uint32_t value);
    static JsonRpcParam Bool(bool flag);

    Kind kind = Kind::String;
    std::string text;
    double number = 0.0;
    int32_t signedValue = 0;
    uint32_t unsignedValue = 0;
    bool flag = false;
    std::function<void(JsonTextWriter&)> document;
    size_t expectedSize = 0;
};

using JsonRpcParams = std::vector<JsonRpcParam>;

// The parsed answer; `result` lives in `response`'s memory.
struct JsonRpcResult {
    rapidjson::Document response;
    rapidjson::Value result;
};

class JsonRpcClient {
  public:
    JsonRpcClient(TCPClient& tcp, ExchangeLog& log) : tcp_(tcp), log_(log) {}

    // The caller has connected the TCP client; call closes it.
    void call(uint32_t id, const std::string& method, const JsonRpcParams& params,
              JsonRpcResult& out);

  private:
    TCPClient& tcp_;
    ExchangeLog& log_;
    std::string line_;  // the last request's buffer, used again
};

// The request as it goes on the wire: one line of compact JSON ending in CR LF.
std::string RequestLine(uint32_t id, const std::string& method, const JsonRpcParams& params);
void WriteRequestLine(std::string& line, uint32_t id, const std::string& method,
                      const JsonRpcParams& params);

// The compact writer's text of a value: records sent as one String parameter.
// A number that is not finite is an input data error (code 8).
std::string WriteCompactJson(const rapidjson::Value& value);

// Input data error (code 8) for a Double parameter that is not finite, which
// JSON cannot carry; checked before anything is sent.
void RefuseNonFiniteParams(const std::string& method, const JsonRpcParams& params);

}  // namespace zarvik
