// The pieces of the app link that need no companion: the typed result
// readers, and a connect that cannot complete.
#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <functional>
#include <map>
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

#include "applink/kassa_app_client.h"
#include "core/driver_error.h"
#include "core/numbers.h"
#include "log/exchange_log.h"
#include "platform/socket.h"

namespace zarvik {
namespace {

// Whole numbers however written; unsigned fields up to 2^32 - 1, a negative
// one keeping its 32 bits; only the literal true is true. An absent or
// mistyped required value is code 6 naming the key.
TEST(Readers, ReadTheirOwnTypeOrRefuseNamingTheKey) {
    rapidjson::Document result;
    result.Parse(R"({"s":"Касса","i":-7,"u":4294967295,"d":2.5,"t":true,"one":1,"ts":"true",
                     "w":12.0,"big":3000000000,"low":-3000000000,"over":4294967296,"neg":-1.0,
                     "huge":1e300,"tiny":-1e300})");
    using Client = KassaAppClient;
    const std::map<char, std::function<std::string(const char*)>> read = {
        {'s', [&](auto key) { return Client::readString(result, key); }},
        {'i', [&](auto key) { return FormatInt(Client::readInt(result, key)); }},
        {'u', [&](auto key) { return FormatUnsigned(Client::readUnsigned(result, key)); }},
        {'d', [&](auto key) { return FormatDouble(Client::readDouble(result, key)); }},
        {'b', [&](auto key) { return std::string(Client::readBool(result, key) ? "1" : "0"); }},
    };
    const char* const refused = "code 6";
    const std::tuple<char, const char*, const char*> rows[] = {
        {'s', "s", "Касса"},      {'s', "i", refused},      {'s', "absent", refused},
        {'i', "i", "-7"},         {'i', "w", "12"},         {'i', "neg", "-1"},
        {'i', "d", refused},      {'i', "u", refused},      {'i', "big", refused},
        {'i', "tiny", refused},   {'u', "w", "12"},         {'u', "big", "3000000000"},
        {'u', "u", "4294967295"}, {'u', "i", "4294967289"}, {'u', "neg", "4294967295"},
        {'u', "d", refused},      {'u', "over", refused},   {'u', "low", refused},
        {'u', "huge", refused},   {'d', "i", "-7"},         {'d', "u", "4294967295"},
        {'d', "ts", refused},     {'b', "t", "1"},          {'b', "one", "0"},
        {'b', "ts", "0"},         {'b', "absent", refused},
    };
    for (const auto& [type, key, value] : rows) {
        std::string got;
        try {
            got = read.at(type)(key);
        } catch (const ZarvikKassaErrorException& e) {
            got = e.code == DriverErrorCode::MissingParameterError ? refused : "another code";
            EXPECT_EQ(e.message,
                      std::string("В ответе отсутствует обязательный параметр \"") + key + "\"");
        }
        EXPECT_EQ(got, value) << type << " " << key;
    }
}

// A loopback listener whose accept queue is full: the kernel drops every
// further handshake, and a connect to it can only wait.
TEST(KassaAppClientInvoke, ConnectThatCannotCompleteGivesUpAtTheLimitWithCodeOne) {
    EXPECT_EQ(DriverSettings().ConnectLimit, std::chrono::seconds(10));
#if defined(_WIN32)
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
#endif
    const auto listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 0), 0);
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const uint16_t port = ntohs(address.sin_port);
    // Connections nobody accepts fill the queue; the first one that cannot
    // complete shows that it is full.
    std::deque<platform::Socket> fillers;
    bool full = false;
    for (int i = 0; i < 16 && !full; ++i) {
        platform::Socket& filler = fillers.emplace_back();
        full = filler.Open() && !filler.Connect({htonl(INADDR_LOOPBACK), false}, port,
                                                std::chrono::milliseconds(200));
    }
    ASSERT_TRUE(full) << "the loopback accept queue never filled";

    ExchangeLog log("");
    std::string line;
    KassaAppClient client(log, line);
    client.Settings().ServerHost = "127.0.0.1";
    client.Settings().ServerPort = port;
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
    fillers.clear();
#if defined(_WIN32)
    closesocket(listener);
    WSACleanup();
#else
    close(listener);
#endif
}

}  // namespace
}  // namespace zarvik
