// Every operation end to end, a row per case, read from the scenario files in
// tests/data/operations (README.md there gives their format): the call the
// platform makes, the companion's answers, the requests it receives, what the
// platform gets back and the call's log. Every request of every row is also
// checked for its envelope, PosId, a counter that advances by one per request,
// and records written exactly as the compact JSON writer writes them.
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdint>
#include <functional>
#include <iostream>
#include <map>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "../unit/test_data.h"
#include "component_fixture.h"

namespace zarvik::test {
namespace {

struct Row {
    std::string where;  // file:line of its call
    std::string method;
    std::vector<Param> args = {};
    std::vector<std::function<void(TestCompanion&)>> answers = {};
    std::vector<std::string> sent = {};  // "Method params-after-the-counter"; '*' ends a prefix
    std::string written = {};            // "[index] value" of each out-parameter written
    std::string report = {};             // "code description" of the first AddError
    std::string last = {};  // "code description" of GetLastError after a failure not reported
    std::vector<std::string> log = {};     // pieces of the call's log, in order
    std::vector<std::string> absent = {};  // pieces never in it
    bool unreachable = false;              // nobody listens on the companion's port
};

// The first word of `text`, taken off it with the blanks after it.
std::string Word(std::string& text) {
    const size_t end = std::min(text.find_first_of(" \n"), text.size());
    std::string word = text.substr(0, end);
    text.erase(0, std::min(text.find_first_not_of(' ', end), text.size()));
    return word;
}

// $NAME is a definition's text; ${NAME/from/to} the same with its first `from` made `to`.
std::string Expand(const std::string& text, const std::map<std::string, std::string>& defined) {
    static const std::regex use(R"(\$([A-Z0-9_]+)|\$\{([A-Z0-9_]+)/([^/}]+)/([^}]*)\})");
    std::string out;
    auto at = text.begin();
    long uses = 0;
    for (std::sregex_iterator it(text.begin(), text.end(), use), end; it != end; ++it, ++uses) {
        const std::smatch& match = *it;
        out.append(at, match[0].first);
        at = match[0].second;
        const auto found = defined.find(match[match[1].matched ? 1 : 2]);
        if (found == defined.end()) throw std::runtime_error("no definition " + match.str());
        std::string value = found->second;
        const size_t hit = value.find(match[3]);
        if (match[2].matched && hit == std::string::npos)
            throw std::runtime_error(match.str() + " replaces nothing");
        if (match[2].matched) value.replace(hit, match[3].length(), match[4]);
        out += value;
    }
    if (std::count(text.begin(), text.end(), '$') != uses) throw std::runtime_error("a stray $");
    return out.append(at, text.end());
}

Param Arg(std::string text) {
    const std::string type = Word(text);
    if (type == "str") return Param::Str(text);
    if (type == "empty" && text.empty()) return Param::Empty();
    if (type == "bool" && (text == "true" || text == "false")) return Param::Bool(text == "true");
    if (type == "i4") return Param::I4(std::stoi(text));
    if (type == "ui4") return Param::UI4(static_cast<uint32_t>(std::stoul(text)));
    if (type == "r8") return Param::R8(std::stod(text));
    throw std::runtime_error("not an argument: " + type + " " + text);
}

// The rows of one file; a line it cannot read fails the test with its place.
std::vector<Row> ReadScenarios(const std::string& name,
                               std::map<std::string, std::string> defined) {
    std::vector<std::pair<std::string, std::string>> lines;  // place, text with its continuations
    for (auto& [where, line] : test_data::Lines("operations/" + name)) {
        if (line[0] != '|') {
            lines.push_back({where, line});
        } else if (lines.empty() || (line.size() > 1 && line[1] != ' ')) {
            throw std::runtime_error(where + ": '|' continues a line with '| '");
        } else {
            lines.back().second += "\n" + line.substr(std::min<size_t>(2, line.size()));
        }
    }
    std::vector<Row> rows;
    for (auto& [where, rest] : lines) try {
            const std::string key = Word(rest);
            if (key == "define") {
                const std::string define = Word(rest);
                defined[define] = Expand(rest, defined);
                continue;
            }
            rest = Expand(rest, defined);
            if (key == "call") {
                rows.push_back({where, rest});
            } else if (rows.empty()) {
                throw std::runtime_error("'" + key + "' before the first call");
            } else if (Row& row = rows.back(); key == "arg") {
                row.args.push_back(Arg(rest));
            } else if (key == "answer" || key == "refuse" || key == "raw") {
                const std::string method = Word(rest);
                row.answers.push_back([key, method, text = rest](TestCompanion& companion) {
                    if (key == "answer") companion.onResult(method, text);
                    if (key == "refuse") companion.onError(method, -1, text);
                    if (key == "raw") companion.onRaw(method, text);
                });
            } else if (key == "sent") {
                row.sent.push_back(rest);
            } else if (key == "out") {
                row.written += "[" + std::to_string(std::stoul(Word(rest))) + "] " + rest;
            } else if (key == "report" || key == "last") {
                (key == "report" ? row.report : row.last) = rest;
            } else if (key == "log" || key == "nolog") {
                (key == "log" ? row.log : row.absent).push_back(rest);
            } else if (key == "unreachable" && rest.empty()) {
                row.unreachable = true;
            } else {
                throw std::runtime_error("unknown line '" + key + "'");
            }
        } catch (const std::exception& error) {
            throw std::runtime_error(where + ": " + error.what());
        }
    if (rows.empty()) throw std::runtime_error(name + ": no rows");
    return rows;
}

// A record travels as JSON text inside a JSON string.
void ExpectCompactRecord(const std::string& param) {
    rapidjson::Document outer, inner;
    if (!outer.Parse(param.c_str(), param.size()).IsString()) return;
    const std::string text(outer.GetString(), outer.GetStringLength());
    if (inner.Parse(text.c_str(), text.size()).HasParseError()) return;
    EXPECT_EQ(test_data::Compact(inner), text);
}

const char* const kPosId = "Касса \"1\"\\\t\x1D";
const char* const kPosIdOnWire = R"("Касса \"1\"\\\t\u001D")";

class Operations : public ComponentWithCompanion {
  protected:
    void SetUp() override { component.Connect("127.0.0.1", companion.port(), kPosId); }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }

