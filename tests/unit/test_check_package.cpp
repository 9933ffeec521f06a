#include <gtest/gtest.h>

#include "check_test_support.h"

namespace zarvik {
namespace {

using namespace check_test;

// The message the platform shows for a package we refuse.
std::string Refusal(const std::string& package) {
    try {
        ParseCheckPackage(package);
    } catch (const ZarvikKassaErrorException& error) {
        EXPECT_EQ(error.code, DriverErrorCode::InputDataError);
        const std::string prefix = "Некорректные входные данные: ";
        EXPECT_EQ(error.message.compare(0, prefix.size(), prefix), 0) << error.message;
        return error.message.substr(prefix.size());
    }
    return "accepted";
}

TEST(CheckPackageReading, BrokenOrRootlessTextIsRefused) {
    EXPECT_EQ(Refusal("<CheckPackage><Parameters></CheckPackage>"),
              "пакет чека не является корректным XML (строка 1)");
    EXPECT_EQ(Refusal(""), "отсутствует корневой элемент пакета чека");
    EXPECT_EQ(Refusal("<!-- nothing -->"), "отсутствует корневой элемент пакета чека");
}

TEST(CheckPackageReading, MissingRequiredElementsAreNamed) {
    EXPECT_EQ(Refusal("<C><Positions/><Payments/></C>"), "отсутствует элемент Parameters");
    EXPECT_EQ(Refusal(R"(<C><Parameters CashierName="К"/><Payments/></C>)"),
              "отсутствует элемент Positions");
    EXPECT_EQ(Refusal(R"(<C><Parameters CashierName="К"/><Positions/></C>)"),
              "отсутствует элемент Payments");
    // A wrongly cased name is a missing one.
    EXPECT_EQ(Refusal(R"(<C><parameters CashierName="К"/><Positions/><Payments/></C>)"),
              "отсутствует элемент Parameters");
}

TEST(CheckPackageReading, MissingRequiredAttributesAreNamedWithTheirPlace) {
    EXPECT_EQ(Refusal("<C><Parameters/><Positions/><Payments/></C>"),
              "отсутствует атрибут CashierName у элемента Parameters");
    const std::string position = R"(<FiscalString Name="A" VATRate="20"/>)";
    EXPECT_EQ(Refusal(Package(">", position + position + R"(<FiscalString Name="C"/>)")),
              "отсутствует атрибут VATRate у позиции 3");
    EXPECT_EQ(Refusal(Package(">", R"(<TextString Text="x"/><FiscalString VATRate="0"/>)")),
              "отсутствует атрибут Name у позиции 1");
    EXPECT_EQ(Refusal(Package(R"(><CorrectionData Type="0" Description="d" Number="1"/>)", "")),
              "отсутствует атрибут Date у элемента CorrectionData");
}

TEST(CheckPackageReading, NonFiniteNumbersAreRefused) {
    EXPECT_EQ(Refusal(Package(">", R"(<FiscalString Name="A" VATRate="20" Quantity="nan"/>)")),
              "недопустимое числовое значение атрибута Quantity у позиции 1: nan");
    EXPECT_EQ(Refusal(Package(">", R"(<FiscalString Name="A" VATRate="20" ExciseAmount="-inf"/>)")),
              "недопустимое числовое значение атрибута ExciseAmount у позиции 1: -inf");
    EXPECT_EQ(Refusal(Package(">", "", R"(<Payments Cash="1e999"/>)")),
              "недопустимое числовое значение атрибута Cash у элемента Payments: 1e999");
}

}  // namespace
}  // namespace zarvik

namespace zarvik {
namespace {

using namespace check_test;

// The record is kept from one receipt to the next: nothing of an earlier
// receipt may show in a later one, even after a refused package.
TEST(CheckPackageReading, AReusedRecordCarriesNothingOver) {
    CheckPackage check;
    const std::string full = DataFile("check_full_ffd12.xml");
    const std::string minimal = DataFile("check_minimal.xml");
    const auto read = [&](std::string text) { ParseCheckPackage(text, check); };
    read(full);
    EXPECT_EQ(CheckDocumentText(check), CheckDocumentText(ParseCheckPackage(full)));
    EXPECT_THROW(read("<CheckPackage><Parameters/>"), ZarvikKassaErrorException);
    // Refused halfway through the positions, after the first was read.
    EXPECT_THROW(read(Package(">", std::string(kPosition) + "<FiscalString Name=\"B\"/>")),
                 ZarvikKassaErrorException);
    read(minimal);
    EXPECT_EQ(CheckDocumentText(check), CheckDocumentText(ParseCheckPackage(minimal)));
    read(full);
    EXPECT_EQ(CheckDocumentText(check), CheckDocumentText(ParseCheckPackage(full)));
}

}  // namespace
}  // namespace zarvik
