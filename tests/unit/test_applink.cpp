// The pieces of the app link that need no peer: where an answer ends and the
// typed result readers.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <deque>
#include <string>

#if defined(_WIN32)
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include "applink/answer_framer.h"
#include "applink/json_rpc_client.h"
#include "applink/kassa_app_client.h"
#include "core/driver_error.h"
#include "log/exchange_log.h"
#include "platform/socket.h"

namespace zarvik {
namespace {

using State = AnswerFramer::State;

// Feeds the text one byte at a time; the index of the byte that completed it.
size_t CompletesAt(const std::string& text) {
    AnswerFramer framer;
    for (size_t i = 0; i < text.size(); ++i) {
        if (framer.Feed(&text[i], 1) != State::Incomplete) return i;
    }
    return std::string::npos;
}

TEST(AnswerFramer, EndsExactlyAtTheEndOfTheObjectWhateverTheStringsHold) {
    const std::string answer = R"(  {"result":{"a":"}]\"{[","b":["\\",{"c":"\\\""}]}})";
    EXPECT_EQ(CompletesAt(answer), answer.size() - 1);
    EXPECT_EQ(CompletesAt(answer + "\r\n"), answer.size() - 1);
    EXPECT_EQ(CompletesAt(answer.substr(0, answer.size() - 1)), std::string::npos);
}

TEST(AnswerFramer, FirstNonBlankOtherThanABraceEndsAtOnce) {
    EXPECT_EQ(CompletesAt(" \r\n\t[1,2,3]"), 4u);
    EXPECT_EQ(CompletesAt("HTTP/1.1 400"), 0u);
    EXPECT_EQ(CompletesAt(" \r\n"), std::string::npos);
}

TEST(AnswerFramer, BytesAfterTheEndChangeNothing) {
    AnswerFramer framer;
    const std::string text = R"({}{"x":[)";
    EXPECT_EQ(framer.Feed(text.data(), text.size()), State::Complete);
    EXPECT_EQ(framer.Feed("[[[", 3), State::Complete);
}

TEST(AnswerFramer, RefusesNestingBeyondTheBound) {
    const int bound = AnswerFramer::kMaxDepth;
    AnswerFramer atBound;
    const std::string deepest = "{" + std::string(bound - 1, '[');
    EXPECT_EQ(atBound.Feed(deepest.data(), deepest.size()), State::Incomplete);
    const std::string closing = std::string(bound - 1, ']') + "}";
    EXPECT_EQ(atBound.Feed(closing.data(), closing.size()), State::Complete);

    AnswerFramer beyond;
    const std::string tooDeep = "{\"x\":" + std::string(bound, '{');
    EXPECT_EQ(beyond.Feed(tooDeep.data(), tooDeep.size()), State::TooDeep);
}

class Readers : public ::testing::Test {
  protected:
    void SetUp() override {
        document.Parse(R"({"s":"Касса","i":-7,"u":4294967295,"d":2.5,"n":null,"t":true,
                           "one":1,"ts":"true","o":{"k":1},"w":12.0,"big":3000000000,
                           "over":4294967296,"neg":-1.0,"huge":1e300})");
        ASSERT_TRUE(document.IsObject());
    }

    // The code and message of what `read` throws; code 0 when nothing is thrown.
    template <typename Read>
    static std::pair<int, std::string> Failure(Read read) {
        try {
            read();
        } catch (const ZarvikKassaErrorException& e) {
            return {static_cast<int>(e.code), e.message};
        }
        return {0, ""};
    }

    rapidjson::Document document;
};