    void RunFile(const std::string& name, const std::map<std::string, std::string>& defined = {}) {
        const std::vector<Row> rows = ReadScenarios(name, defined);
        // The rows run with the whole process switched to a comma-decimal
        // locale after SetLocale, as another component of the process may do:
        // no number sent, read or printed may change.
        if (std::setlocale(LC_ALL, "ru_RU.UTF-8") == nullptr &&
            std::setlocale(LC_ALL, "Russian_Russia.1251") == nullptr) {
            ADD_FAILURE() << "no comma-decimal locale on this machine";
        }
        for (const Row& row : rows) Run(row);
        std::cout << "[          ] " << rows.size() << " rows of " << name << "\n";
    }

    void Run(const Row& row) {
        SCOPED_TRACE(row.where + ": " + row.method);
        companion.clear();
        for (const auto& answer : row.answers) answer(companion);
        if (row.unreachable) component.Connect("127.0.0.1", TestCompanion::ClosedPort(), kPosId);
        const size_t logFrom = ReadLogText(logPath).size();
        const CallOutcome outcome = component.Call(row.method, row.args);
        EXPECT_TRUE(outcome.returned);
        EXPECT_EQ(outcome.result.flag, row.report.empty() && row.last.empty());

        std::string written;
        for (size_t i = 0; i < outcome.params.size(); ++i) {
            const Value& value = outcome.params[i];
            if (value.untouched) continue;
            written += "[" + std::to_string(i) + "] " +
                       (value.vt == VTYPE_I4 ? "i4 " + std::to_string(value.i4) : value.text);
        }
        EXPECT_EQ(written, row.written);

        auto& errors = component.connection.errors;
        EXPECT_EQ(errors.size(), row.report.empty() ? 0u : row.report[0] == '5' ? 2u : 1u);
        EXPECT_EQ(
            errors.empty() ? "" : std::to_string(errors[0].code) + " " + errors[0].description,
            row.report);
        errors.clear();
        if (!row.last.empty()) {
            const CallOutcome last = component.Call("GetLastError", {Param::Empty()});
            EXPECT_EQ(std::to_string(last.result.i4) + " " + last.params[0].text, row.last);
        }
        if (row.unreachable) {
            component.Connect("127.0.0.1", companion.port(), kPosId);
            counter_ = 0;  // the attempt took a number
        }

        const auto requests = companion.requests();
        std::vector<std::string> sent;
        for (size_t i = 0; i < requests.size(); ++i) {
            sent.push_back(Sent(requests[i]));
            if (i < row.sent.size() && row.sent[i].back() == '*') {
                sent.back().resize(std::min(sent.back().size(), row.sent[i].size() - 1));
                sent.back() += '*';
            }
        }
        EXPECT_EQ(sent, row.sent);

        const std::string log = ReadLogText(logPath).substr(logFrom);
        size_t at = 0;
        for (const std::string& piece : row.log) {
            const size_t found = log.find(piece, at);
            ASSERT_NE(found, std::string::npos) << "missing in order: " << piece << "\n" << log;
            at = found + piece.size();
        }
        for (const std::string& piece : row.absent) {
            EXPECT_EQ(log.find(piece), std::string::npos) << piece << "\n" << log;
        }
    }

