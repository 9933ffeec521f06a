// The exchange log's folder: no component at all when it cannot be made, and
// a clean failure (code 7) when it goes away under a living component. (Several
// components sharing one log are in test_faults.cpp.)
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "platform_emulator.h"

namespace zarvik::test {
namespace {

#if !defined(_WIN32)  // the Windows known folder is redirected by the Windows-only tests
TEST(ExchangeLogOfComponents, NoComponentOrACleanFailureWhenTheFolderCannotBeMade) {
    UseFreshLogFolder();
    EmulatedComponent component(Component());
    ASSERT_TRUE(component.created());
    const std::string blocker = std::string(std::getenv("XDG_DATA_HOME")) + "/not-a-folder";
    std::ofstream(blocker) << "a file where the data folder should be";
    setenv("XDG_DATA_HOME", blocker.c_str(), 1);

    IComponentBase* object = nullptr;
    const WCHAR_T name[] = {'C', 0};
    EXPECT_EQ(Component().GetClassObject(name, &object), 0);
    EXPECT_EQ(object, nullptr);

    CallOutcome outcome = component.Call("GetDescription", {Param::Empty()});
    EXPECT_FALSE(outcome.returned);
    EXPECT_TRUE(outcome.params[0].untouched);
    ASSERT_EQ(component.connection.errors.size(), 1u);
    EXPECT_EQ(component.connection.errors[0].code, 7);
    EXPECT_EQ(component.connection.errors[0].description,
              "Неизвестная ошибка: Failed to create logging directory");
    EXPECT_EQ(component.Call("GetLastError", {Param::Empty()}).result.i4, 7);
}
#endif

}  // namespace
}  // namespace zarvik::test
