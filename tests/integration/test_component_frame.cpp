#include <gtest/gtest.h>

#include "platform_emulator.h"

namespace zarvik::test {
namespace {

TEST(Frame, Smoke) {
    UseFreshLogFolder();
    EmulatedComponent component(Component());
    ASSERT_TRUE(component.created());
    CallOutcome outcome = component.Call("GetInterfaceRevision", {});
    EXPECT_TRUE(outcome.returned);
    EXPECT_EQ(outcome.result.vt, VTYPE_UI4);
    EXPECT_EQ(outcome.result.ui4, 3004u);
}

}  // namespace
}  // namespace zarvik::test
