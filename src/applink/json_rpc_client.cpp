#include "applink/json_rpc_client.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cmath>
#include <cstring>
#include <optional>

#include "applink/json_text.h"
#include "applink/tcp_client.h"
#include "core/driver_error.h"
#include "core/kept_buffer.h"
#include "log/exchange_log.h"

namespace zarvik {

namespace {

using Writer = rapidjson::Writer<rapidjson::StringBuffer>;

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
    switch (param.kind) {
        case JsonRpcParam::Kind::String:
            // Up to its first zero byte, as a string parameter has always gone.
            writer.Text(param.text.c_str(), std::strlen(param.text.c_str()));
            break;
        case JsonRpcParam::Kind::Document:
            writer.Document(param.document);
            break;
        case JsonRpcParam::Kind::Double:
            writer.Double(param.number);
            break;
        case JsonRpcParam::Kind::Int:
            writer.Int(param.signedValue);
            break;
        case JsonRpcParam::Kind::UInt:
            writer.Uint(param.unsignedValue);
            break;
        case JsonRpcParam::Kind::Bool:
            writer.Bool(param.flag);
            break;
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

std::string RequestLine(uint32_t id, const std::string& method, const JsonRpcParams& params) {
    std::string line;
    WriteRequestLine(line, id, method, params);
    return line;
}

void WriteRequestLine(std::string& line, uint32_t id, const std::string& method,
                      const JsonRpcParams& params) {
    size_t expected = 96 + method.size();
    for (const auto& param : params) expected += param.text.size() + param.expectedSize + 24;
    line.reserve(expected);
    JsonTextStream stream(line, JsonTextStream::Form::Plain, JsonTextStream::Over());
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

JsonRpcParam JsonRpcParam::String(std::string text) {
    JsonRpcParam param;
    param.kind = Kind::String;
    param.text = std::move(text);
    return param;
}

JsonRpcParam JsonRpcParam::Document(std::function<void(JsonTextWriter&)> write,
                                    size_t expectedSize) {
    JsonRpcParam param;
    param.kind = Kind::Document;
    param.document = std::move(write);
    param.expectedSize = expectedSize;
    return param;
}

JsonRpcParam JsonRpcParam::Double(double number) {
    JsonRpcParam param;
    param.kind = Kind::Double;
    param.number = number;
    return param;
}

JsonRpcParam JsonRpcParam::Int(int32_t value) {
    JsonRpcParam param;
    param.kind = Kind::Int;
    param.signedValue = value;
    return param;
}

JsonRpcParam JsonRpcParam::UInt(uint32_t value) {
    JsonRpcParam param;
    param.kind = Kind::UInt;
    param.unsignedValue = value;
    return param;
}

JsonRpcParam JsonRpcParam::Bool(bool flag) {
    JsonRpcParam param;
    param.kind = Kind::Bool;
    param.flag = flag;
    return param;
}

void RefuseNonFiniteParams(const std::string& method, const JsonRpcParams& params) {
    for (const auto& param : params) {
        if (param.kind == JsonRpcParam::Kind::Double && !std::isfinite(param.number)) {
            throw InputDataError("нечисловое значение параметра запроса " + method);
        }
    }
}

void JsonRpcClient::call(uint32_t id, const std::string& method, const JsonRpcParams& params,
                         JsonRpcResult& out) {
    CloseOnExit closeOnExit(tcp_);
    RefuseNonFiniteParams(method, params);
    std::string& line = line_;
    const LetGoOfGiantOnExit letGo(line, kKeptTextAtMost);
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

std::string WriteCompactJson(const rapidjson::Value& value) {
    rapidjson::StringBuffer buffer;
    Writer writer(buffer);
    // The writer stops at a number it cannot write (not finite), which
    // would send a cut-off record.
    if (!value.Accept(writer)) {
        throw InputDataError("нечисловое значение в данных запроса");
    }
    return std::string(buffer.GetString(), buffer.GetSize());
}

}  // namespace zarvik
