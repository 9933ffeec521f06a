// The link to the companion application under awkward peers and failures:
// answers that come in pieces, fill the read buffer exactly, carry trailing
// data, nest too deep or grow too large, every driver error code from a real
// exchange, and what the exchange log shows of it.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "applink/answer_framer.h"
#include "component_fixture.h"
#include "platform_emulator.h"
#include "test_companion.h"

namespace zarvik::test {
namespace {

using namespace std::chrono_literals;

const char* const kParseFailed = "The server responded incorrectly, the answer is json.";

using AppLink = ComponentWithCompanion;

// A whole answer of exactly `size` bytes whose description is all 'x'.
std::string AnswerOfSize(size_t size) {
    const std::string head = R"({"result":{"Description":")";
    const std::string tail = "\"}}";
    return head + std::string(size - head.size() - tail.size(), 'x') + tail;
}

// Whatever comes back, as DeviceTest shows it and as any other call reports
// it to the platform: the framing of the answer (pieces, trailing values,
// zero bytes, nesting, sizes that fill the reads exactly or pass the
// buffers), the shapes of its error member and the failures of the
// connection, each with its code and its fixed report; and the exchange log
// with the request as sent, the answer as received or why it was not taken.
TEST_F(AppLink, AnswersAndFailuresAsTheCallsReportThemAndTheLogShowsThem) {
    using Arrange = std::function<void(const std::string& method)>;
    const auto raw = [&](std::string bytes, Delivery delivery = Delivery().thenClose()) -> Arrange {
        return [this, bytes, delivery](auto& method) { companion.onRaw(method, bytes, delivery); };
    };
    const auto nested = [&](int depth) {  // the answer's own two objects count
        return raw(R"({"result":{"Description":"ok","x":)" + std::string(depth - 2, '[') +
                   std::string(depth - 2, ']') + "}}");
    };
    const std::string otherId = R"({"id":99,"jsonrpc":"1.0","result":{"Description":"other id"}} )";
    struct Row {
        Arrange arrange;
        bool ok;
        std::string text;
        int code;              // of GetLastError after another call; 0 for a success
        std::string log = {};  // after the request in the log
    };
    std::vector<Row> rows = {
        {[&](auto&) { component.Connect("no-such-host.invalid", companion.port()); }, false,
         "Failed to resolve hostname", 2},
        {[&](auto& method) { companion.onClose(method); }, false, "Response empty.", 3,
         "WARN: Empty response"},
        {raw("OK"), false, kParseFailed, 4},
        {[&](auto& method) {
             component.Connect("localhost", companion.port());
             companion.onResult(method, R"({"Description":"by name"})");
         },
         true, "by name", 0},
        // Braces, brackets and escaped quotes inside strings do not end the answer early.
        {[&](auto& method) {
             companion.onResult(method, R"({"Description":"a}b]\"{c\\","x":["}",{"y":"\"]"}]})",
                                Delivery().inPieces(12, 15ms));
         },
         true, "a}b]\"{c\\", 0},
        {[&](auto& method) {
             companion.onResult(method, R"({"Description":"ok"})",
                                Delivery().withTrailing(R"({"jsonrpc":"2.0","id":2,"result":{}})"));
         },
         false, kParseFailed, 4},
        {raw(std::string("{\"result\":{\"Description\":\"a\0b\"}}", 33)), false, kParseFailed, 4},
        {raw(std::string("{\"result\":{}}\0{}", 16)), false, kParseFailed, 4},
        // In single bytes, or after a long pause: read the same, no time-out.
        {raw(R"({"result":{"Description":"a \"}]\" b"}})", Delivery().inPieces(39, 1ms).keepOpen()),
         true, "a \"}]\" b", 0},
        {raw(R"({"result":{"Description":"a"}})", Delivery().inPieces(2, 2500ms).keepOpen()), true,
         "a", 0},
        // Anything but an object ends at its first byte, else the call would wait.
        {raw("[1,2]\n", Delivery().keepOpen()), false, kParseFailed, 4},
        {raw("  \r\n\t"), false, kParseFailed, 4},
        {nested(AnswerFramer::kMaxDepth), true, "ok", 0},
        {nested(AnswerFramer::kMaxDepth + 1), false, kParseFailed, 4},
        {raw(R"({"error":{"code":1,"message":"Смена превысила 24 часа"}})"), false,
         "Смена превысила 24 часа", 5},
        {raw(R"({"error":{"code":1}})"), false, "The server returned an error.", 5},
        {raw(R"({"error":{"message":17}})"), false, "The server returned an error.", 5},
        {raw(R"({"error":"boom","result":{}})"), false, "The server returned an error.", 5},
        {raw(otherId), true, "other id", 0, "INFO: " + otherId},
        {raw(R"({"jsonrpc":"2.0","id":1})"), true, "", 0},  // no result: a null one
        {raw(AnswerOfSize((size_t{64} << 20) + 1)), false, kParseFailed, 4,
         "WARN: Response larger than 64 MiB"},
    };
    // Whole, whether the peer closes or keeps the connection open.
    for (size_t size : {128u, 256u, 4096u, 8192u, 3u << 20}) {
        for (const Delivery& delivery : {Delivery().thenClose(), Delivery().keepOpen()}) {
            rows.push_back(
                {raw(AnswerOfSize(size), delivery), true, std::string(size - 29, 'x'), 0});
        }
    }
    const std::map<int, std::string> reports = {
        {2, "Невозможно определить hosthame приложения."},
        {3, "Приложение ЗАРВИК Кассы вернуло пустой результат."},
        {4, "Ошибка при обработке ответа от Приложение ЗАРВИК Кассы."},
        {5, "\nПриложение ЗАРВИК Кассы вернуло ошибку."},  // after the companion's message
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(&row - rows.data());
        component.Connect("127.0.0.1", companion.port());
        companion.clear();
        row.arrange("DeviceTest");
        row.arrange("OpenCashDrawer");
        const size_t logFrom = row.log.empty() ? 0 : ReadLogText(logPath).size();
        // DeviceTest shows the message of any failure and the description of a success.
        const CallOutcome test = component.Call("DeviceTest", {Param::Empty(), Param::Empty()});
        EXPECT_TRUE(test.returned && component.connection.errors.empty());
        EXPECT_EQ(test.result.flag, row.ok);
        EXPECT_EQ(test.params[0].text, row.text);
        if (!row.log.empty()) {
            const std::string log = ReadLogText(logPath).substr(logFrom);
            const size_t sent = log.find("INFO: " + companion.requests().at(0).raw);
            EXPECT_NE(log.find(row.log, sent), std::string::npos) << log.substr(0, 2000);
        }

        EXPECT_EQ(component.Call("OpenCashDrawer", {Param::Empty()}).result.flag, row.ok);
        std::string reported;
        for (const ErrorReport& report : component.connection.errors) {
            EXPECT_EQ(report.code, row.code);
            EXPECT_EQ(report.scode, row.code);
            EXPECT_EQ(report.source, "ZARVIK Duzar");
            reported += (reported.empty() ? "" : "\n") + report.description;
        }
        component.connection.errors.clear();
        EXPECT_EQ(reported, row.code == 0   ? ""
                            : row.code == 5 ? row.text + reports.at(5)
                                            : reports.at(row.code));
        // GetLastError gives the code and every report's text, one line each.
        const CallOutcome last = component.Call("GetLastError", {Param::Empty()});
        EXPECT_EQ(last.result.i4, row.code);
        EXPECT_EQ(last.params[0].text, reported);
    }
}

}  // namespace
}  // namespace zarvik::test
