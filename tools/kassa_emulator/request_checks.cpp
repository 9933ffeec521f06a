#include "request_checks.h"

#include <rapidjson/error/en.h>

namespace kassa {

namespace {

const char* KindName(Kind kind) {
    switch (kind) {
        case Kind::String:
            return "строка";
        case Kind::Int:
            return "целое число";
        case Kind::Unsigned:
            return "целое неотрицательное число";
        case Kind::Number:
            return "число";
        case Kind::Bool:
            return "true или false";
        case Kind::True:
            return "литерал true";
        case Kind::Object:
            return "объект";
        case Kind::Array:
            return "массив";
    }
    return "?";
}

bool Matches(const rapidjson::Value& value, Kind kind) {
    switch (kind) {
        case Kind::String:
            return value.IsString();
        case Kind::Int:
            return value.IsInt();
        case Kind::Unsigned:
            return value.IsUint();
        case Kind::Number:
            return value.IsNumber();
        case Kind::Bool:
            return value.IsBool();
        case Kind::True:
            return value.IsTrue();
        case Kind::Object:
            return value.IsObject();
        case Kind::Array:
            return value.IsArray();
    }
    return false;
}

std::string Join(const std::string& path, const char* key) {
    return path.empty() ? std::string(key) : path + "." + key;
}

void CheckField(const rapidjson::Value& value, const Field& field, const std::string& path) {
    if (!Matches(value, field.kind)) {
        InvalidParams(path + ": ожидается " + KindName(field.kind));
    }
    if (field.nested == nullptr) return;
    if (field.kind == Kind::Object) CheckAgainst(value, *field.nested, path);
    if (field.kind == Kind::Array) {
        for (rapidjson::SizeType i = 0; i < value.Size(); ++i) {
            CheckAgainst(value[i], *field.nested, path + "[" + std::to_string(i) + "]");
        }
    }
}

}  // namespace

void InvalidParams(const std::string& detail) {
    throw ProtocolError{kInvalidParams, "Неверные параметры запроса: " + detail};
}

void CheckAgainst(const rapidjson::Value& value, const Schema& schema, const std::string& path) {
    const std::string where = path.empty() ? std::string(schema.name) : path;
    if (!value.IsObject()) InvalidParams(where + ": ожидается объект");
    for (auto member = value.MemberBegin(); member != value.MemberEnd(); ++member) {
        const std::string key(member->name.GetString(), member->name.GetStringLength());
        const Field* known = nullptr;
        for (const Field& field : schema.fields) {
            if (key == field.key) known = &field;
        }
        if (known == nullptr) InvalidParams(where + ": неизвестный член \"" + key + "\"");
        CheckField(member->value, *known, Join(path, known->key));
    }
    for (const Field& field : schema.fields) {
        if (field.required && !value.HasMember(field.key)) {
            InvalidParams(where + ": нет обязательного члена \"" + field.key + "\"");
        }
    }
}

Params::Params(const rapidjson::Value& params, const rapidjson::Value& id) : params_(params) {
    if (!params.IsArray()) InvalidParams("\"params\" должен быть массивом позиционных параметров");
    if (params.Size() < 2) {
        InvalidParams("первые два параметра — идентификатор кассы (PosId) и счётчик запросов");
    }
    if (!params[0].IsString()) InvalidParams("параметр 1 (PosId): ожидается строка");
    posId_.assign(params[0].GetString(), params[0].GetStringLength());
    if (posId_.empty()) {
        InvalidParams("параметр 1 (PosId) пуст: задайте идентификатор кассы в настройках драйвера");
    }
    if (!params[1].IsUint()) {
        InvalidParams("параметр 2 (счётчик запросов): ожидается целое неотрицательное число");
    }
    // The id is the same counter, written as a signed number above 2^31.
    const uint32_t idBits = id.IsInt() ? static_cast<uint32_t>(id.GetInt()) : id.GetUint();
    if (params[1].GetUint() != idBits) {
        InvalidParams("параметр 2 (счётчик запросов) не равен \"id\" запроса");
    }
}

void Params::expectOwn(size_t count, const char* shape) const {
    if (params_.Size() != count + 2) {
        InvalidParams("ожидается " + std::to_string(count + 2) + " параметра(ов) (" + shape +
                      "), получено " + std::to_string(params_.Size()));
    }
}

const rapidjson::Value& Params::own(size_t index) const {
    return params_[static_cast<rapidjson::SizeType>(index + 2)];
}

std::string Params::label(size_t index, const char* what) const {
    return "параметр " + std::to_string(index + 3) + " (" + what + ")";
}

std::string Params::text(size_t index, const char* what) const {
    const rapidjson::Value& value = own(index);
    if (!value.IsString()) InvalidParams(label(index, what) + ": ожидается строка");
    return std::string(value.GetString(), value.GetStringLength());
}

bool Params::flag(size_t index, const char* what) const {
    const rapidjson::Value& value = own(index);
    if (!value.IsBool()) InvalidParams(label(index, what) + ": ожидается true или false");
    return value.GetBool();
}

double Params::number(size_t index, const char* what) const {
    const rapidjson::Value& value = own(index);
    if (!value.IsNumber()) InvalidParams(label(index, what) + ": ожидается число");
    return value.GetDouble();
}

void Params::json(size_t index, const char* what, const Schema& schema,
                  rapidjson::Document& out) const {
    const std::string text = this->text(index, what);
    out.Parse(text.c_str(), text.size());
    if (out.HasParseError()) {
        InvalidParams(label(index, what) + ": строка не содержит JSON (" +
                      rapidjson::GetParseError_En(out.GetParseError()) + ", позиция " +
                      std::to_string(out.GetErrorOffset()) + ")");
    }
    if (!out.IsObject()) InvalidParams(label(index, what) + ": ожидается JSON-объект в строке");
    CheckAgainst(out, schema, "");
}

void Params::jsonArray(size_t index, const char* what, rapidjson::Document& out) const {
    const std::string text = this->text(index, what);
    out.Parse(text.c_str(), text.size());
    if (out.HasParseError() || !out.IsArray()) {
        InvalidParams(label(index, what) + ": ожидается JSON-массив в строке");
    }
}

}  // namespace kassa
