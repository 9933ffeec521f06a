// What the emulator demands of a request: the JSON-RPC envelope, the two
// leading parameters every request carries, the count and types of the
// method's own parameters, and the records sent as JSON text inside a string
// parameter, member by member. A driver that sends anything else gets an
// error answer naming what is wrong, so the emulator doubles as a
// conformance check.
#pragma once

#include <rapidjson/document.h>

#include <string>
#include <vector>

namespace kassa {

enum ProtocolCode : int {
    kParseError = -32700,
    kInvalidRequest = -32600,
    kMethodNotFound = -32601,
    kInvalidParams = -32602,
};

struct ProtocolError {
    int code = 0;
    std::string message;  // Russian
};

// The JSON type a member must have. Int and Unsigned are 32-bit; Number is
// any JSON number; True is the literal true only.
enum class Kind { String, Int, Unsigned, Number, Bool, True, Object, Array };

struct Schema;

struct Field {
    const char* key;
    Kind kind;
    bool required;
    const Schema* nested = nullptr;  // members of an Object, elements of an Array
};

struct Schema {
    const char* name;
    std::vector<Field> fields;  // a member not listed here is refused
};

// Throws ProtocolError kInvalidParams naming the member by its path.
void CheckAgainst(const rapidjson::Value& value, const Schema& schema, const std::string& path);

class Params {
  public:
    // Checks PosId (a non-empty string) and the request counter (an unsigned
    // number equal to the request's id, as 32 bits).
    Params(const rapidjson::Value& params, const rapidjson::Value& id);

    const std::string& posId() const { return posId_; }

    // The method's own parameters come after the two leading ones; index 0
    // is the third parameter of the request.
    void expectOwn(size_t count, const char* shape) const;
    std::string text(size_t index, const char* what) const;
    bool flag(size_t index, const char* what) const;
    double number(size_t index, const char* what) const;
    // The JSON text inside a string parameter, parsed into `out` and checked.
    void json(size_t index, const char* what, const Schema& schema, rapidjson::Document& out) const;
    void jsonArray(size_t index, const char* what, rapidjson::Document& out) const;

  private:
    const rapidjson::Value& own(size_t index) const;
    std::string label(size_t index, const char* what) const;

    const rapidjson::Value& params_;
    std::string posId_;
};

[[noreturn]] void InvalidParams(const std::string& detail);

}  // namespace kassa