TEST_F(Readers, ReadValuesOfTheirOwnType) {
    EXPECT_EQ(KassaAppClient::readString(document, "s"), "Касса");
    EXPECT_EQ(KassaAppClient::readInt(document, "i"), -7);
    // Whole numbers however written; unsigned fields up to 2^32 - 1, a
    // negative one keeping its 32 bits.
    EXPECT_EQ(KassaAppClient::readInt(document, "w"), 12);
    EXPECT_EQ(KassaAppClient::readInt(document, "neg"), -1);
    EXPECT_EQ(KassaAppClient::readUnsigned(document, "w"), 12u);
    EXPECT_EQ(KassaAppClient::readUnsigned(document, "big"), 3000000000u);
    EXPECT_EQ(KassaAppClient::readUnsigned(document, "u"), 4294967295u);
    EXPECT_EQ(KassaAppClient::readUnsigned(document, "i"), static_cast<uint32_t>(-7));
    EXPECT_EQ(KassaAppClient::optionalUnsigned(document, "neg"), 4294967295u);
    EXPECT_EQ(KassaAppClient::readDouble(document, "d"), 2.5);
    EXPECT_EQ(KassaAppClient::readDouble(document, "i"), -7.0);
    EXPECT_EQ(KassaAppClient::readDouble(document, "u"), 4294967295.0);
    EXPECT_TRUE(KassaAppClient::readBool(document, "t"));
    EXPECT_EQ(KassaAppClient::require(document, "o")["k"].GetInt(), 1);
}

TEST_F(Readers, OnlyTheLiteralTrueIsTrue) {
    for (const char* key : {"one", "ts", "n", "o", "i"}) {
        EXPECT_FALSE(KassaAppClient::readBool(document, key)) << key;
    }
}

TEST_F(Readers, AbsentOrMistypedRequiredValueIsCodeSixNamingTheKey) {
    const auto missing = [](const char* key) {
        return std::make_pair(
            6, std::string("В ответе отсутствует обязательный параметр \"") + key + "\"");
    };
    EXPECT_EQ(Failure([&] { KassaAppClient::readString(document, "absent"); }), missing("absent"));
    EXPECT_EQ(Failure([&] { KassaAppClient::readString(document, "i"); }), missing("i"));
    EXPECT_EQ(Failure([&] { KassaAppClient::readString(document, "n"); }), missing("n"));
    EXPECT_EQ(Failure([&] { KassaAppClient::readInt(document, "d"); }), missing("d"));
    EXPECT_EQ(Failure([&] { KassaAppClient::readInt(document, "u"); }), missing("u"));
    EXPECT_EQ(Failure([&] { KassaAppClient::readInt(document, "big"); }), missing("big"));
    EXPECT_EQ(Failure([&] { KassaAppClient::readUnsigned(document, "d"); }), missing("d"));
    EXPECT_EQ(Failure([&] { KassaAppClient::readUnsigned(document, "over"); }), missing("over"));
    EXPECT_EQ(Failure([&] { KassaAppClient::readUnsigned(document, "huge"); }), missing("huge"));
    EXPECT_EQ(Failure([&] { KassaAppClient::readInt(document, "s"); }), missing("s"));
    EXPECT_EQ(Failure([&] { KassaAppClient::readDouble(document, "ts"); }), missing("ts"));
    EXPECT_EQ(Failure([&] { KassaAppClient::readBool(document, "absent"); }), missing("absent"));
    // A result that is no object has no members at all.
    const rapidjson::Value array(rapidjson::kArrayType);
    EXPECT_EQ(Failure([&] { KassaAppClient::require(array, "s"); }), missing("s"));
    EXPECT_EQ(Failure([&] { KassaAppClient::readString(rapidjson::Value(), "s"); }), missing("s"));
}

TEST_F(Readers, OptionalFormsGiveNothingForAnAbsentOrMistypedMember) {
    const rapidjson::Value& absent = KassaAppClient::member(document, "absent");
    EXPECT_TRUE(absent.IsNull());
    EXPECT_TRUE(KassaAppClient::member(absent, "deeper").IsNull());
    EXPECT_FALSE(KassaAppClient::optionalInt(document, "absent"));
    EXPECT_FALSE(KassaAppClient::optionalInt(document, "s"));
    EXPECT_FALSE(KassaAppClient::optionalDouble(absent, "d"));
    EXPECT_FALSE(KassaAppClient::optionalString(document, "i"));
    EXPECT_FALSE(KassaAppClient::optionalBool(document, "absent"));
    EXPECT_EQ(KassaAppClient::optionalBool(document, "one"), false);
    EXPECT_EQ(KassaAppClient::optionalDouble(document, "i"), -7.0);
}

