#include "schemas.h"

namespace kassa {

namespace {

constexpr bool kRequired = true;
constexpr bool kOptional = false;

Field Text(const char* key, bool required = kOptional) { return {key, Kind::String, required}; }

Schema TextsOnly(const char* name, std::initializer_list<const char*> keys) {
    Schema schema{name, {}};
    for (const char* key : keys) schema.fields.push_back(Text(key));
    return schema;
}

const Schema kCorrectionData{
    "CorrectionData",
    {{"Type", Kind::Unsigned, kRequired}, Text("Description"), Text("Date"), Text("Number")}};

const Schema kCustomerDetail{"CustomerDetail",
                             {Text("Info"),
                              Text("INN"),
                              Text("DateOfBirth"),
                              Text("Citizenship"),
                              {"DocumentTypeCode", Kind::Int, kOptional},
                              Text("DocumentData"),
                              Text("Address")}};

const Schema kAgentData = TextsOnly(
    "AgentData", {"PayingAgentOperation", "PayingAgentPhone", "ReceivePaymentsOperatorPhone",
                  "MoneyTransferOperatorPhone", "MoneyTransferOperatorName",
                  "MoneyTransferOperatorAddress", "MoneyTransferOperatorVATIN"});

const Schema kPurveyorData =
    TextsOnly("PurveyorData", {"PurveyorPhone", "PurveyorName", "PurveyorVATIN"});

const Schema kUserAttribute = TextsOnly("UserAttribute", {"Name", "Value"});

const Schema kOperationalAttribute{
    "OperationalAttribute",
    {Text("DateTime"), {"OperationID", Kind::Int, kRequired}, Text("OperationData")}};

const Schema kIndustryAttribute = TextsOnly(
    "IndustryAttribute", {"IdentifierFOIV", "DocumentDate", "DocumentNumber", "AttributeValue"});

const Schema kFractionalQuantity{
    "FractionalQuantity",
    {{"Numerator", Kind::Int, kRequired}, {"Denominator", Kind::Int, kRequired}}};

const Schema kGoodCodeData = TextsOnly(
    "GoodCodeData", {"MarkingCode", "NotIdentified", "EAN8", "EAN13", "ITF14", "GS10", "GS1M",
                     "KMK", "MI", "EGAIS20", "EGAIS30", "F1", "F2", "F3", "F4", "F5", "F6"});

const Schema kParameters{"Parameters",
                         {Text("CashierName", kRequired),
                          Text("CashierVATIN"),
                          {"PaymentType", Kind::Int, kRequired},
                          {"CorrectionData", Kind::Object, kOptional, &kCorrectionData},
                          {"TaxVariant", Kind::Int, kRequired},
                          {"CustomerDetail", Kind::Object, kOptional, &kCustomerDetail},
                          Text("CustomerEmail"),
                          Text("CustomerPhone"),
                          Text("SenderEmail"),
                          Text("PlaceSettle"),
                          Text("AddressSettle"),
                          Text("AutomatNumber"),
                          {"AgentSign", Kind::Int, kOptional},
                          {"AgentData", Kind::Object, kOptional, &kAgentData},
                          {"PurveyorData", Kind::Object, kOptional, &kPurveyorData},
                          {"UserAttribute", Kind::Object, kOptional, &kUserAttribute},
                          Text("AdditionalAttribute"),
                          {"OperationalAttribute", Kind::Object, kOptional, &kOperationalAttribute},
                          {"IndustryAttribute", Kind::Object, kOptional, &kIndustryAttribute}}};

const Schema kFiscalString{"FiscalString",
                           {Text("Name", kRequired),
                            {"Quantity", Kind::Number, kRequired},
                            {"PriceWithDiscount", Kind::Number, kRequired},
                            {"SumWithDiscount", Kind::Number, kRequired},
                            {"DiscountSum", Kind::Number, kOptional},
                            {"Department", Kind::Unsigned, kOptional},
                            Text("Tax", kRequired),
                            {"VATAmount", Kind::Number, kRequired},
                            {"SignMethodCalculation", Kind::Unsigned, kOptional},
                            {"SignCalculationObject", Kind::Unsigned, kOptional},
                            {"SignSubjectCalculationAgent", Kind::Unsigned, kOptional},
                            {"AgentData", Kind::Object, kOptional, &kAgentData},
                            {"PurveyorData", Kind::Object, kOptional, &kPurveyorData},
                            {"MeasurementUnit", Kind::Int, kOptional},
                            {"FractionalQuantity", Kind::Object, kOptional, &kFractionalQuantity},
                            {"GoodCodeData", Kind::Object, kOptional, &kGoodCodeData},
                            Text("MarkingCode"),
                            Text("CountryOfOrigin"),
                            Text("CustomsDeclaration"),
                            Text("AdditionalAttribute"),
                            {"ExciseAmount", Kind::Number, kOptional},
                            {"IndustryAttribute", Kind::Object, kOptional, &kIndustryAttribute}}};

const Schema kTextString{"TextString", {Text("Text", kRequired)}};

const Schema kBarcode{"Barcode", {Text("Barcode", kRequired), Text("BarcodeType", kRequired)}};

const Schema kPositions{"Positions",
                        {{"FiscalString", Kind::Array, kRequired, &kFiscalString},
                         {"TextString", Kind::Array, kRequired, &kTextString},
                         {"Barcode", Kind::Array, kRequired, &kBarcode}}};

const Schema kPayments{"Payments",
                       {{"Cash", Kind::Number, kOptional},
                        {"ElectronicPayment", Kind::Number, kOptional},
                        {"AdvancePayment", Kind::Number, kOptional},
                        {"Credit", Kind::Number, kOptional},
                        {"CashProvision", Kind::Number, kOptional}}};

}  // namespace

const Schema kCashierSchema{"кассир",
                            {Text("CashierName", kRequired), Text("CashierVATIN"),
                             Text("SaleAddress"), Text("SaleLocation")}};

const Schema kCheckSchema{"чек",
                          {{"Parameters", Kind::Object, kRequired, &kParameters},
                           {"Positions", Kind::Object, kRequired, &kPositions},
                           {"Payments", Kind::Object, kRequired, &kPayments}}};

const Schema kRequestKMSchema{
    "запрос КМ",
    {Text("GUID", kRequired),
     {"WaitForResult", Kind::True, kOptional},
     Text("MarkingCode", kRequired),
     {"PlannedStatus", Kind::Int, kRequired},
     {"Quantity", Kind::Number, kOptional},
     Text("MeasureOfQuantity"),
     {"FractionalQuantity", Kind::Object, kOptional, &kFractionalQuantity}}};

const Schema kConfirmKMSchema{
    "подтверждение КМ", {Text("GUID", kRequired), {"ConfirmationType", Kind::Unsigned, kRequired}}};

}  // namespace kassa
