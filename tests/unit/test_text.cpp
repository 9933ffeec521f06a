// Platform text in and out: nothing a cashier types may be cut or mangled.
#include <gtest/gtest.h>

#include <cstring>

#include "component/text.h"

namespace zarvik {
namespace {

class FakeMemory : public IMemoryManager {
  public:
#if ZARVIK_MSVC_SLOT_EMULATION
    void* msvc_deleting_dtor_slot(unsigned int) override { return this; }
#endif
    bool AllocMemory(void** block, unsigned long size) override {
        if (refuse) return false;
        *block = ::operator new(size);
        lastSize = size;
        return true;
    }
    void FreeMemory(void** block) override {
        ::operator delete(*block);
        *block = nullptr;
    }
    bool refuse = false;
    unsigned long lastSize = 0;
};

tVariant PlatformString(const std::u16string& text, std::basic_string<WCHAR_T>& storage) {
    storage.assign(text.begin(), text.end());
    tVariant v;
    std::memset(&v, 0, sizeof v);
    v.vt = VTYPE_PWSTR;
    v.pwstrVal = storage.data();
    v.wstrLen = static_cast<uint32_t>(storage.size());
    return v;
}

TEST(Text, RoundTripsCyrillicAndCharactersOutsideTheBasicPlane) {
    const std::u16string original = u"Кассир Иванова: молоко 3,2% 🥛 №5";
    std::basic_string<WCHAR_T> storage;
    const tVariant in = PlatformString(original, storage);
    const std::string utf8 = GetInString(in);
    EXPECT_EQ(utf8, "Кассир Иванова: молоко 3,2% 🥛 №5");

    FakeMemory memory;
    tVariant out;
    std::memset(&out, 0, sizeof out);
    SetOutText(&memory, utf8, out);
    ASSERT_EQ(out.vt, VTYPE_PWSTR);
    EXPECT_EQ(out.wstrLen, original.size());
    EXPECT_EQ(memory.lastSize, (original.size() + 1) * 2);
    EXPECT_EQ(std::u16string(out.pwstrVal, out.pwstrVal + out.wstrLen), original);
    EXPECT_EQ(out.pwstrVal[out.wstrLen], 0);
    void* block = out.pwstrVal;
    memory.FreeMemory(&block);
}

TEST(Text, BrokenInputBecomesReplacementCharactersNotATruncation) {
    const char16_t lone[] = {u'A', 0xD800, u'B', 0xDC00, u'C'};
    EXPECT_EQ(Utf16ToUtf8(lone, 5),
              "A\xEF\xBF\xBD"
              "B\xEF\xBF\xBD"
              "C");
    const char16_t highAtEnd[] = {u'Z', 0xDBFF};
    EXPECT_EQ(Utf16ToUtf8(highAtEnd, 2), "Z\xEF\xBF\xBD");

    EXPECT_EQ(Utf8ToUtf16("a\xFF"
                          "b"),
              u"a\xFFFD"
              u"b");
    EXPECT_EQ(Utf8ToUtf16("\xD0"), u"\xFFFD") << "a truncated sequence";
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\xFFFD\xFFFD") << "an overlong form";
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\xFFFD\xFFFD\xFFFD") << "an encoded surrogate";
    EXPECT_EQ(Utf8ToUtf16(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
}

// Text is converted eight units at a time where it can; whatever lands on or
// across a block's edge must come out as one unit at a time would give it.
TEST(Text, EveryMixOfWidthsAndEveryPlaceOfASurrogateConvertsAlike) {
    struct Piece {
        std::u16string units;
        std::string utf8;
    };
    const Piece pieces[] = {{u"a", "a"},
                            {u"Ж", "Ж"},
                            {u"€", "€"},
                            {u"😀", "😀"},
                            {std::u16string(1, char16_t(0xD83D)), "\xEF\xBF\xBD"},
                            {std::u16string(1, char16_t(0xDE00)), "\xEF\xBF\xBD"},
                            {std::u16string(1, char16_t(0x7F)), "\x7F"},
                            {std::u16string(1, char16_t(0x80)), "\xC2\x80"},
                            {std::u16string(1, char16_t(0x7FF)), "\xDF\xBF"},
                            {std::u16string(1, char16_t(0x800)), "\xE0\xA0\x80"}};
    const size_t kinds = sizeof pieces / sizeof pieces[0];
    uint32_t seed = 12345;
    for (int round = 0; round < 2000; ++round) {
        std::u16string text;
        std::string expected;
        const int count = round % 40;
        for (int k = 0; k < count; ++k) {
            seed = seed * 1103515245u + 12345u;
            // Mostly ASCII and Cyrillic, as receipts are.
            const size_t pick = (seed >> 16) % 16 < 12 ? (seed >> 20) % 2 : (seed >> 20) % kinds;
            const Piece& piece = pieces[pick];
            // A lone high surrogate followed by a low one would pair up.
            if (pick == 5 && !text.empty() && text.back() == char16_t(0xD83D)) continue;
            text += piece.units;
            expected += piece.utf8;
        }
        ASSERT_EQ(Utf16ToUtf8(text), expected) << "round " << round;
    }
}

TEST(Text, OnlyAStringPointerReadsAsText) {
    tVariant v;
    std::memset(&v, 0, sizeof v);
    v.vt = VTYPE_I4;
    v.lVal = 0x1234;
    EXPECT_EQ(GetInString(v), "");
    v.vt = VTYPE_PWSTR;
    v.pwstrVal = nullptr;
    v.wstrLen = 100;
    EXPECT_EQ(GetInString(v), "");
}

TEST(Text, EmptyAndRefusedOutStrings) {
    FakeMemory memory;
    tVariant out;
    std::memset(&out, 0, sizeof out);
    SetOutString(&memory, u"", out);
    EXPECT_EQ(memory.lastSize, 2u);
    EXPECT_EQ(out.wstrLen, 0u);
    ASSERT_NE(out.pwstrVal, nullptr);
    EXPECT_EQ(out.pwstrVal[0], 0);
    void* block = out.pwstrVal;
    memory.FreeMemory(&block);

    memory.refuse = true;
    SetOutString(&memory, u"текст", out);
    EXPECT_EQ(out.vt, VTYPE_PWSTR);
    EXPECT_EQ(out.pwstrVal, nullptr);
    EXPECT_EQ(out.wstrLen, 0u);

    SetOutString(nullptr, u"текст", out);
    EXPECT_EQ(out.pwstrVal, nullptr);
}

}  // namespace
}  // namespace zarvik
