// A log that cannot be written (full disk, a file that stopped growing, a
// path that cannot be opened) never costs a fiscal operation: calls work, and
// a failure is still reported as one.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "fault_support.h"
#include "platform_emulator.h"
#include "test_companion.h"

#if !defined(_WIN32)
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#endif

namespace zarvik::test {
namespace {

const char* const kCheck =
    R"(<CheckPackage><Parameters CashierName="Петрова" OperationType="1" TaxationSystem="0"/>)"
    R"(<Positions><FiscalString Name="Хлеб" Quantity="1" PriceWithDiscount="45.9")"
    R"( AmountWithDiscount="45.9" VATRate="10" VATAmount="4.17"/></Positions>)"
    R"(<Payments Cash="50"/></CheckPackage>)";

class LogFaults : public ::testing::Test {
  protected:
    void SetUp() override {
        // The log's folder exists, so that whatever stands at the log's path is ours.
        std::filesystem::create_directories(std::filesystem::u8path(logPath).parent_path());
        companion.onResult("GetLineLength", R"({"LineLength":48})");
        companion.onError("OpenCashDrawer", -1, "Денежный ящик не подключен");
        companion.onResult("ProcessCheck", R"({"CheckNumber":12,"SessionNumber":3})");
        companion.onResult(
            "GetDocumentOutputParametersAdditionals",
            R"({"ShiftClosingCheckNumber":4,"DateTimeFiscal":"2026-12-06T21:05:00"})");
    }

    void Open() {
        component = std::make_unique<EmulatedComponent>(Component());
        ASSERT_TRUE(component->created());
        component->Connect("127.0.0.1", companion.port());
    }

    // A success, a receipt, the companion's refusal and bad input, each told truly.
    void ExpectCallsTellTheTruth() {
        const CallOutcome length =
            component->Call("GetLineLength", {Param::Empty(), Param::Empty()});
        EXPECT_TRUE(length.result.flag);
        EXPECT_EQ(length.params[1].i4, 48);
        EXPECT_TRUE(component->connection.errors.empty());

        const CallOutcome receipt = component->Call(
            "ProcessCheck",
            {Param::Empty(), Param::Bool(false), Param::Str(kCheck), Param::Empty()});
        EXPECT_TRUE(receipt.result.flag);
        EXPECT_NE(receipt.params[3].text.find("CheckNumber=\"12\""), std::string::npos);
        EXPECT_TRUE(component->connection.errors.empty());

        const CallOutcome drawer = component->Call("OpenCashDrawer", {Param::Empty()});
        EXPECT_TRUE(drawer.returned);
        EXPECT_FALSE(drawer.result.flag);
        ExpectReportedOnce(*component, 5);

        const CallOutcome shift =
            component->Call("OpenShift", {Param::Empty(), Param::Str("<broken"), Param::Empty()});
        EXPECT_FALSE(shift.result.flag);
        ExpectReportedOnce(*component, 8);
    }

    std::string logPath = UseFreshLogFolder();
    TestCompanion companion;
    std::unique_ptr<EmulatedComponent> component;
};

TEST_F(LogFaults, LogPathThatCannotBeOpenedLeavesCallsWorking) {
    std::filesystem::create_directory(std::filesystem::u8path(logPath));
    Open();
    ExpectCallsTellTheTruth();
}

#if !defined(_WIN32)

// Writing as root, permission bits stop nothing; the full device refuses
// every write as a full disk does.
TEST_F(LogFaults, FullDiskLeavesCallsWorking) {
    ASSERT_EQ(::symlink("/dev/full", logPath.c_str()), 0);
    Open();
    ExpectCallsTellTheTruth();
}

// The file stops growing in mid-session (a quota, a file size limit): every
// later write fails.
TEST_F(LogFaults, LogThatStopsGrowingMidSessionLeavesCallsWorking) {
    Open();
    ExpectCallsTellTheTruth();
    const std::string before = ReadFile(logPath);
    ASSERT_FALSE(before.empty());

    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit limited = previous;
    limited.rlim_cur = static_cast<rlim_t>(before.size());
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    ExpectCallsTellTheTruth();
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(ReadFile(logPath), before);
    ExpectCallsTellTheTruth();  // and logging resumes once the file may grow again
    EXPECT_GT(ReadFile(logPath).size(), before.size());
}

#endif

}  // namespace
}  // namespace zarvik::test
