// The emulator as the driver meets it: request lines in, answer lines out.
// It refuses what a real register refuses and every request that is not what
// the driver must send (the rows of tests/data/emulator_rows.txt, a day at
// the register among them), and it takes what the driver does send.
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include "emulator.h"
#include "model/check_encoding.h"
#include "model/check_package.h"
#include "request_checks.h"
#include "test_data.h"

namespace kassa {
namespace {

constexpr std::time_t kNoon = 1796558400;

class EmulatorRequests : public ::testing::Test {
  protected:
    EmulatorRequests() : emulator([this] { return now; }) {}

    // A request as the driver frames it: PosId and the counter equal to the id first.
    Exchange Send(const std::string& method, const std::string& own = "", int id = 7) {
        const std::string params =
            "[\"KASSA-01\"," + std::to_string(id) + (own.empty() ? "" : "," + own) + "]";
        return emulator.handle(R"({"jsonrpc":"2.0","id":)" + std::to_string(id) + R"(,"method":")" +
                               method + R"(","params":)" + params + "}");
    }

    static std::string Quoted(const std::string& text) {
        rapidjson::Value value(text.c_str(), static_cast<rapidjson::SizeType>(text.size()));
        return zarvik::test_data::Compact(value);
    }

    static int ErrorCode(const Exchange& exchange) {
        rapidjson::Document answer;
        answer.Parse(exchange.answer.c_str());
        return answer.HasMember("error") ? answer["error"]["code"].GetInt() : 0;
    }

    std::time_t now = kNoon;
    Emulator emulator;
};

TEST_F(EmulatorRequests, AnswersAndRefusals) {
    const auto rows = zarvik::test_data::Rows("emulator_rows.txt");
    EXPECT_GT(rows.size(), 60u);
    for (const auto& row : rows) {
        if (row.kind == "wait") {
            now += std::stoi(row.argument);
            continue;
        }
        Exchange exchange;
        if (row.kind == "raw") {
            exchange = emulator.handle(row.input);
        } else {
            rapidjson::Document own;
            own.Parse(("[" + row.input + "]").c_str());
            ASSERT_TRUE(own.IsArray()) << row.where;
            std::string params;
            for (const rapidjson::Value& value : own.GetArray()) {
                const std::string text = zarvik::test_data::Compact(value);
                params += (params.empty() ? "" : ",") + (value.IsObject() ? Quoted(text) : text);
            }
            exchange = Send(row.kind, params);
        }
        const size_t space = row.expected.find(' ');
        if (exchange.refused) {
            EXPECT_EQ(std::to_string(ErrorCode(exchange)), row.expected.substr(0, space))
                << row.where;
            EXPECT_NE(exchange.message.find(
                          space == std::string::npos ? "" : row.expected.substr(space + 1)),
                      std::string::npos)
                << row.where << ": " << exchange.message;
        } else {
            EXPECT_EQ(zarvik::test_data::At(exchange.answer, "/result" + row.argument),
                      row.expected)
                << row.where;
        }
        EXPECT_NE(exchange.refused, exchange.message.empty()) << row.where;
    }
    // A byte that is no UTF-8 after the request.
    EXPECT_EQ(ErrorCode(emulator.handle("{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"X\"}\xFF")),
              kParseError);
}

// The driver's documents with every part (the examples go through the
// emulator in the demo's day, KassaHost.CashiersDayAgainstTheEmulator).
TEST_F(EmulatorRequests, TakesWhatTheDriverSends) {
    for (const char* package :
         {"check_full_ffd12.xml", "check_minimal.xml", "check_correction.xml"}) {
        const std::string text = Quoted(zarvik::CheckDocumentText(
            zarvik::ParseCheckPackage(zarvik::test_data::DataFile(package))));
        const Exchange exchange = Send("ProcessCheck", R"("",false,)" + text);
        EXPECT_NE(ErrorCode(exchange), kInvalidParams) << package << ": " << exchange.message;
    }
}

}  // namespace
}  // namespace kassa
