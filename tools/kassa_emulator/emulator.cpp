#include "emulator.h"

#include <rapidjson/error/en.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "handlers.h"

namespace kassa {

namespace {

Handler FindHandler(const std::string& method) {
    for (const auto* family :
         {&ShiftMethods(), &ServiceMethods(), &ReceiptMethods(), &MarkingMethods()}) {
        for (const MethodEntry& entry : *family) {
            if (method == entry.name) return entry.handler;
        }
    }
    return nullptr;
}

std::string Write(const rapidjson::Value& value) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    value.Accept(writer);
    return std::string(buffer.GetString(), buffer.GetSize());
}

// The envelope in the order general JSON-RPC servers write it: "jsonrpc",
// "id", then "result" or "error".
rapidjson::Document Envelope(const rapidjson::Value& id) {
    rapidjson::Document answer(rapidjson::kObjectType);
    auto& allocator = answer.GetAllocator();
    answer.AddMember("jsonrpc", "2.0", allocator);
    answer.AddMember("id", rapidjson::Value(id, allocator), allocator);
    return answer;
}

std::string ErrorAnswer(const rapidjson::Value& id, int code, const std::string& message) {
    rapidjson::Document answer = Envelope(id);
    auto& allocator = answer.GetAllocator();
    rapidjson::Value error(rapidjson::kObjectType);
    error.AddMember("code", code, allocator);
    error.AddMember("message", rapidjson::Value(message.c_str(), allocator), allocator);
    answer.AddMember("error", error, allocator);
    return Write(answer);
}

bool IsNumericId(const rapidjson::Value& id) { return id.IsInt() || id.IsUint(); }

}  // namespace

Emulator::Emulator(CashRegister::Clock clock) : kassa_(std::move(clock)) {}

void Emulator::forceError(const std::string& method, const std::string& message) {
    forced_[method] = message;
}

bool Emulator::knowsMethod(const std::string& method) { return FindHandler(method) != nullptr; }

Exchange Emulator::handle(const std::string& requestLine) {
    Exchange exchange;
    const rapidjson::Value nullId;
    const auto refuse = [&exchange](const rapidjson::Value& id, int code, std::string message) {
        exchange.refused = true;
        exchange.message = std::move(message);
        exchange.answer = ErrorAnswer(id, code, exchange.message);
        return exchange;
    };

    rapidjson::Document request;
    request.Parse<rapidjson::kParseValidateEncodingFlag>(requestLine.c_str(), requestLine.size());
    if (request.HasParseError()) {
        return refuse(nullId, kParseError,
                      std::string("Запрос не разобран как JSON в UTF-8: ") +
                          rapidjson::GetParseError_En(request.GetParseError()) + " (позиция " +
                          std::to_string(request.GetErrorOffset()) + ")");
    }
    if (!request.IsObject()) return refuse(nullId, kInvalidRequest, "Запрос должен быть объектом");
    const auto idMember = request.FindMember("id");
    const rapidjson::Value& id =
        idMember != request.MemberEnd() && IsNumericId(idMember->value) ? idMember->value : nullId;
    const auto version = request.FindMember("jsonrpc");
    if (version == request.MemberEnd() || !version->value.IsString() ||
        std::string(version->value.GetString()) != "2.0") {
        return refuse(id, kInvalidRequest, "В запросе нет \"jsonrpc\": \"2.0\"");
    }
    const auto method = request.FindMember("method");
    if (method == request.MemberEnd() || !method->value.IsString()) {
        return refuse(id, kInvalidRequest, "В запросе нет имени метода (\"method\")");
    }
    exchange.method = method->value.GetString();
    if (id.IsNull()) {
        return refuse(id, kInvalidRequest,
                      "В запросе нет числового \"id\": уведомления без ответа не поддерживаются");
    }
    const Handler handler = FindHandler(exchange.method);
    if (handler == nullptr) {
        return refuse(id, kMethodNotFound, "Метод не найден: " + exchange.method);
    }
    const auto params = request.FindMember("params");
    if (params == request.MemberEnd()) {
        return refuse(id, kInvalidParams, "Неверные параметры запроса: нет \"params\"");
    }

    rapidjson::Document answer = Envelope(id);
    rapidjson::Value result(rapidjson::kObjectType);
    try {
        const Params checked(params->value, id);
        const auto forced = forced_.find(exchange.method);
        if (forced != forced_.end()) {
            // The request is still checked, on a copy of the register that
            // the forced error then discards.
            CashRegister scratch = kassa_;
            rapidjson::Value discarded(rapidjson::kObjectType);
            Call trial{scratch, checked, Answer(discarded, answer.GetAllocator())};
            try {
                handler(trial);
            } catch (const Refusal&) {
            }
            throw Refusal{kForced, forced->second};
        }
        Call call{kassa_, checked, Answer(result, answer.GetAllocator())};
        handler(call);
    } catch (const ProtocolError& error) {
        return refuse(id, error.code, error.message);
    } catch (const Refusal& refusal) {
        return refuse(id, refusal.code, refusal.message);
    }
    answer.AddMember("result", result, answer.GetAllocator());
    exchange.answer = Write(answer);
    return exchange;
}

Exchange Emulator::reject(const std::string& problem) {
    Exchange exchange;
    exchange.refused = true;
    exchange.message = problem;
    exchange.answer = ErrorAnswer(rapidjson::Value(), kInvalidRequest, problem);
    return exchange;
}

// ---- Answer -----------------------------------------------------------------

Answer& Answer::Set(const char* key, int32_t value) {
    object_.AddMember(rapidjson::StringRef(key), value, allocator_);
    return *this;
}

Answer& Answer::Set(const char* key, uint32_t value) {
    object_.AddMember(rapidjson::StringRef(key), value, allocator_);
    return *this;
}

Answer& Answer::Set(const char* key, double value) {
    object_.AddMember(rapidjson::StringRef(key), value, allocator_);
    return *this;
}

Answer& Answer::Set(const char* key, bool value) {
    object_.AddMember(rapidjson::StringRef(key), value, allocator_);
    return *this;
}

Answer& Answer::Set(const char* key, const std::string& value) {
    object_.AddMember(
        rapidjson::StringRef(key),
        rapidjson::Value(value.c_str(), static_cast<rapidjson::SizeType>(value.size()), allocator_),
        allocator_);
    return *this;
}

Answer Answer::Child(const char* key) {
    object_.AddMember(rapidjson::StringRef(key), rapidjson::Value(rapidjson::kObjectType),
                      allocator_);
    return Answer(object_[key], allocator_);
}

}  // namespace kassa
