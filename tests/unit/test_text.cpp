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

// Every width at its edges, pairs, and lone surrogates wherever they stand
// (the size is counted before the text is written, then trimmed).
TEST(Text, EveryWidthAndEveryPlaceOfASurrogateConverts) {
    const std::pair<std::u16string, std::string> rows[] = {
        {u"a\x7F\x80\x7FF\x800Ж€", "a\x7F\u0080\u07FF\u0800Ж€"},
        {u"😀x😀", "😀x😀"},
        {u"\xD83D", "\uFFFD"},
        {u"\xDE00"
         u"a",
         "\uFFFDa"},
        {u"a\xD83D\xD83D😀", "a\uFFFD\uFFFD😀"},
        {u"Ж\xDE00\xD83D", "Ж\uFFFD\uFFFD"},
    };
    for (const auto& [utf16, utf8] : rows) EXPECT_EQ(Utf16ToUtf8(utf16), utf8);
}

}  // namespace
}  // namespace zarvik
