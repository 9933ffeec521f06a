// Members of an answer that count only when the companion application sends
// them. A member of the wrong JSON type counts as absent, as for the
// required readers of the app link.
#pragma once

#include <rapidjson/document.h>

#include <cstdint>
#include <optional>
#include <string>

namespace zarvik {

inline const rapidjson::Value* FindMember(const rapidjson::Value& object, const char* key) {
    if (!object.IsObject()) return nullptr;
    const auto found = object.FindMember(key);
    return found != object.MemberEnd() ? &found->value : nullptr;
}

inline std::optional<int32_t> OptionalInt(const rapidjson::Value& object, const char* key) {
    const rapidjson::Value* value = FindMember(object, key);
    if (value == nullptr || !value->IsInt()) return std::nullopt;
    return value->GetInt();
}

// The unsigned numbers of the marking answers: a companion may send them
// signed (-1) or unsigned (4294967295); both mean the same 32 bits.
inline std::optional<uint32_t> OptionalCode(const rapidjson::Value& object, const char* key) {
    const rapidjson::Value* value = FindMember(object, key);
    if (value == nullptr) return std::nullopt;
    if (value->IsUint()) return value->GetUint();
    if (value->IsInt()) return static_cast<uint32_t>(value->GetInt());
    return std::nullopt;
}

// Copied as received: answers are UTF-8 like all driver text.
inline std::optional<std::string> OptionalString(const rapidjson::Value& object, const char* key) {
    const rapidjson::Value* value = FindMember(object, key);
    if (value == nullptr || !value->IsString()) return std::nullopt;
    return std::string(value->GetString(), value->GetStringLength());
}

// Present whatever its type; true only for the JSON literal true.
inline std::optional<bool> OptionalFlag(const rapidjson::Value& object, const char* key) {
    const rapidjson::Value* value = FindMember(object, key);
    if (value == nullptr) return std::nullopt;
    return value->IsTrue();
}

}  // namespace zarvik
