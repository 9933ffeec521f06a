// The world most integration tests start from: a fresh log folder, a scripted
// companion application, and a component connected to it.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform_emulator.h"
#include "test_companion.h"

namespace zarvik::test {

class ComponentWithCompanion : public ::testing::Test {
  protected:
    void SetUp() override { component.Connect("127.0.0.1", companion.port()); }

    std::string logPath = UseFreshLogFolder();  // before the component opens its log
    TestCompanion companion;
    EmulatedComponent component{Component()};
};

}  // namespace zarvik::test