// A loopback listener whose accept queue is full, so that the kernel drops
// every further handshake and a connect to it can only wait. port() is 0
// when the queue could not be seen full.
class FullAcceptQueue {
  public:
    FullAcceptQueue() {
#if defined(_WIN32)
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
#endif
        listener_ = static_cast<intptr_t>(socket(AF_INET, SOCK_STREAM, 0));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        const auto native = static_cast<decltype(socket(0, 0, 0))>(listener_);
        if (bind(native, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(native, 0) != 0 ||
            getsockname(native, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            return;
        }
        // Connections nobody accepts fill the queue; the first one that
        // cannot complete shows that it is full.
        const platform::Ipv4Address loopback{htonl(INADDR_LOOPBACK), false};
        for (int i = 0; i < 16; ++i) {
            platform::Socket& filler = fillers_.emplace_back();
            if (!filler.Open()) return;
            if (!filler.Connect(loopback, ntohs(address.sin_port),
                                std::chrono::milliseconds(200))) {
                port_ = ntohs(address.sin_port);
                return;
            }
        }
    }
    ~FullAcceptQueue() {
        fillers_.clear();
#if defined(_WIN32)
        closesocket(static_cast<SOCKET>(listener_));
        WSACleanup();
#else
        close(static_cast<int>(listener_));
#endif
    }
    uint16_t port() const { return port_; }

  private:
    intptr_t listener_ = -1;
    std::deque<platform::Socket> fillers_;
    uint16_t port_ = 0;
};

TEST(KassaAppClientInvoke, ConnectThatCannotCompleteGivesUpAtTheLimitWithCodeOne) {
    EXPECT_EQ(DriverSettings().ConnectLimit, std::chrono::seconds(10));
    FullAcceptQueue full;
    ASSERT_NE(full.port(), 0) << "the loopback accept queue never filled";
    ExchangeLog log("");
    std::string line;
    KassaAppClient client(log, line);
    client.Settings().ServerHost = "127.0.0.1";
    client.Settings().ServerPort = full.port();
    client.Settings().ConnectLimit = std::chrono::milliseconds(300);
    JsonRpcResult out;
    const auto started = std::chrono::steady_clock::now();
    try {
        client.invoke("DeviceTest", {}, out);
        ADD_FAILURE() << "connected through a full accept queue";
    } catch (const ZarvikKassaErrorException& e) {
        EXPECT_EQ(e.code, DriverErrorCode::ConnectionError);
        EXPECT_EQ(e.message, "Connect timed out");
    }
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_GE(waited, std::chrono::milliseconds(300));
    EXPECT_LT(waited, std::chrono::seconds(5));
}

TEST(ResolveIpv4, DottedAddressSkipsTheLookupAndNamesGoThroughIt) {
    const auto dotted = platform::ResolveIpv4("127.0.0.1");
    ASSERT_TRUE(dotted.has_value());
    EXPECT_FALSE(dotted->fromNameLookup);
    const unsigned char loopback[4] = {127, 0, 0, 1};
    EXPECT_EQ(std::memcmp(&dotted->networkOrder, loopback, 4), 0);

    const auto named = platform::ResolveIpv4("localhost");
    ASSERT_TRUE(named.has_value());
    EXPECT_TRUE(named->fromNameLookup);
    EXPECT_EQ(reinterpret_cast<const unsigned char*>(&named->networkOrder)[0], 127);

    EXPECT_FALSE(platform::ResolveIpv4("no-such-host.invalid").has_value());
}

}  // namespace
}  // namespace zarvik
