// Odd values from the platform's side, handed to CallAsFunc directly the way
// no helper would build them: what the fuzzing of CallAsFunc turned up.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform_emulator.h"
#include "test_companion.h"

namespace zarvik::test {
namespace {

const char16_t kCheck[] =
    u"<CheckPackage><Parameters CashierName=\"Петрова\" OperationType=\"1\" TaxationSystem=\"0\"/>"
    u"<Positions><FiscalString Name=\"Хлеб\" Quantity=\"1\" PriceWithDiscount=\"45.9\" "
    u"AmountWithDiscount=\"45.9\" VATRate=\"10\" VATAmount=\"4.17\"/></Positions>"
    u"<Payments Cash=\"50\"/></CheckPackage>";

tVariant Text(const char16_t* text, uint32_t length) {
    tVariant value;
    std::memset(&value, 0, sizeof value);
    value.vt = VTYPE_PWSTR;
    value.pwstrVal = reinterpret_cast<WCHAR_T*>(const_cast<char16_t*>(text));
    value.wstrLen = length;
    return value;
}

class PlatformValues : public ::testing::Test {
  protected:
    void SetUp() override {
        component.Connect("127.0.0.1", companion.port());
        companion.onResult("ProcessCheck", R"({"CheckNumber":12,"SessionNumber":3})");
        companion.onResult("GetDocumentOutputParametersAdditionals", "{}");
    }

    // ProcessCheck with the flag's byte as given; true when the receipt went out electronic.
    bool SentElectronically(uint8_t flagByte) {
        tVariant params[4];
        std::memset(params, 0, sizeof params);
        params[1].vt = VTYPE_BOOL;
        params[1].ui8Val = flagByte;
        params[2] = Text(kCheck, static_cast<uint32_t>(std::char_traits<char16_t>::length(kCheck)));
        tVariant result;
        std::memset(&result, 0, sizeof result);
        const long method = component.FindMethod("ProcessCheck");
        EXPECT_TRUE(component.object()->CallAsFunc(method, &result, params, 4));
        EXPECT_EQ(result.vt, VTYPE_BOOL);
        EXPECT_TRUE(result.bVal);
        void* document = params[3].pwstrVal;
        if (document != nullptr) component.memory.FreeMemory(&document);

        const auto requests = companion.requests();
        companion.clear();
        if (requests.empty() || requests[0].paramList.size() < 4) {
            ADD_FAILURE() << "no receipt request";
            return false;
        }
        return requests[0].paramList[3] == "true";
    }

    std::string logPath = UseFreshLogFolder();
    TestCompanion companion;
    EmulatedComponent component{Component()};
};

// The platform's bool is one byte; one holding neither 0 nor 1 is read as
// true instead of being undefined behaviour.
TEST_F(PlatformValues, BooleanByteOtherThanZeroOrOneReadsAsTrue) {
    EXPECT_FALSE(SentElectronically(0));
    EXPECT_TRUE(SentElectronically(1));
    EXPECT_TRUE(SentElectronically(2));
    EXPECT_TRUE(SentElectronically(0xFF));
}

// Text ends at its zero, whatever length the record claims.
TEST_F(PlatformValues, StringLengthThatLiesIsNotFollowed) {
    tVariant params[2] = {Text(u"PosId", 0xFFFFFFFFu), Text(u"POS-7", 1)};
    tVariant result;
    std::memset(&result, 0, sizeof result);
    ASSERT_TRUE(
        component.object()->CallAsFunc(component.FindMethod("SetParameter"), &result, params, 2));
    companion.onResult("OpenCashDrawer", "null");
    EXPECT_TRUE(component.Call("OpenCashDrawer", {Param::Empty()}).result.flag);
    ASSERT_EQ(companion.requests().size(), 1u);
    EXPECT_EQ(companion.requests()[0].paramList.at(0), "\"POS-7\"");
}

}  // namespace
}  // namespace zarvik::test
