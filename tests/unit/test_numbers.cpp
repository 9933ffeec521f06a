// Number texts keep the C runtime's exact results whatever the process locale.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

#include "core/numbers.h"

namespace zarvik {
namespace {

TEST(Numbers, FormatsLikeThePrintfConversions) {
    EXPECT_EQ(FormatInt(-42), "-42");
    EXPECT_EQ(FormatUnsigned(static_cast<uint32_t>(-1)), "4294967295");
    EXPECT_EQ(FormatDouble(1500), "1500");
    EXPECT_EQ(FormatDouble(1234.5), "1234.5");
    EXPECT_EQ(FormatDouble(0.1), "0.10000000000000001");
    EXPECT_EQ(FormatDouble(-250.75), "-250.75");
    EXPECT_EQ(FormatDouble(1e20), "1e+20");
    EXPECT_EQ(FormatDouble(1.5e-7), "1.4999999999999999e-07");
}

TEST(Numbers, ScansLikeTheScanfConversions) {
    EXPECT_EQ(ScanInt("42"), 42);
    EXPECT_EQ(ScanInt("  -7xyz"), -7);
    EXPECT_EQ(ScanInt("+3"), 3);
    EXPECT_EQ(ScanInt("abc"), 0);
    EXPECT_EQ(ScanInt(""), 0);
    EXPECT_EQ(ScanInt(nullptr), 0);
    EXPECT_EQ(ScanInt("4294967295"), -1) << "the low 32 bits are kept";
    EXPECT_EQ(ScanInt("1.9"), 1);

    EXPECT_EQ(ScanDouble("1500.50"), 1500.5);
    EXPECT_EQ(ScanDouble(" +2.5e2"), 250.0);
    EXPECT_EQ(ScanDouble("-0.1"), -0.1);
    EXPECT_EQ(ScanDouble("12,5"), 12.0) << "a comma ends the number";
    EXPECT_EQ(ScanDouble("0x10"), 16.0);
    EXPECT_EQ(ScanDouble("x"), 0.0);
    EXPECT_EQ(ScanDouble(nullptr), 0.0);
    EXPECT_TRUE(std::isinf(ScanDouble("inf")));
    EXPECT_TRUE(std::isnan(ScanDouble("nan")));
    EXPECT_TRUE(std::isinf(ScanDouble("1e999")));
    EXPECT_EQ(ScanDouble("1e-999"), 0.0);
}

TEST(Numbers, IgnoreACommaDecimalLocale) {
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous != nullptr ? previous : "C";
    // The last name is the Windows runtime's spelling of the Russian locale.
    if (std::setlocale(LC_ALL, "ru_RU.UTF-8") == nullptr &&
        std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr &&
        std::setlocale(LC_ALL, "Russian_Russia.1251") == nullptr) {
        GTEST_SKIP() << "no comma-decimal locale installed";
    }
    EXPECT_EQ(FormatDouble(1234.5), "1234.5");
    EXPECT_EQ(ScanDouble("1234.5"), 1234.5);
    EXPECT_STREQ(std::localeconv()->decimal_point, ",") << "the caller's locale is left as it was";
    std::setlocale(LC_ALL, saved.c_str());
}

}  // namespace
}  // namespace zarvik
