// One JSON-RPC 2.0 call per connection: the request line out, one answer in.
#pragma once

#include <rapidjson/document.h>

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

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

// One positional request parameter, a plain value: a string, or JSON text
// that the request carries as it stands (a number, a flag, or a record the
// companion takes as JSON text inside a string, finished by the driver).
struct JsonRpcParam {
    static JsonRpcParam String(std::string text) { return {false, std::move(text)}; }
    static JsonRpcParam Json(std::string json) { return {true, std::move(json)}; }
    static JsonRpcParam Double(double number);
    static JsonRpcParam UInt(uint32_t value) { return Json(std::to_string(value)); }
    static JsonRpcParam Bool(bool flag) { return Json(flag ? "true" : "false"); }

    bool json = false;
    std::string text;
};

using JsonRpcParams = std::vector<JsonRpcParam>;

// The parsed answer; `result` lives in `response`'s memory.
struct JsonRpcResult {
    rapidjson::Document response;
    rapidjson::Value result;
};

class JsonRpcClient {
  public:
    // `line` is the buffer the request line is written into, kept by the
    // component from call to call.
    JsonRpcClient(TCPClient& tcp, ExchangeLog& log, std::string& line)
        : tcp_(tcp), log_(log), line_(line) {}

    // The caller has connected the TCP client; call closes it.
    void call(uint32_t id, const std::string& method, const JsonRpcParams& params,
              JsonRpcResult& out);

  private:
    TCPClient& tcp_;
    ExchangeLog& log_;
    std::string& line_;
};

// The request as it goes on the wire: one line of compact JSON ending in CR LF,
// written over what `line` held.
void WriteRequestLine(std::string& line, uint32_t id, const std::string& method,
                      const JsonRpcParams& params);
std::string RequestLine(uint32_t id, const std::string& method, const JsonRpcParams& params);

}  // namespace zarvik
