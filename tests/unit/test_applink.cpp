// The pieces of the app link that need no peer: where an answer ends and the
// typed result readers.
#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <functional>
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
    const std::pair<std::string, size_t> rows[] = {
        {answer, answer.size() - 1},
        {answer + "\r\n", answer.size() - 1},
        {answer.substr(0, answer.size() - 1), std::string::npos},
        // The first non-blank other than a brace ends it at once.
        {" \r\n\t[1,2,3]", 4},
        {"HTTP/1.1 400", 0},
        {" \r\n", std::string::npos},
    };
    for (const auto& [text, end] : rows) EXPECT_EQ(CompletesAt(text), end) << text;
    // Bytes after the end change nothing.
    AnswerFramer framer;
    EXPECT_EQ(framer.Feed(R"({}{"x":[)", 8), State::Complete);
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
    EXPECT_EQ(KassaAppClient::readDouble(document, "i"), -7.0);
    EXPECT_EQ(KassaAppClient::readDouble(document, "u"), 4294967295.0);
    // Only the literal true is true.
    EXPECT_TRUE(KassaAppClient::readBool(document, "t"));
    for (const char* key : {"one", "ts", "n", "o", "i"}) {
        EXPECT_FALSE(KassaAppClient::readBool(document, key)) << key;
    }
}

TEST_F(Readers, AbsentOrMistypedRequiredValueIsCodeSixNamingTheKey) {
    using Client = KassaAppClient;
    const rapidjson::Value array(rapidjson::kArrayType), null;
    const std::pair<std::function<void()>, const char*> rows[] = {
        {[&] { Client::readString(document, "absent"); }, "absent"},
        {[&] { Client::readString(document, "i"); }, "i"},
        {[&] { Client::readInt(document, "d"); }, "d"},
        {[&] { Client::readInt(document, "u"); }, "u"},
        {[&] { Client::readInt(document, "big"); }, "big"},
        {[&] { Client::readUnsigned(document, "d"); }, "d"},
        {[&] { Client::readUnsigned(document, "over"); }, "over"},
        {[&] { Client::readUnsigned(document, "huge"); }, "huge"},
        {[&] { Client::readDouble(document, "ts"); }, "ts"},
        {[&] { Client::readBool(document, "absent"); }, "absent"},
        // A result that is no object has no members at all.
        {[&] { Client::require(array, "s"); }, "s"},
        {[&] { Client::readString(null, "s"); }, "s"},
    };
    for (const auto& [read, key] : rows) {
        try {
            read();
            ADD_FAILURE() << key;
        } catch (const ZarvikKassaErrorException& e) {
            EXPECT_EQ(e.code, DriverErrorCode::MissingParameterError);
            EXPECT_EQ(e.message,
                      std::string("В ответе отсутствует обязательный параметр \"") + key + "\"");
        }
    }
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
    const auto started = std::chrono::steady_clock::now();
    try {
        client.invoke("DeviceTest", {});
        ADD_FAILURE() << "connected through a full accept queue";
    } catch (const ZarvikKassaErrorException& e) {
        EXPECT_EQ(e.code, DriverErrorCode::ConnectionError);
        EXPECT_EQ(e.message, "Connect timed out");
    }
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_GE(waited, std::chrono::milliseconds(300));
    EXPECT_LT(waited, std::chrono::seconds(5));
}

}  // namespace
}  // namespace zarvik
