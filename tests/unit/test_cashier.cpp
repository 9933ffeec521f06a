#include <gtest/gtest.h>

#include "core/driver_error.h"
#include "model/cashier.h"

namespace zarvik {
namespace {

std::string CashierJson(const CashierData& cashier) { return CashierDataToJson(cashier); }

ZarvikKassaErrorException InputFailure(const std::string& xml) {
    try {
        ReadInputParameters(xml);
    } catch (const ZarvikKassaErrorException& error) {
        return error;
    }
    ADD_FAILURE() << "no error for " << xml;
    return ZarvikKassaErrorException(DriverErrorCode::OtherError, "");
}

TEST(CashierData, AllFourAttributesAreReadAndSentUnderTheirJsonNames) {
    const CashierData cashier = ReadInputParameters(
        "<InputParameters><Parameters CashierName=\"Иванов И.И.\" CashierINN=\"7700000000\" "
        "SaleAddress=\"Москва &amp; область\" SaleLocation=\"Зал 1\"/></InputParameters>");
    EXPECT_EQ(cashier.CashierName, "Иванов И.И.");
    EXPECT_EQ(cashier.CashierINN, "7700000000");
    EXPECT_EQ(cashier.SaleAddress, "Москва & область");
    EXPECT_EQ(CashierJson(cashier),
              "{\"CashierName\":\"Иванов И.И.\",\"CashierVATIN\":\"7700000000\","
              "\"SaleAddress\":\"Москва & область\",\"SaleLocation\":\"Зал 1\"}");
}

TEST(CashierData, OnlyTheNameIsSentWhenTheRestIsEmpty) {
    const CashierData cashier =
        ReadInputParameters("<Any><Parameters CashierName=\"Петров\"/></Any>");
    EXPECT_EQ(CashierJson(cashier), "{\"CashierName\":\"Петров\"}");
}

TEST(CashierData, TaxNumberIsReadOnlyUnderItsInputName) {
    const CashierData cashier = ReadInputParameters(
        "<R><Parameters CashierName=\"A\" CashierVATIN=\"123\" cashierinn=\"456\"/></R>");
    EXPECT_EQ(cashier.CashierINN, "");
    EXPECT_EQ(CashierJson(cashier), "{\"CashierName\":\"A\"}");
}

TEST(CashierData, EmptyOrMissingNameIsStillSent) {
    EXPECT_EQ(CashierJson(ReadInputParameters("<R><Parameters CashierName=\"\"/></R>")),
              "{\"CashierName\":\"\"}");
    EXPECT_EQ(CashierJson(ReadInputParameters("<R><Parameters SaleLocation=\"B\"/></R>")),
              "{\"CashierName\":\"\",\"SaleLocation\":\"B\"}");
}

TEST(CashierData, FirstParametersChildOfTheRootIsRead) {
    const CashierData cashier = ReadInputParameters(
        "<R><Other CashierName=\"X\"/><Parameters CashierName=\"first\"/>"
        "<Parameters CashierName=\"second\"/></R>");
    EXPECT_EQ(cashier.CashierName, "first");
}

TEST(CashierData, UnusableInputIsAnInputDataError) {
    const auto notXml = InputFailure("<R><Parameters CashierName=\"A\"></R>");
    EXPECT_EQ(notXml.code, DriverErrorCode::InputDataError);
    EXPECT_EQ(notXml.message,
              "Некорректные входные данные: входные параметры не являются корректным XML");

    EXPECT_EQ(InputFailure("").code, DriverErrorCode::InputDataError);
    EXPECT_EQ(InputFailure("<!-- nothing -->").message,
              "Некорректные входные данные: во входных параметрах отсутствует корневой элемент");

    const auto noParameters = InputFailure("<R><parameters CashierName=\"A\"/></R>");
    EXPECT_EQ(noParameters.code, DriverErrorCode::InputDataError);
    EXPECT_EQ(noParameters.message, "Некорректные входные данные: отсутствует элемент Parameters");
    // The element must be a child of the root, not the root itself.
    EXPECT_EQ(InputFailure("<Parameters CashierName=\"A\"/>").message,
              "Некорректные входные данные: отсутствует элемент Parameters");
}

}  // namespace
}  // namespace zarvik
