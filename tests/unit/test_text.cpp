// Platform text in and out: nothing a cashier types may be cut or mangled.
#include <gtest/gtest.h>

#include "component/text.h"
#include "platform_host.h"

namespace zarvik {
namespace {

TEST(Text, RoundTripsCyrillicAndCharactersOutsideTheBasicPlaneAndEmptyOrRefusedOutStrings) {
    const std::u16string original = u"Кассир Иванова: молоко 3,2% 🥛 №5";
    std::basic_string<WCHAR_T> storage(original.begin(), original.end());
    tVariant in{};
    in.vt = VTYPE_PWSTR;
    in.pwstrVal = storage.data();  // read up to its zero
    const std::string utf8 = "Кассир Иванова: молоко 3,2% 🥛 №5";
    EXPECT_EQ(GetInString(in), utf8);

    // Only a string pointer reads as text.
    in.pwstrVal = nullptr;
    EXPECT_EQ(GetInString(in), "");
    in = tVariant{};
    in.vt = VTYPE_I4;
    in.lVal = 0x1234;
    EXPECT_EQ(GetInString(in), "");

    host::CountingMemoryManager memory;
    tVariant out{};
    const std::pair<std::string, std::u16string> outs[] = {{utf8, original}, {"", u""}};
    for (const auto& [text, expected] : outs) {
        SetOutText(&memory, text, out);
        ASSERT_EQ(out.vt, VTYPE_PWSTR);
        ASSERT_NE(out.pwstrVal, nullptr);
        EXPECT_EQ(std::u16string(out.pwstrVal, out.pwstrVal + out.wstrLen), expected);
        EXPECT_EQ(out.pwstrVal[out.wstrLen], 0);
        void* block = out.pwstrVal;
        memory.FreeMemory(&block);
    }
    // Refused memory, or none at all: an empty string, never a dangling one.
    memory.refuse = true;
    for (IMemoryManager* manager :
         {static_cast<IMemoryManager*>(&memory), static_cast<IMemoryManager*>(nullptr)}) {
        SetOutString(manager, u"текст", out);
        EXPECT_EQ(out.vt, VTYPE_PWSTR);
        EXPECT_EQ(out.pwstrVal, nullptr);
        EXPECT_EQ(out.wstrLen, 0u);
    }
    EXPECT_EQ(memory.live, 0);
}

// Unpaired surrogates in UTF-16 are among the mixes of the next test.
TEST(Text, BrokenUtf8BecomesReplacementCharactersNotATruncation) {
    const std::pair<std::string, std::u16string> rows[] = {
        {"a\xFFz", u"a\xFFFDz"},
        {"\xD0", u"\xFFFD"},                      // a truncated sequence
        {"\xE2\x82z", u"\xFFFD\xFFFDz"},          // a byte that does not continue the sequence
        {"\xC0\xAF", u"\xFFFD\xFFFD"},            // an overlong form
        {"\xED\xA0\x80", u"\xFFFD\xFFFD\xFFFD"},  // an encoded surrogate
        {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
    };
    for (const auto& [utf8, utf16] : rows) EXPECT_EQ(Utf8ToUtf16(utf8), utf16) << utf8;
}

// Text is converted several units at a time where it can; whatever lands on
// or across a block's edge must come out as one unit at a time would give it.
TEST(Text, EveryMixOfWidthsAndEveryPlaceOfASurrogateConvertsAlike) {
    const std::pair<std::u16string, std::string> pieces[] = {
        {u"a", "a"},           {u"Ж", "Ж"},           {u"€", "€"},       {u"😀", "😀"},
        {u"\xD83D", "\uFFFD"}, {u"\xDE00", "\uFFFD"}, {u"\x7F", "\x7F"}, {u"\x80", "\u0080"},
        {u"\x7FF", "\u07FF"},  {u"\x800", "\u0800"}};
    const size_t kinds = sizeof pieces / sizeof pieces[0];
    uint32_t seed = 12345;
    for (int round = 0; round < 2000; ++round) {
        std::u16string text;
        std::string expected;
        for (int k = 0; k < round % 40; ++k) {
            seed = seed * 1103515245u + 12345u;
            // Mostly ASCII and Cyrillic, as receipts are.
            const size_t pick = (seed >> 16) % 16 < 12 ? (seed >> 20) % 2 : (seed >> 20) % kinds;
            // A lone high surrogate followed by a low one would pair up.
            if (pick == 5 && !text.empty() && text.back() == char16_t(0xD83D)) continue;
            text += pieces[pick].first;
            expected += pieces[pick].second;
        }
        ASSERT_EQ(Utf16ToUtf8(text), expected) << "round " << round;
    }
}

}  // namespace
}  // namespace zarvik
