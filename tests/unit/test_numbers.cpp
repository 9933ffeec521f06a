// Number texts keep the C runtime's exact results whatever the process locale.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

#include "core/numbers.h"

namespace zarvik {
namespace {

TEST(Numbers, FormatAndScanLikeThePrintfAndScanfConversions) {
    EXPECT_EQ(FormatInt(-42), "-42");
    EXPECT_EQ(FormatUnsigned(static_cast<uint32_t>(-1)), "4294967295");
    const std::pair<double, const char*> formatted[] = {
        {1500, "1500"},       {1234.5, "1234.5"}, {0.1, "0.10000000000000001"},
        {-250.75, "-250.75"}, {1e20, "1e+20"},    {1.5e-7, "1.4999999999999999e-07"},
    };
    for (const auto& [number, text] : formatted) EXPECT_EQ(FormatDouble(number), text);

    // The low 32 bits are kept; anything after the number ends it.
    const std::pair<const char*, int32_t> ints[] = {
        {"42", 42}, {"  -7xyz", -7}, {"+3", 3},          {"abc", 0},
        {"", 0},    {nullptr, 0},    {"4294967295", -1}, {"1.9", 1},
    };
    for (const auto& [text, number] : ints) EXPECT_EQ(ScanInt(text), number) << text;
    const std::pair<const char*, double> doubles[] = {
        {"1500.50", 1500.5}, {" +2.5e2", 250.0}, {"-0.1", -0.1}, {"12,5", 12.0},
        {"0x10", 16.0},      {"x", 0.0},         {nullptr, 0.0}, {"1e-999", 0.0},
    };
    for (const auto& [text, number] : doubles) EXPECT_EQ(ScanDouble(text), number) << text;
    EXPECT_TRUE(std::isinf(ScanDouble("inf")));
    EXPECT_TRUE(std::isnan(ScanDouble("nan")));
    EXPECT_TRUE(std::isinf(ScanDouble("1e999")));
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
