#include "applink/json_rpc_client.h"

#include <cstring>
#include <optional>

#include "applink/tcp_client.h"
#include "log/exchange_log.h"
#include "model/json_text.h"

namespace zarvik {

namespace {

const char* const kDefaultErrorMessage = "The server returned an error.";

// The connection never outlives the call, whatever leaves it.
class CloseOnExit {
  public:
    explicit CloseOnExit(TCPClient& tcp) : tcp_(tcp) {}
    ~CloseOnExit() { tcp_.close(); }
    CloseOnExit(const CloseOnExit&) = delete;
    CloseOnExit& operator=(const CloseOnExit&) = delete;

  private:
    TCPClient& tcp_;
};

void WriteParam(JsonTextWriter& writer, const JsonRpcParam& param) {
    if (param.json) {
        writer.Raw(param.text);
    } else {
        // Up to its first zero byte, as a string parameter has always gone.
        writer.Text(param.text.c_str(), std::strlen(param.text.c_str()));
    }
}

// The message of an answer's "error" member; null counts as no error at all,
// because JSON-RPC 1.0 servers send it beside every successful result.
std::optional<std::string> ErrorMessage(const rapidjson::Value& answer) {
    const auto error = answer.FindMember("error");
    if (error == answer.MemberEnd() || error->value.IsNull()) return std::nullopt;
    if (!error->value.IsObject()) return std::string(kDefaultErrorMessage);
    const auto message = error->value.FindMember("message");
    if (message == error->value.MemberEnd() || !message->value.IsString()) {
        return std::string(kDefaultErrorMessage);
    }
    return std::string(message->value.GetString(), message->value.GetStringLength());
}

}  // namespace

JsonRpcParam JsonRpcParam::Double(double number) {
    return Json(JsonText([number](JsonTextWriter& writer) { writer.Double(number); }));
}

std::string RequestLine(uint32_t id, const std::string& method, const JsonRpcParams& params) {
    std::string line;
    WriteRequestLine(line, id, method, params);
    return line;
}

void WriteRequestLine(std::string& line, uint32_t id, const std::string& method,
                      const JsonRpcParams& params) {
    size_t expected = 96 + method.size();
    for (const auto& param : params) expected += param.text.size() + 24;
    line.reserve(expected);
    JsonTextStream stream(line, JsonTextStream::Form::Plain);
    JsonTextWriter writer(stream);
    writer.StartObject();
    writer.Key("jsonrpc");
    writer.String("2.0");
    writer.Key("id");
    writer.Int(static_cast<int32_t>(id));
    writer.Key("method");
    writer.String(method.c_str());
    writer.Key("params");
    writer.StartArray();
    for (const auto& param : params) WriteParam(writer, param);
    writer.EndArray();
    writer.EndObject();
    stream.Append("\r\n", 2);
}

void JsonRpcClient::call(uint32_t id, const std::string& method, const JsonRpcParams& params,
                         JsonRpcResult& out) {
    CloseOnExit closeOnExit(tcp_);
    std::string& line = line_;
    WriteRequestLine(line, id, method, params);
    log_.Info("Request:");
    log_.Info(line);
    tcp_.send(line);
    // In the file before the wait for an answer that may never come, and
    // written while the companion is already at work on the request.
    log_.Flush();

    std::string answer;
    try {
        answer = tcp_.receive();
    } catch (const AnswerRefusedException& refused) {
        log_.Info("Response:");
        log_.Warn(refused.message);
        throw ResponseParseErrorException();
    }
    tcp_.close();

    log_.Info("Response:");
    if (answer.empty()) {
        log_.Warn("Empty response");
        throw ResponseEmptyErrorException();
    }
    log_.Info(answer);

    // The parser takes a zero byte for the end of the text, so one inside
    // the answer would hide whatever follows it.
    if (std::memchr(answer.data(), '\0', answer.size()) != nullptr) {
        throw ResponseParseErrorException();
    }
    // Iterative: a hostile answer cannot run the parser down the stack.
    out.response.Parse<rapidjson::kParseIterativeFlag>(answer.data(), answer.size());
    if (out.response.HasParseError() || !out.response.IsObject()) {
        throw ResponseParseErrorException();
    }
    if (auto message = ErrorMessage(out.response)) {
        throw ResponseContainErrorException(std::move(*message));
    }
    const auto result = out.response.FindMember("result");
    if (result != out.response.MemberEnd()) {
        out.result = result->value;  // moves; the value stays in the document's memory
    } else {
        out.result.SetNull();
    }
}

}  // namespace zarvik