    // The request as the compact writer would frame it; its parameters after the counter.
    std::string Sent(const RecordedRequest& request) {
        EXPECT_EQ(request.raw, "{\"jsonrpc\":\"2.0\",\"id\":" + request.id + ",\"method\":\"" +
                                   request.method + "\",\"params\":" + request.params + "}\r\n");
        if (request.paramList.size() < 2) return request.raw;
        EXPECT_EQ(request.paramList[0], kPosIdOnWire);
        // The counter goes out unsigned, the id as its signed twin.
        const auto counter = static_cast<uint32_t>(std::stoull(request.paramList[1]));
        EXPECT_EQ(request.id, std::to_string(static_cast<int32_t>(counter)));
        if (counter_ != 0) {
            EXPECT_EQ(counter, counter_ + 1);
        }
        counter_ = counter;
        std::string line = request.method;
        for (size_t i = 2; i < request.paramList.size(); ++i) {
            line += (i == 2 ? " " : ",") + request.paramList[i];
            ExpectCompactRecord(request.paramList[i]);
        }
        return line;
    }

    uint32_t counter_ = 0;
};

TEST_F(Operations, DeviceTestAndDataKKT) { RunFile("device.txt"); }
TEST_F(Operations, ShiftStatusAndReports) { RunFile("shift_status_reports.txt"); }
TEST_F(Operations, CashAndService) { RunFile("cash_and_service.txt"); }
TEST_F(Operations, MarkingCodes) { RunFile("marking_codes.txt"); }
TEST_F(Operations, TextDocuments) { RunFile("text_documents.txt"); }
TEST_F(Operations, Receipts) { RunFile("receipts.txt"); }

// PosId goes out empty while never set.
TEST_F(Operations, PosIdEmptyWhileNeverSet) {
    companion.onResult("DeviceTest", "{}");
    EmulatedComponent fresh(Component());
    fresh.Call("SetParameter", {Param::Str("ServerHost"), Param::Str("127.0.0.1")});
    fresh.Call("SetParameter", {Param::Str("ServerPort"), Param::I4(companion.port())});
    EXPECT_TRUE(fresh.Call("DeviceTest", {Param::Empty(), Param::Empty()}).result.flag);
    EXPECT_EQ(companion.requests().at(0).paramList.at(0), R"("")");
}

#if defined(__SANITIZE_ADDRESS__)
constexpr std::chrono::seconds kThousandPositionsBudget{3};  // the sanitizers slow every step
#else
constexpr std::chrono::seconds kThousandPositionsBudget{1};
#endif

TEST_F(Operations, ThousandPositionsGoThroughWellUnderASecond) {
    std::string positions;
    for (int i = 1; i <= 1000; ++i) {
        positions += R"(<FiscalString Name="Товар )" + std::to_string(i) +
                     R"(" Quantity="1.5" PriceWithDiscount="99.9" AmountWithDiscount="149.85")"
                     R"( DiscountAmount="1" VATRate="20" VATAmount="24.98" PaymentMethod="4")"
                     R"( CalculationSubject="33" MeasureOfQuantity="0")"
                     R"( MarkingCode="0104606203098187215Nk7tQ&#x1D;93dGVz">)"
                     R"(<GoodCodeData EAN13="4606203098187"/></FiscalString>)";
    }
    const auto start = std::chrono::steady_clock::now();
    RunFile("thousand_positions.txt", {{"POSITIONS", positions}});
    EXPECT_LT(std::chrono::steady_clock::now() - start, kThousandPositionsBudget);
    EXPECT_NE(companion.requests().at(0).raw.find(R"(\"Name\":\"Товар 1000\")"), std::string::npos);
}

}  // namespace
}  // namespace zarvik::test
