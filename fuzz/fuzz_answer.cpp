// The companion application's answer as it comes off the socket, in any
// pieces: the incremental reader, the JSON-RPC client, the app call frame and
// the typed readers of its result. However the bytes are split, the outcome
// is the one of the whole answer whenever nothing but blanks follows the
// answer's value (bytes after it may legitimately be read or not).
#include <fuzzer/FuzzedDataProvider.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <tuple>

#include "applink/answer_framer.h"
#include "fuzz_support.h"

using namespace zarvik;
using fuzz::Expect;

namespace {

// The code (0: a result), the message and the result.
using Outcome = std::tuple<int, std::string, std::string>;

// Every reader on a member: a value, or code 6 for a missing or mistyped one.
void ReadEverything(const rapidjson::Value& result, const char* key) {
    const auto tolerate = [](auto read) {
        try {
            read();
        } catch (const ZarvikKassaErrorException& error) {
            Expect(error.code == DriverErrorCode::MissingParameterError,
                   "a result reader failed with another code than 6");
        }
    };
    tolerate([&] { KassaAppClient::require(result, key); });
    tolerate([&] { KassaAppClient::readString(result, key); });
    tolerate([&] { KassaAppClient::readBool(result, key); });
    tolerate([&] { KassaAppClient::readInt(result, key); });
    tolerate([&] { KassaAppClient::readUnsigned(result, key); });
    tolerate([&] { KassaAppClient::readDouble(result, key); });
    KassaAppClient::member(result, key);
}

Outcome Exchange(fuzz::ScriptedAnswer answer) {
    fuzz::Wire() = {};
    fuzz::Wire().script.push_back(std::move(answer));
    fuzz::Client client;
    Outcome outcome;
    try {
        const JsonRpcResult out = client.client.invoke("GetDataKKT", {});
        if (out.result.IsObject()) {
            for (const auto& member : out.result.GetObject()) {
                ReadEverything(out.result, member.name.GetString());
            }
        }
        for (const char* key : {"SessionNumber", "Fiscal", "KKTNumber", "CashBalance", ""}) {
            ReadEverything(out.result, key);
        }
        rapidjson::StringBuffer buffer;
        rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
        out.result.Accept(writer);
        std::get<2>(outcome).assign(buffer.GetString(), buffer.GetSize());
    } catch (const ZarvikKassaErrorException& error) {
        outcome = {static_cast<int>(error.code), error.message, ""};
        Expect(error.code >= DriverErrorCode::ConnectionError &&
                   error.code <= DriverErrorCode::ResponseContainError,
               "the exchange failed with a code above 5");
        Expect(!error.message.empty() || error.code == DriverErrorCode::ResponseContainError,
               "the exchange failed without a message");
    }
    const auto& sent = fuzz::Wire().sent;
    Expect(sent.size() == 1 && !sent[0].empty() && sent[0].back() == '\n',
           "one call made other than one whole request on one connection");
    return outcome;
}

// True when the answer's value ends where only blanks follow, or never ends:
// then every split must read the same bytes that matter.
bool SplitCannotMatter(const std::string& bytes) {
    AnswerFramer framer;
    size_t end = 0;
    while (end < bytes.size() && framer.Feed(&bytes[end], 1) == AnswerFramer::State::Incomplete) {
        ++end;
    }
    return end == bytes.size() || framer.Feed("", 0) == AnswerFramer::State::TooDeep ||
           bytes.find_first_not_of(" \t\n\r", end + 1) == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    fuzz::ScriptedAnswer split;
    split.failAfter = input.ConsumeBool();
    const size_t pieces = input.ConsumeIntegralInRange<size_t>(0, 24);
    for (size_t i = 0; i < pieces; ++i) {
        split.pieces.push_back(input.ConsumeIntegralInRange<size_t>(1, 64));
    }
    split.bytes = input.ConsumeRemainingBytesAsString();

    const Outcome asWhole = Exchange({split.bytes, {}, split.failAfter});
    const Outcome asSplit = Exchange(split);
    if (SplitCannotMatter(split.bytes)) {
        Expect(asWhole == asSplit, "the split of the answer changed the outcome");
    }
    return 0;
}
