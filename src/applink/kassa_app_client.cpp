#include "applink/kassa_app_client.h"

#include <cmath>
#include <ctime>
#include <iterator>

#include "core/driver_error.h"
#include "log/exchange_log.h"

namespace zarvik {

namespace {

ZarvikKassaErrorException Missing(const char* key) {
    return ZarvikKassaErrorException(
        DriverErrorCode::MissingParameterError,
        std::string("В ответе отсутствует обязательный параметр \"") + key + "\"");
}

const rapidjson::Value* Find(const rapidjson::Value& object, const char* key) {
    if (!object.IsObject()) return nullptr;
    const auto found = object.FindMember(key);
    return found == object.MemberEnd() ? nullptr : &found->value;
}

// A JSON number that is a whole number within [low, high], however written.
std::optional<int64_t> Whole(const rapidjson::Value* value, int64_t low, int64_t high) {
    if (value == nullptr || !value->IsNumber()) return std::nullopt;
    int64_t number;
    if (value->IsInt64()) {
        number = value->GetInt64();
    } else {
        const double d = value->GetDouble();
        if (d != std::trunc(d) || d < static_cast<double>(low) || d > static_cast<double>(high)) {
            return std::nullopt;
        }
        number = static_cast<int64_t>(d);
    }
    if (number < low || number > high) return std::nullopt;
    return number;
}

template <typename T>
T Required(const std::optional<T>& value, const char* key) {
    if (!value) throw Missing(key);
    return *value;
}

}  // namespace

KassaAppClient::KassaAppClient(ExchangeLog& log, std::string& requestLine)
    : rpc_(tcp_, log, requestLine), counter_(static_cast<uint32_t>(std::time(nullptr))) {}

JsonRpcResult KassaAppClient::invoke(const char* method, JsonRpcParams own) {
    JsonRpcParams params;
    params.reserve(own.size() + 2);
    params.push_back(JsonRpcParam::String(settings_.PosId));
    ++counter_;
    params.push_back(JsonRpcParam::UInt(counter_));
    params.insert(params.end(), std::make_move_iterator(own.begin()),
                  std::make_move_iterator(own.end()));

    JsonRpcResult out;
    try {
        tcp_.connect(settings_.ServerHost, static_cast<uint16_t>(settings_.ServerPort & 0xFFFF),
                     settings_.ConnectLimit);
        rpc_.call(counter_, method, params, out);
    } catch (const ConnectionErrorException& e) {
        throw ZarvikKassaErrorException(DriverErrorCode::ConnectionError, e.message);
    } catch (const ResolveHostnameErrorException& e) {
        throw ZarvikKassaErrorException(DriverErrorCode::ResolveHostnameError, e.message);
    } catch (const ResponseEmptyErrorException& e) {
        throw ZarvikKassaErrorException(DriverErrorCode::ResponseEmptyError, e.message);
    } catch (const ResponseParseErrorException& e) {
        throw ZarvikKassaErrorException(DriverErrorCode::ResponseParseError, e.message);
    } catch (const ResponseContainErrorException& e) {
        throw ZarvikKassaErrorException(DriverErrorCode::ResponseContainError, e.message);
    }
    return out;
}

const rapidjson::Value& KassaAppClient::require(const rapidjson::Value& object, const char* key) {
    const rapidjson::Value* value = Find(object, key);
    if (value == nullptr) throw Missing(key);
    return *value;
}

std::string KassaAppClient::readString(const rapidjson::Value& object, const char* key) {
    return Required(optionalString(object, key), key);
}

bool KassaAppClient::readBool(const rapidjson::Value& object, const char* key) {
    return Required(optionalBool(object, key), key);
}

int32_t KassaAppClient::readInt(const rapidjson::Value& object, const char* key) {
    return Required(optionalInt(object, key), key);
}

uint32_t KassaAppClient::readUnsigned(const rapidjson::Value& object, const char* key) {
    return Required(optionalUnsigned(object, key), key);
}

double KassaAppClient::readDouble(const rapidjson::Value& object, const char* key) {
    return Required(optionalDouble(object, key), key);
}

std::optional<std::string> KassaAppClient::optionalString(const rapidjson::Value& object,
                                                          const char* key) {
    const rapidjson::Value* value = Find(object, key);
    if (value == nullptr || !value->IsString()) return std::nullopt;
    return std::string(value->GetString(), value->GetStringLength());
}

std::optional<bool> KassaAppClient::optionalBool(const rapidjson::Value& object, const char* key) {
    const rapidjson::Value* value = Find(object, key);
    if (value == nullptr) return std::nullopt;
    return value->IsTrue();
}

std::optional<int32_t> KassaAppClient::optionalInt(const rapidjson::Value& object,
                                                   const char* key) {
    const auto number = Whole(Find(object, key), INT32_MIN, INT32_MAX);
    if (!number) return std::nullopt;
    return static_cast<int32_t>(*number);
}

std::optional<uint32_t> KassaAppClient::optionalUnsigned(const rapidjson::Value& object,
                                                         const char* key) {
    const auto number = Whole(Find(object, key), INT32_MIN, UINT32_MAX);
    if (!number) return std::nullopt;
    return static_cast<uint32_t>(*number);
}

std::optional<double> KassaAppClient::optionalDouble(const rapidjson::Value& object,
                                                     const char* key) {
    const rapidjson::Value* value = Find(object, key);
    if (value == nullptr || !value->IsNumber()) return std::nullopt;
    return value->GetDouble();
}

const rapidjson::Value& KassaAppClient::member(const rapidjson::Value& object, const char* key) {
    static const rapidjson::Value null;
    const rapidjson::Value* value = Find(object, key);
    return value == nullptr ? null : *value;
}

}  // namespace zarvik
