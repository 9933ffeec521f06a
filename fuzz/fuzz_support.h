// The base of every fuzz program: what counts as a finding, the documents the
// driver reads, and the scripted wire of fake_socket.cpp.
#pragma once

#include <rapidjson/document.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "applink/kassa_app_client.h"
#include "core/driver_error.h"
#include "log/exchange_log.h"
#include "model/scratch.h"

namespace zarvik::fuzz {

// A finding: libFuzzer keeps the input that got here.
inline void Expect(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "FUZZ FINDING: %s\n", what);
    std::abort();
}

// What `read` makes of the input, or none when it refused it, which bad input
// from the platform may only ever be: as input data, with a text.
template <typename Read>
auto ReadInput(const uint8_t* data, size_t size, Read read)
    -> std::optional<decltype(read(std::string()))> {
    try {
        return read(std::string(data, data + size));
    } catch (const ZarvikKassaErrorException& error) {
        if (error.code != DriverErrorCode::InputDataError || error.message.empty()) {
            std::fprintf(stderr, "input refused with code %d: %s\n", static_cast<int>(error.code),
                         error.message.c_str());
            Expect(false, "input refused other than as input data");
        }
        return std::nullopt;
    }
}

// What the driver wrote must be one JSON text.
inline rapidjson::Document ParseJson(const std::string& text, const char* what) {
    rapidjson::Document document;
    document.Parse(text.data(), text.size());
    Expect(!document.HasParseError(), what);
    return document;
}

// An object's string member; none when it is missing or no string.
inline std::optional<std::string> Text(const rapidjson::Value& object, const char* key) {
    const auto found = object.FindMember(key);
    if (found == object.MemberEnd() || !found->value.IsString()) return std::nullopt;
    return std::string(found->value.GetString(), found->value.GetStringLength());
}

// A member's string up to its first zero byte: the platform's text ends there.
inline std::string UpToZero(const std::string& text) { return text.substr(0, text.find('\0')); }

// Documents the driver reads, so that the fuzzers reach past input checks.
inline const char* const kInput =
    R"(<InputParameters><Parameters CashierName="Иванов И.И." CashierINN="7701234567"/></InputParameters>)";
inline const char* const kCheck =
    R"(<CheckPackage><Parameters CashierName="Петрова" OperationType="1" TaxationSystem="0"/>)"
    R"(<Positions><FiscalString Name="Хлеб" Quantity="1" PriceWithDiscount="45.9")"
    R"( AmountWithDiscount="45.9" VATRate="10" VATAmount="4.17"/></Positions>)"
    R"(<Payments Cash="50"/></CheckPackage>)";
inline const char* const kRequestKM =
    R"(<RequestKM GUID="5a1c" MarkingCode="MDEwNDYwNzQyODY3OTA5MDIxNmVKSWpvV0g1NERkVSA5MWZmZDAgOTJzejZrU1BpckFwZk1CZnR2TGJvRTFkbFdDLzU4aEV4UVVxdjdCQmtabWs0PQ==" PlannedStatus="1" Quantity="1"/>)";
inline const char* const kTextDocument =
    R"(<Document><Positions><TextString Text="Спасибо"/><Barcode Type="QR" ValueBase64="MTIz"/></Positions></Document>)";

// The companion's answer carrying `result`.
inline std::string ResultAnswer(const std::string& result) {
    return R"({"jsonrpc":"2.0","id":1,"result":)" + result + "}";
}

// The driver's end of the wire, set up as a component sets it up.
struct Client {
    ExchangeLog log{"/dev/null"};
    Scratch scratch;
    KassaAppClient client{log, scratch.request};
    Client() {
        client.Settings().ServerHost = "127.0.0.1";
        client.Settings().PosId = "POS-1";
    }
};

// An in-process stand-in for the companion application's end of the wire,
// linked in place of the real sockets: every connection takes the next
// scripted answer (none: a peer that closes at once) and hands it out in the
// scripted pieces, so the real reader, JSON-RPC client and app call frame run
// unchanged, without threads, ports or waiting. Reset by assigning {}.
struct ScriptedAnswer {
    std::string bytes;
    std::vector<size_t> pieces;  // sizes of the successive reads; the rest in one go
    bool failAfter = false;      // a read error instead of the peer's close at the end
};

struct FakeWire {
    std::deque<ScriptedAnswer> script;  // for the next connections, in order
    std::vector<std::string> sent;      // every request, one string per connection
    ScriptedAnswer current;             // the connection in flight: never two at once
    size_t offset = 0, piece = 0;
};

inline FakeWire& Wire() {
    static FakeWire wire;
    return wire;
}

}  // namespace zarvik::fuzz
