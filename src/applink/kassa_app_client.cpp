#include "applink/kassa_app_client.h"

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

const rapidjson::Value& Null() {
    static const rapidjson::Value null;
    return null;
}

}  // namespace

KassaAppClient::KassaAppClient(ExchangeLog& log)
    : log_(log), rpc_(tcp_, log), counter_(static_cast<uint32_t>(std::time(nullptr))) {}

void KassaAppClient::invoke(const char* method, JsonRpcParams own, JsonRpcResult& out) {
    RefuseNonFiniteParams(method, own);

    JsonRpcParams params;
    params.reserve(own.size() + 2);
    params.push_back(JsonRpcParam::String(settings_.PosId));
    ++counter_;
    params.push_back(JsonRpcParam::UInt(counter_));
    params.insert(params.end(), std::make_move_iterator(own.begin()),
                  std::make_move_iterator(own.end()));

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
}

const rapidjson::Value& KassaAppClient::require(const rapidjson::Value& object, const char* key) {
    const rapidjson::Value* value = Find(object, key);
    if (value == nullptr) throw Missing(key);
    return *value;
}

std::string KassaAppClient::readString(const rapidjson::Value& object, const char* key) {
    const rapidjson::Value& value = require(object, key);
    if (!value.IsString()) throw Missing(key);
    return std::string(value.GetString(), value.GetStringLength());
}

bool KassaAppClient::readBool(const rapidjson::Value& object, const char* key) {
    // Present is enough: only the literal true is true, 1 and "true" are not.
    return require(object, key).IsTrue();
}

int32_t KassaAppClient::readInt(const rapidjson::Value& object, const char* key) {
    const rapidjson::Value& value = require(object, key);
    if (!value.IsInt()) throw Missing(key);
    return value.GetInt();
}

double KassaAppClient::readDouble(const rapidjson::Value& object, const char* key) {
    const rapidjson::Value& value = require(object, key);
    if (!value.IsNumber()) throw Missing(key);
    return value.GetDouble();
}

const rapidjson::Value& KassaAppClient::member(const rapidjson::Value& object, const char* key) {
    const rapidjson::Value* value = Find(object, key);
    return value == nullptr ? Null() : *value;
}

int32_t KassaAppClient::asInt(const rapidjson::Value& value) {
    return value.IsInt() ? value.GetInt() : 0;
}

double KassaAppClient::asDouble(const rapidjson::Value& value) {
    return value.IsNumber() ? value.GetDouble() : 0.0;
}

}  // namespace zarvik
