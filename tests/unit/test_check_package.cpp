// The check package of both receipt methods: what is read from it, the check
// document it becomes, and what is refused.
#include <gtest/gtest.h>

#include "applink/json_rpc_client.h"
#include "check_test_support.h"

namespace zarvik {
namespace {

using check_test::DataFile;

// A package around the given Parameters attributes (and children), positions and payments.
std::string Package(const std::string& parameters, const std::string& positions,
                    const std::string& payments = "<Payments/>") {
    return "<CheckPackage><Parameters CashierName=\"К\"" + parameters + "</Parameters><Positions>" +
           positions + "</Positions>" + payments + "</CheckPackage>";
}

const std::string kPosition = R"(<FiscalString Name="A" VATRate="20"/>)";

TEST(CheckPackage, FullReceiptWithEveryPartAtBothLevels) {
    EXPECT_EQ(CheckDocumentText(ParseCheckPackage(DataFile("check_full_ffd12.xml"))),
              DataFile("check_full_ffd12.json"));
}

// The JSON text of one member of the check document ("Parameters", "Payments"
// or a position list such as "FiscalString"); the whole document for "".
std::string Sent(const std::string& package, const std::string& member) {
    const std::string text = CheckDocumentText(ParseCheckPackage(package));
    if (member.empty()) return text;
    rapidjson::Document document;
    document.Parse(text.c_str());
    return check_test::Compact(document.HasMember(member.c_str())
                                   ? document[member.c_str()]
                                   : document["Positions"][member.c_str()]);
}

TEST(CheckPackage, WhatIsSent) {
    const std::string kinds =
        Package(">", R"(<FiscalString Name="1" VATRate="20"/><TextString Text="a"/>)"
                     R"(<Barcode Type="EAN13"/><FiscalString Name="2" VATRate="20"/>)"
                     R"(<TextString/><TextString Text=""/><Barcode Type="" ValueBase64=""/>)"
                     R"(<Barcode ValueBase64="QUJD"/>)");
    const struct {
        std::string package, member, sent;
    } rows[] = {
        // Absent, zero and empty are distinct.
        {Package(R"( CustomerEmail="" CashierINN="" OperationType="x">)", ""), "Parameters",
         R"({"CashierName":"К","CashierVATIN":"","PaymentType":0,"TaxVariant":0,"CustomerEmail":""})"},
        {Package(">", R"(<FiscalString Name="" VATRate="" DiscountAmount="0.00")"
                      R"( Department="0" PaymentMethod="0" CalculationSubject="0")"
                      R"( CalculationAgent="0" ExciseAmount="abc" MeasureOfQuantity="x")"
                      R"( MarkingCode="" Quantity="1,5" PriceWithDiscount="1e3"/>)"),
         "FiscalString",
         R"([{"Name":"","Quantity":1.0,"PriceWithDiscount":1000.0,"SumWithDiscount":0.0,)"
         R"("Tax":"","VATAmount":0.0,"MeasurementUnit":0,"MarkingCode":""}])"},
        {Package(R"( AgentType="0">)", kPosition,
                 R"(<Payments Cash="0" ElectronicPayment="-5" Barter="0.0"/>)"),
         "Payments", R"({"ElectronicPayment":-5.0})"},
        // Unsigned fields send -1 as its unsigned equivalent.
        {Package(R"( AgentType="-1"><CorrectionData Type="-1" Description="d" Date="" Number=""/>)",
                 ""),
         "Parameters",
         R"({"CashierName":"К","PaymentType":0,"CorrectionData":{"Type":4294967295,)"
         R"("Description":"d"},"TaxVariant":0,"AgentSign":-1})"},
        {Package(">", R"(<FiscalString Name="A" VATRate="20" Department="-1")"
                      R"( PaymentMethod="-1" CalculationSubject="-1" CalculationAgent="-1")"
                      R"( MeasureOfQuantity="-1" DiscountAmount="-5"/>)"),
         "FiscalString",
         R"([{"Name":"A","Quantity":0.0,"PriceWithDiscount":0.0,"SumWithDiscount":0.0,)"
         R"("DiscountSum":-5.0,"Department":4294967295,"Tax":"20","VATAmount":0.0,)"
         R"("SignMethodCalculation":4294967295,"SignCalculationObject":4294967295,)"
         R"("SignSubjectCalculationAgent":4294967295,"MeasurementUnit":-1}])"},
        // A part element needs an attribute and keeps its always-sent members.
        {Package(
             R"(><AgentData><X A="1"/></AgentData><VendorData Other="1"/>)"
             R"(<OperationalAttribute DateTime="t"/><UserAttribute Name=""/>)"
             R"(<CorrectionData/><CorrectionData Type="2" Description="x" Date="y" Number="z"/>)",
             ""),
         "Parameters",
         R"({"CashierName":"К","PaymentType":0,"TaxVariant":0,"PurveyorData":{},)"
         R"("UserAttribute":{},"OperationalAttribute":{"DateTime":"t","OperationID":0}})"},
        {Package(R"(><CorrectionData Type="1" Description="" Date="" Number=""/>)", ""),
         "Parameters",
         R"({"CashierName":"К","PaymentType":0,"CorrectionData":{"Type":1},"TaxVariant":0})"},
        {Package(R"(><OperationalAttribute OperationID="12abc"/>)", ""), "Parameters",
         R"({"CashierName":"К","PaymentType":0,"TaxVariant":0,"OperationalAttribute":{"OperationID":12}})"},
        // Three lists, each in its own order.
        {kinds, "TextString", R"([{"Text":"a"},{"Text":""}])"},
        {kinds, "Barcode",
         R"([{"Barcode":"","BarcodeType":"EAN13"},{"Barcode":"QUJD","BarcodeType":""}])"},
    };
    for (const auto& row : rows) EXPECT_EQ(Sent(row.package, row.member), row.sent) << row.package;
}

// The document travels as one JSON string: escaped twice, once in the
// document and once in the request.
TEST(CheckPackage, RequestCarriesTheDocumentAsOneString) {
    const CheckPackage check = ParseCheckPackage(
        Package(R"( CashierINN="a\b">)", R"(<FiscalString Name="&quot;Q&quot;")"
                                         R"( VATRate="20" MarkingCode="01&#x1D;93"/>)"));
    const std::string escaped = CheckDocumentText(check, JsonTextStream::Form::Escaped);
    rapidjson::Document decoded;
    decoded.Parse(escaped.c_str());
    ASSERT_TRUE(decoded.IsString()) << escaped;
    EXPECT_EQ(decoded.GetString(), CheckDocumentText(check));
    EXPECT_EQ(
        RequestLine(1, "ProcessCheck", {JsonRpcParam::String(""), JsonRpcParam::Json(escaped)}),
        R"({"jsonrpc":"2.0","id":1,"method":"ProcessCheck","params":["",)" + escaped + "]}\r\n");
}

TEST(CheckPackage, RefusalsNameWhatIsWrongAndWhere) {
    const struct {
        std::string package, detail;
    } rows[] = {
        {"", "отсутствует корневой элемент пакета чека"},
        {"<!-- nothing -->", "отсутствует корневой элемент пакета чека"},
        {"<C><Positions/><Payments/></C>", "отсутствует элемент Parameters"},
        {R"(<C><Parameters CashierName="К"/><Positions/></C>)", "отсутствует элемент Payments"},
        // A wrongly cased name is a missing one.
        {R"(<C><parameters CashierName="К"/><Positions/><Payments/></C>)",
         "отсутствует элемент Parameters"},
        {"<C><Parameters/><Positions/><Payments/></C>",
         "отсутствует атрибут CashierName у элемента Parameters"},
        {Package(">", R"(<TextString Text="x"/><FiscalString VATRate="0"/>)"),
         "отсутствует атрибут Name у позиции 1"},
        {Package(R"(><CorrectionData Type="0" Description="d" Number="1"/>)", ""),
         "отсутствует атрибут Date у элемента CorrectionData"},
        // A number without a JSON form would cut the request short.
        {Package(">", R"(<FiscalString Name="A" VATRate="20" ExciseAmount="-inf"/>)"),
         "недопустимое числовое значение атрибута ExciseAmount у позиции 1: -inf"},
        {Package(">", "", R"(<Payments Cash="1e999"/>)"),
         "недопустимое числовое значение атрибута Cash у элемента Payments: 1e999"},
    };
    for (const auto& row : rows) {
        try {
            ParseCheckPackage(row.package);
            ADD_FAILURE() << "accepted: " << row.package;
        } catch (const ZarvikKassaErrorException& error) {
            EXPECT_EQ(error.code, DriverErrorCode::InputDataError);
            EXPECT_EQ(error.message, "Некорректные входные данные: " + row.detail);
        }
    }
}

// The record is kept from one receipt to the next: nothing of an earlier
// receipt may show in a later one, even after a refused package.
TEST(CheckPackage, AReusedRecordCarriesNothingOver) {
    CheckPackage check;
    const std::string full = DataFile("check_full_ffd12.xml");
    const std::string minimal = DataFile("check_minimal.xml");
    const auto read = [&](std::string text) { ParseCheckPackage(text, check); };
    read(full);
    EXPECT_EQ(CheckDocumentText(check), CheckDocumentText(ParseCheckPackage(full)));
    EXPECT_THROW(read("<CheckPackage><Parameters/>"), ZarvikKassaErrorException);
    // Refused halfway through the positions, after the first was read.
    EXPECT_THROW(read(Package(">", kPosition + "<FiscalString Name=\"B\"/>")),
                 ZarvikKassaErrorException);
    read(minimal);
    EXPECT_EQ(CheckDocumentText(check), CheckDocumentText(ParseCheckPackage(minimal)));
    read(full);
    EXPECT_EQ(CheckDocumentText(check), CheckDocumentText(ParseCheckPackage(full)));
}

}  // namespace
}  // namespace zarvik
