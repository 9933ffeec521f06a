#include <gtest/gtest.h>

#include "applink/json_rpc_client.h"
#include "check_test_support.h"

namespace zarvik {
namespace {

using namespace check_test;

TEST(CheckEncoding, MinimalReceiptDocument) {
    EXPECT_EQ(CheckDocumentText(ParseCheckPackage(DataFile("check_minimal.xml"))),
              R"({"Parameters":{"CashierName":"Петрова О.С.","PaymentType":1,"TaxVariant":0},)"
              R"("Positions":{"FiscalString":[{"Name":"Хлеб Бородинский","Quantity":1.0,)"
              R"("PriceWithDiscount":45.9,"SumWithDiscount":45.9,"Tax":"10","VATAmount":4.17}],)"
              R"("TextString":[],"Barcode":[]},"Payments":{"Cash":50.0}})");
}

TEST(CheckEncoding, FullReceiptWithEveryPartAtBothLevels) {
    EXPECT_EQ(
        CheckDocumentText(ParseCheckPackage(DataFile("check_full_ffd12.xml"))),
        R"({"Parameters":{"CashierName":"Иванова А.П.","CashierVATIN":"771234567890",)"
        R"("PaymentType":1,"TaxVariant":1,"CustomerDetail":{"Info":"ООО \"Ромашка\"",)"
        R"("INN":"6950000001","DateOfBirth":"01.02.1980","Citizenship":"643",)"
        R"("DocumentTypeCode":21,"DocumentData":"4510 123456","Address":"г. Тверь, пр. Ленина, 1"},)"
        R"("CustomerEmail":"buyer@example.ru","CustomerPhone":"+79161234567",)"
        R"("SenderEmail":"shop@example.ru","PlaceSettle":"г. Тверь, ул. Советская, д. 5",)"
        R"("AddressSettle":"Магазин \"Колос\", зал 1","AutomatNumber":"A-17","AgentSign":64,)"
        R"("AgentData":{"PayingAgentOperation":"Комиссия","PayingAgentPhone":"+79000000001",)"
        R"("ReceivePaymentsOperatorPhone":"+79000000002","MoneyTransferOperatorPhone":"+79000000003",)"
        R"("MoneyTransferOperatorName":"ПАО Банк","MoneyTransferOperatorAddress":"г. Москва",)"
        R"("MoneyTransferOperatorVATIN":"7700000000"},)"
        R"("PurveyorData":{"PurveyorPhone":"+74951234567","PurveyorName":"ООО Поставщик",)"
        R"("PurveyorVATIN":"7701234567"},"UserAttribute":{"Name":"Скидочная карта","Value":"0042"},)"
        R"("AdditionalAttribute":"доп. реквизит чека",)"
        R"("OperationalAttribute":{"DateTime":"2026-12-06T21:00:00","OperationID":0,)"
        R"("OperationData":"смена 12"},"IndustryAttribute":{"IdentifierFOIV":"030",)"
        R"("DocumentDate":"26.03.2022","DocumentNumber":"477","AttributeValue":"mode=2"}},)"
        R"("Positions":{"FiscalString":[{"Name":"Молоко 3,2% 0,9 л","Quantity":2.0,)"
        R"("PriceWithDiscount":89.9,"SumWithDiscount":179.8,"DiscountSum":10.0,"Department":1,)"
        R"("Tax":"10","VATAmount":16.35,"SignMethodCalculation":4,"SignCalculationObject":33,)"
        R"("SignSubjectCalculationAgent":2,)"
        R"("AgentData":{"PayingAgentOperation":"Комиссия","PayingAgentPhone":"+79000000001"},)"
        R"("PurveyorData":{"PurveyorPhone":"+74951234567","PurveyorName":"АО Молзавод",)"
        R"("PurveyorVATIN":"6901000000"},"MeasurementUnit":0,)"
        R"("FractionalQuantity":{"Numerator":1,"Denominator":2},)"
        R"("GoodCodeData":{"EAN13":"4606203098187","GS1M":"0104606203098187215Nk7tQ\u001D93dGVz"},)"
        R"("MarkingCode":"0104606203098187215Nk7tQ\u001D93dGVz","CountryOfOrigin":"643",)"
        R"("CustomsDeclaration":"10702070/060120/0001234","AdditionalAttribute":"партия 7",)"
        R"("ExciseAmount":1.5,"IndustryAttribute":{"IdentifierFOIV":"030",)"
        R"("DocumentDate":"26.03.2022","DocumentNumber":"477","AttributeValue":"tm=mdlp"}},)"
        R"({"Name":"Пакет","Quantity":1.0,"PriceWithDiscount":5.0,"SumWithDiscount":5.0,)"
        R"("Tax":"20","VATAmount":0.83}],"TextString":[{"Text":"Спасибо за покупку!"}],)"
        R"("Barcode":[{"Barcode":"aHR0cHM6Ly9leGFtcGxlLnJ1","BarcodeType":"QR"}]},)"
        R"("Payments":{"Cash":100.0,"ElectronicPayment":84.8}})");
}

