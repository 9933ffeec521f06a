// The link to the companion application under real failures and awkward
// peers: every driver error code from a real exchange, answers that come in
// pieces, fill the read buffer exactly, carry trailing data, nest too deep
// or grow too large, and the settings that pick the peer.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "component_fixture.h"
#include "platform_emulator.h"
#include "test_companion.h"

namespace zarvik::test {
namespace {

using namespace std::chrono_literals;

const char* const kParseFailed = "The server responded incorrectly, the answer is json.";

class AppLink : public ComponentWithCompanion {
  protected:
    // DeviceTest shows the message of any failure and the description of a success.
    std::pair<bool, std::string> DeviceTest() {
        const CallOutcome outcome = component.Call("DeviceTest", {Param::Empty(), Param::Empty()});
        EXPECT_TRUE(outcome.returned);
        EXPECT_TRUE(component.connection.errors.empty());
        return {outcome.result.flag, outcome.params[0].text};
    }
};

// A whole answer of exactly `size` bytes whose description is all 'x'.
std::string AnswerOfSize(size_t size) {
    const std::string head = R"({"result":{"Description":")";
    const std::string tail = "\"}}";
    return head + std::string(size - head.size() - tail.size(), 'x') + tail;
}

TEST_F(AppLink, EveryFailureOfTheCompanionBecomesItsCode) {
    struct Case {
        const char* what;
        std::function<void()> arrange;
        std::vector<ErrorReport> reports;  // code and description only
    };
    const Case cases[] = {
        {"nobody listening",
         [&] { component.Connect("127.0.0.1", TestCompanion::ClosedPort()); },
         {{1, "", "Невозможно установить соединение с приложением.", 1}}},
        {"connection reset",
         [&] { companion.onReset("GetDataKKT"); },
         {{1, "", "Невозможно установить соединение с приложением.", 1}}},
        {"unknown host",
         [&] { component.Connect("no-such-host.invalid", companion.port()); },
         {{2, "", "Невозможно определить hosthame приложения.", 2}}},
        {"closed without answer",
         [&] { companion.onClose("GetDataKKT"); },
         {{3, "", "Приложение ЗАРВИК Кассы вернуло пустой результат.", 3}}},
        {"not JSON",
         [&] { companion.onRaw("GetDataKKT", "<html>busy</html>"); },
         {{4, "", "Ошибка при обработке ответа от Приложение ЗАРВИК Кассы.", 4}}},
        {"error object",
         [&] { companion.onError("GetDataKKT", 12, "Нет бумаги"); },
         {{5, "", "Нет бумаги", 5}, {5, "", "Приложение ЗАРВИК Кассы вернуло ошибку.", 5}}},
        {"key missing",
         [&] { companion.onResult("GetDataKKT", R"({"KKTSerialNumber":"1"})"); },
         {{6, "", "В ответе отсутствует обязательный параметр \"KKTNumber\"", 6}}},
    };
    for (const Case& c : cases) {
        component.Connect("127.0.0.1", companion.port());
        c.arrange();
        component.connection.errors.clear();
        const CallOutcome outcome = component.Call("GetDataKKT", {Param::Empty(), Param::Empty()});
        EXPECT_TRUE(outcome.returned) << c.what;
        EXPECT_FALSE(outcome.result.flag) << c.what;
        EXPECT_TRUE(outcome.params[1].untouched) << c.what;
        const auto& errors = component.connection.errors;
        ASSERT_EQ(errors.size(), c.reports.size()) << c.what;
        for (size_t i = 0; i < errors.size(); ++i) {
            EXPECT_EQ(errors[i].code, c.reports[i].code) << c.what;
            EXPECT_EQ(errors[i].scode, c.reports[i].scode) << c.what;
            EXPECT_EQ(errors[i].source, "ZARVIK Duzar") << c.what;
            EXPECT_EQ(errors[i].description, c.reports[i].description) << c.what;
        }
        // GetLastError gives the code and every report's text, one line each.
        const CallOutcome last = component.Call("GetLastError", {Param::Empty()});
        EXPECT_EQ(last.result.i4, c.reports[0].code) << c.what;
        EXPECT_EQ(last.params[0].text,
                  c.reports.back().code == 5
                      ? c.reports[0].description + "\n" + c.reports[1].description
                      : c.reports[0].description)
            << c.what;
    }
}

// DeviceTest shows the verdict and the text of whatever came back: the framing
// of the answer (pieces, trailing values, zero bytes, nesting) and the shapes
// of its error member.
TEST_F(AppLink, AnswersAsTheDeviceTestShowsThem) {
    const auto raw = [&](std::string bytes, Delivery delivery = Delivery().thenClose()) {
        return [this, bytes, delivery] { companion.onRaw("DeviceTest", bytes, delivery); };
    };
    const std::string depth(1000000, '['), undepth(1000000, ']');
    const struct {
        std::function<void()> arrange;
        bool ok;
        std::string text;
    } rows[] = {
        {[&] { component.Connect("no-such-host.invalid", companion.port()); }, false,
         "Failed to resolve hostname"},
        {[&] { companion.onReset("DeviceTest"); }, false, "Recv data failed"},
        {[&] { companion.onClose("DeviceTest"); }, false, "Response empty."},
        {raw("OK"), false, kParseFailed},
        {[&] {
             component.Connect("localhost", companion.port());
             companion.onResult("DeviceTest", R"({"Description":"by name"})");
         },
         true, "by name"},
        // Braces, brackets and escaped quotes inside strings do not end the answer early.
        {[&] {
             companion.onResult("DeviceTest",
                                R"({"Description":"a}b]\"{c\\","x":["}",{"y":"\"]"}]})",
                                Delivery().inPieces(12, 15ms));
         },
         true, "a}b]\"{c\\"},
        {[&] {
             companion.onResult("DeviceTest", R"({"Description":"ok"})",
                                Delivery().withTrailing(R"({"jsonrpc":"2.0","id":2,"result":{}})"));
         },
         false, kParseFailed},
        {raw(std::string("{\"result\":{\"Description\":\"a\0b\"}}", 33)), false, kParseFailed},
        {raw(std::string("{\"result\":{}}\0{}", 16)), false, kParseFailed},
        {raw("[1,2]\n", Delivery().keepOpen()), false, kParseFailed},
        {raw("null\n", Delivery().keepOpen()), false, kParseFailed},
        {raw("42\n", Delivery().keepOpen()), false, kParseFailed},
        {raw("  \r\n\t"), false, kParseFailed},
        {raw(R"({"result":{"Description":"cut)"), false, kParseFailed},
        {raw("{\"result\":" + depth + undepth + "}"), false, kParseFailed},
        {raw(R"({"result":{"Description":"ok","x":)" + std::string(40, '[') + std::string(40, ']') +
             "}}"),
         true, "ok"},
        {raw(R"({"result":{"Description":"ok"},"error":null})"), true, "ok"},
        {raw(R"({"error":{"code":1,"message":"Смена превысила 24 часа"}})"), false,
         "Смена превысила 24 часа"},
        {raw(R"({"error":{"code":1}})"), false, "The server returned an error."},
        {raw(R"({"error":{"message":17}})"), false, "The server returned an error."},
        {raw(R"({"error":"boom","result":{}})"), false, "The server returned an error."},
        {raw(R"({"error":false})"), false, "The server returned an error."},
        {raw(R"({"id":99,"jsonrpc":"1.0","result":{"Description":"other id"}})"), true, "other id"},
    };
    for (const auto& row : rows) {
        component.Connect("127.0.0.1", companion.port());
        row.arrange();
        EXPECT_EQ(DeviceTest(), std::make_pair(row.ok, row.text)) << &row - rows;
    }
}

