// The exchange log as components write it: one file for all of them, and no
// component at all when its folder cannot be made.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

#include "platform_emulator.h"
#include "test_companion.h"

namespace zarvik::test {
namespace {

int CountOf(const std::string& text, const std::string& what) {
    int count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

TEST(ExchangeLogOfComponents, TwoComponentsAppendToOneFile) {
    const std::string logPath = UseFreshLogFolder();
    TestCompanion companion;
    companion.onResult("DeviceTest", R"({"Description":"Касса на связи"})");

    EmulatedComponent first(Component());
    EmulatedComponent second(Component());
    first.Connect("127.0.0.1", companion.port(), "КАССА-1");
    second.Connect("127.0.0.1", companion.port(), "КАССА-2");
    for (int round = 0; round < 3; ++round) {
        EXPECT_TRUE(first.Call("DeviceTest", {Param::Empty(), Param::Empty()}).result.flag);
        EXPECT_TRUE(second.Call("DeviceTest", {Param::Empty(), Param::Empty()}).result.flag);
    }

    const std::string log = ReadFile(logPath);
    EXPECT_EQ(CountOf(log, "INFO: Request:"), 6);
    EXPECT_EQ(CountOf(log, "\"params\":[\"КАССА-1\","), 3);
    EXPECT_EQ(CountOf(log, "\"params\":[\"КАССА-2\","), 3);
    EXPECT_EQ(CountOf(log, "INFO: Response:"), 6);
    EXPECT_EQ(CountOf(log, "Касса на связи"), 6);
#if defined(_WIN32)
    const char* lineEnd = "\r\n";
#else
    const char* lineEnd = "\n";
#endif
    const std::regex first_line(std::string("^\\[\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\] "
                                            "INFO: Request:") +
                                lineEnd);
    EXPECT_TRUE(std::regex_search(log, first_line)) << log;
}

TEST(ExchangeLogOfComponents, NoComponentWhenTheLogFolderCannotBeMade) {
#if defined(_WIN32)
    GTEST_SKIP() << "the Windows known folder is redirected by the Windows-only tests";
#else
    UseFreshLogFolder();
    const std::string blocker = std::string(std::getenv("XDG_DATA_HOME")) + "/not-a-folder";
    std::ofstream(blocker) << "a file where the data folder should be";
    setenv("XDG_DATA_HOME", blocker.c_str(), 1);

    IComponentBase* object = nullptr;
    const WCHAR_T name[] = {'C', 0};
    EXPECT_EQ(Component().GetClassObject(name, &object), 0);
    EXPECT_EQ(object, nullptr);
#endif
}

TEST(ExchangeLogOfComponents, DescriptionFailsCleanlyWhenTheFolderHasGone) {
#if defined(_WIN32)
    GTEST_SKIP() << "Linux folders only";
#else
    UseFreshLogFolder();
    EmulatedComponent component(Component());
    ASSERT_TRUE(component.created());
    const std::string blocker = std::string(std::getenv("XDG_DATA_HOME")) + "/not-a-folder";
    std::ofstream(blocker) << "x";
    setenv("XDG_DATA_HOME", blocker.c_str(), 1);

    CallOutcome outcome = component.Call("GetDescription", {Param::Empty()});
    EXPECT_FALSE(outcome.returned);
    EXPECT_TRUE(outcome.params[0].untouched);
    ASSERT_EQ(component.connection.errors.size(), 1u);
    EXPECT_EQ(component.connection.errors[0].code, 7);
    EXPECT_EQ(component.connection.errors[0].description,
              "Неизвестная ошибка: Failed to create logging directory");
    EXPECT_EQ(component.Call("GetLastError", {Param::Empty()}).result.i4, 7);
#endif
}

}  // namespace
}  // namespace zarvik::test