TEST(CheckEncoding, CorrectionReceiptDocument) {
    EXPECT_EQ(
        CheckDocumentText(ParseCheckPackage(DataFile("check_correction.xml"))),
        R"({"Parameters":{"CashierName":"Сидоров В.В.","CashierVATIN":"690100000000",)"
        R"("PaymentType":1,"CorrectionData":{"Type":1,"Description":"Выручка не пробита 05.12",)"
        R"("Date":"2026-12-05T00:00:00","Number":"12-к"},"TaxVariant":0},)"
        R"("Positions":{"FiscalString":[{"Name":"Выручка за 05.12","Quantity":1.0,)"
        R"("PriceWithDiscount":15400.0,"SumWithDiscount":15400.0,"Tax":"none","VATAmount":0.0,)"
        R"("SignMethodCalculation":4,"SignCalculationObject":1}],"TextString":[],"Barcode":[]},)"
        R"("Payments":{"Cash":15400.0}})");
}

TEST(CheckEncoding, RequestCarriesEmptyStringFlagAndTheDocumentAsOneString) {
    // Quotation marks, backslashes and a group separator inside the document
    // are escaped twice on the wire: once in the document, once in the request.
    const CheckPackage check = ParseCheckPackage(
        Package(R"( CashierINN="a\b">)", R"(<FiscalString Name="&quot;Q&quot;" VATRate="20")"
                                         R"( MarkingCode="01&#x1D;93"/>)"));
    const std::string escaped = CheckDocumentText(check, JsonTextStream::Form::Escaped);
    EXPECT_EQ(escaped, Quoted(CheckDocumentText(check)));
    const std::string line =
        RequestLine(1, "ProcessCheck", {JsonRpcParam::String(""), JsonRpcParam::Json(escaped)});
    EXPECT_EQ(line, R"({"jsonrpc":"2.0","id":1,"method":"ProcessCheck","params":["",)" + escaped +
                        "]}\r\n");
    EXPECT_NE(line.find(R"(\\u001D)"), std::string::npos);
    EXPECT_NE(line.find(R"(\"a\\\\b\")"), std::string::npos);
    EXPECT_NE(line.find(R"(\"Name\":\"\\\"Q\\\"\")"), std::string::npos);
}

TEST(CheckEncoding, AbsentZeroAndEmptyAreDistinct) {
    EXPECT_EQ(
        Sent(Package(R"( CustomerEmail="" CashierINN="" OperationType="x">)", ""), "Parameters"),
        R"({"CashierName":"К","CashierVATIN":"","PaymentType":0,"TaxVariant":0,)"
        R"("CustomerEmail":""})");
    EXPECT_EQ(Sent(Package(">", R"(<FiscalString Name="" VATRate="" DiscountAmount="0.00")"
                                R"( Department="0" PaymentMethod="0" CalculationSubject="0")"
                                R"( CalculationAgent="0" ExciseAmount="abc" MeasureOfQuantity="x")"
                                R"( MarkingCode="" Quantity="1,5" PriceWithDiscount="1e3"/>)"),
                   "FiscalString"),
              R"([{"Name":"","Quantity":1.0,"PriceWithDiscount":1000.0,"SumWithDiscount":0.0,)"
              R"("Tax":"","VATAmount":0.0,"MeasurementUnit":0,"MarkingCode":""}])");
    EXPECT_EQ(Sent(Package(R"( AgentType="0">)", kPosition,
                           R"(<Payments Cash="0" ElectronicPayment="-5" Barter="0.0"/>)"),
                   "Payments"),
              R"({"ElectronicPayment":-5.0})");
    EXPECT_EQ(Sent(Package(">", kPosition, "<Payments/>"), "Payments"), "{}");
}

TEST(CheckEncoding, UnsignedFieldsSendMinusOneAsItsUnsignedEquivalent) {
    EXPECT_EQ(Sent(Package(R"( AgentType="-1"><CorrectionData Type="-1" Description="d")"
                           R"( Date="" Number=""/>)",
                           ""),
                   "Parameters"),
              R"({"CashierName":"К","PaymentType":0,"CorrectionData":{"Type":4294967295,)"
              R"("Description":"d"},"TaxVariant":0,"AgentSign":-1})");
    EXPECT_EQ(
        Sent(Package(">", R"(<FiscalString Name="A" VATRate="20" Department="-1")"
                          R"( PaymentMethod="-1" CalculationSubject="-1" CalculationAgent="-1")"
                          R"( MeasureOfQuantity="-1" DiscountAmount="-5"/>)"),
             "FiscalString"),
        R"([{"Name":"A","Quantity":0.0,"PriceWithDiscount":0.0,"SumWithDiscount":0.0,)"
        R"("DiscountSum":-5.0,"Department":4294967295,"Tax":"20","VATAmount":0.0,)"
        R"("SignMethodCalculation":4294967295,"SignCalculationObject":4294967295,)"
        R"("SignSubjectCalculationAgent":4294967295,"MeasurementUnit":-1}])");
}

TEST(CheckEncoding, SaleFieldsTravelCrosswise) {
    EXPECT_EQ(Sent(Package(R"( SaleAddress="ул. Мира, 1">)", ""), "Parameters"),
              R"({"CashierName":"К","PaymentType":0,"TaxVariant":0,"PlaceSettle":"ул. Мира, 1"})");
    EXPECT_EQ(Sent(Package(R"( SaleLocation="касса 2">)", ""), "Parameters"),
              R"({"CashierName":"К","PaymentType":0,"TaxVariant":0,"AddressSettle":"касса 2"})");
}

TEST(CheckEncoding, PartElementsNeedAnAttributeAndKeepTheirAlwaysMembers) {
    EXPECT_EQ(Sent(Package(R"(><AgentData><X A="1"/></AgentData><VendorData Other="1"/>)"
                           R"(<OperationalAttribute DateTime="t"/><UserAttribute Name=""/>)"
                           R"(<CorrectionData/><CorrectionData Type="2" Description="x")"
                           R"( Date="y" Number="z"/>)",
                           ""),
                   "Parameters"),
              R"({"CashierName":"К","PaymentType":0,"TaxVariant":0,"PurveyorData":{},)"
              R"("UserAttribute":{},"OperationalAttribute":{"DateTime":"t","OperationID":0}})");
    EXPECT_EQ(Sent(Package(R"(><CorrectionData Type="1" Description="" Date="" Number=""/>)", ""),
                   "Parameters"),
              R"({"CashierName":"К","PaymentType":0,"CorrectionData":{"Type":1},"TaxVariant":0})");
    EXPECT_EQ(Sent(Package(R"(><OperationalAttribute OperationID="12abc"/>)", ""), "Parameters"),
              R"({"CashierName":"К","PaymentType":0,"TaxVariant":0,)"
              R"("OperationalAttribute":{"OperationID":12}})");
}

TEST(CheckEncoding, ThreeListsKeepOrderOnlyWithinEachKind) {
    const std::string package =
        Package(">", R"(<FiscalString Name="1" VATRate="20"/><TextString Text="a"/>)"
                     R"(<Barcode Type="EAN13"/><FiscalString Name="2" VATRate="20"/>)"
                     R"(<TextString/><TextString Text=""/><Barcode Type="" ValueBase64=""/>)"
                     R"(<Barcode ValueBase64="QUJD"/>)");
    const CheckPackage check = ParseCheckPackage(package);
    ASSERT_EQ(check.FiscalStrings.size(), 2u);
    EXPECT_EQ(check.FiscalStrings[1].Name, "2");
    EXPECT_EQ(Sent(package, "TextString"), R"([{"Text":"a"},{"Text":""}])");
    EXPECT_EQ(Sent(package, "Barcode"),
              R"([{"Barcode":"","BarcodeType":"EAN13"},{"Barcode":"QUJD","BarcodeType":""}])");
}

TEST(CheckEncoding, RootNameDoesNotMatter) {
    EXPECT_EQ(CheckDocumentText(ParseCheckPackage(
                  R"(<Anything><Parameters CashierName="К"/><Positions/><Payments/></Anything>)")),
              R"({"Parameters":{"CashierName":"К","PaymentType":0,"TaxVariant":0},)"
              R"("Positions":{"FiscalString":[],"TextString":[],"Barcode":[]},"Payments":{}})");
}

}  // namespace
}  // namespace zarvik