TEST_F(AppLink, AnswerFillingTheReadsExactlyOrLargerThanTheBuffersIsReadWhole) {
    for (size_t size : {128u, 256u, 4096u, 8192u, 3u << 20}) {
        companion.onRaw("DeviceTest", AnswerOfSize(size));  // then the peer closes
        auto [ok, text] = DeviceTest();
        EXPECT_TRUE(ok) << size;
        EXPECT_EQ(text.size(), size - 29) << size;
        // And when the peer keeps the connection open, the end of the value ends the answer.
        companion.onRaw("DeviceTest", AnswerOfSize(size), Delivery().keepOpen());
        EXPECT_TRUE(DeviceTest().first) << size;
    }
}

TEST_F(AppLink, AnswerBeyond64MiBIsRefused) {
    companion.onRaw("DeviceTest", AnswerOfSize((size_t{64} << 20) + 1));
    EXPECT_EQ(DeviceTest(), std::make_pair(false, std::string(kParseFailed)));
    EXPECT_NE(ReadFile(logPath).find("WARN: Response larger than 64 MiB"), std::string::npos);
}

TEST_F(AppLink, ExchangeIsLoggedAsSentAndReceived) {
    companion.onRaw("DeviceTest", R"({"result":{"Description":"ok"}} )");
    EXPECT_TRUE(DeviceTest().first);
    companion.onClose("DeviceTest");
    EXPECT_FALSE(DeviceTest().first);

    const auto requests = companion.requests();
    ASSERT_EQ(requests.size(), 2u);
    // The request line is logged with its CR LF, which the Windows log
    // stores with one more CR: compare up to it.
    const auto lineOf = [](const std::string& raw) { return raw.substr(0, raw.size() - 2); };
    const std::string log = ReadFile(logPath);
    const size_t request = log.find("INFO: Request:");
    const size_t line = log.find("INFO: " + lineOf(requests[0].raw), request);
    const size_t response = log.find("INFO: Response:", line);
    const size_t answer = log.find(R"(INFO: {"result":{"Description":"ok"}} )", response);
    const size_t second = log.find("INFO: " + lineOf(requests[1].raw), answer);
    const size_t empty = log.find("WARN: Empty response", second);
    EXPECT_NE(request, std::string::npos);
    EXPECT_NE(line, std::string::npos);
    EXPECT_NE(response, std::string::npos);
    EXPECT_NE(answer, std::string::npos);
    EXPECT_NE(second, std::string::npos);
    EXPECT_NE(empty, std::string::npos) << log;
}

}  // namespace
}  // namespace zarvik::test
