#include "model/check_package.h"

#include <iterator>

#include "model/check_encoding.h"

namespace zarvik {

namespace {

using namespace field;

const Field<CorrectionData> kCorrectionDataFields[] = {
    Row<&CorrectionData::Type>("Type", "Type", Plain, Unsigned, Always),
    Row<&CorrectionData::Description>("Description", "Description", Required, Text, NonEmpty),
    Row<&CorrectionData::Date>("Date", "Date", Required, Text, NonEmpty),
    Row<&CorrectionData::Number>("Number", "Number", Required, Text, NonEmpty),
};

const Field<CustomerDetail> kCustomerDetailFields[] = {
    Row<&CustomerDetail::Info>("Info", "Info", Plain, Text, NonEmpty),
    Row<&CustomerDetail::INN>("INN", "INN", Plain, Text, NonEmpty),
    Row<&CustomerDetail::DateOfBirth>("DateOfBirth", "DateOfBirth", Plain, Text, NonEmpty),
    Row<&CustomerDetail::Citizenship>("Citizenship", "Citizenship", Plain, Text, NonEmpty),
    Row<&CustomerDetail::DocumentTypeCode>("DocumentTypeCode", "DocumentTypeCode", IfAttribute,
                                           Integer, WhenPresent),
    Row<&CustomerDetail::DocumentData>("DocumentData", "DocumentData", Plain, Text, NonEmpty),
    Row<&CustomerDetail::Address>("Address", "Address", Plain, Text, NonEmpty),
};

const Field<AgentData> kAgentDataFields[] = {
    Row<&AgentData::AgentOperation>("AgentOperation", "PayingAgentOperation", Plain, Text,
                                    NonEmpty),
    Row<&AgentData::AgentPhone>("AgentPhone", "PayingAgentPhone", Plain, Text, NonEmpty),
    Row<&AgentData::PaymentProcessorPhone>("PaymentProcessorPhone", "ReceivePaymentsOperatorPhone",
                                           Plain, Text, NonEmpty),
    Row<&AgentData::AcquirerOperatorPhone>("AcquirerOperatorPhone", "MoneyTransferOperatorPhone",
                                           Plain, Text, NonEmpty),
    Row<&AgentData::AcquirerOperatorName>("AcquirerOperatorName", "MoneyTransferOperatorName",
                                          Plain, Text, NonEmpty),
    Row<&AgentData::AcquirerOperatorAddress>("AcquirerOperatorAddress",
                                             "MoneyTransferOperatorAddress", Plain, Text, NonEmpty),
    Row<&AgentData::AcquirerOperatorINN>("AcquirerOperatorINN", "MoneyTransferOperatorVATIN", Plain,
                                         Text, NonEmpty),
};

const Field<VendorData> kVendorDataFields[] = {
    Row<&VendorData::VendorPhone>("VendorPhone", "PurveyorPhone", Plain, Text, NonEmpty),
    Row<&VendorData::VendorName>("VendorName", "PurveyorName", Plain, Text, NonEmpty),
    Row<&VendorData::VendorINN>("VendorINN", "PurveyorVATIN", Plain, Text, NonEmpty),
};

const Field<UserAttribute> kUserAttributeFields[] = {
    Row<&UserAttribute::Name>("Name", "Name", Plain, Text, NonEmpty),
    Row<&UserAttribute::Value>("Value", "Value", Plain, Text, NonEmpty),
};

const Field<OperationalAttribute> kOperationalAttributeFields[] = {
    Row<&OperationalAttribute::DateTime>("DateTime", "DateTime", Plain, Text, NonEmpty),
    Row<&OperationalAttribute::OperationID>("OperationID", "OperationID", Plain, Integer, Always),
    Row<&OperationalAttribute::OperationData>("OperationData", "OperationData", Plain, Text,
                                              NonEmpty),
};

const Field<IndustryAttribute> kIndustryAttributeFields[] = {
    Row<&IndustryAttribute::IdentifierFOIV>("IdentifierFOIV", "IdentifierFOIV", Plain, Text,
                                            NonEmpty),
    Row<&IndustryAttribute::DocumentDate>("DocumentDate", "DocumentDate", Plain, Text, NonEmpty),
    Row<&IndustryAttribute::DocumentNumber>("DocumentNumber", "DocumentNumber", Plain, Text,
                                            NonEmpty),
    Row<&IndustryAttribute::AttributeValue>("AttributeValue", "AttributeValue", Plain, Text,
                                            NonEmpty),
};

using CP = CheckPackage;
using FS = FiscalString;

const Field<CheckPackage> kParametersFields[] = {
    Row<&CP::CashierName>("CashierName", "CashierName", Required, Text, Always),
    Row<&CP::CashierINN>("CashierINN", "CashierVATIN", IfAttribute, Text, WhenPresent),
    Row<&CP::OperationType>("OperationType", "PaymentType", Plain, Integer, Always),
    TablePartRow<&CP::CorrectionData, kCorrectionDataFields>("CorrectionData", "CorrectionData"),
    Row<&CP::TaxationSystem>("TaxationSystem", "TaxVariant", Plain, Integer, Always),
    TablePartRow<&CP::CustomerDetail, kCustomerDetailFields>("CustomerDetail", "CustomerDetail"),
    Row<&CP::CustomerEmail>("CustomerEmail", "CustomerEmail", IfAttribute, Text, WhenPresent),
    Row<&CP::CustomerPhone>("CustomerPhone", "CustomerPhone", IfAttribute, Text, WhenPresent),
    Row<&CP::SenderEmail>("SenderEmail", "SenderEmail", IfAttribute, Text, WhenPresent),
    // Crosswise on purpose: the companion calls the settlement address
    // "PlaceSettle" and the settlement place "AddressSettle".
    Row<&CP::SaleAddress>("SaleAddress", "PlaceSettle", IfAttribute, Text, WhenPresent),
    Row<&CP::SaleLocation>("SaleLocation", "AddressSettle", IfAttribute, Text, WhenPresent),
    Row<&CP::AutomatNumber>("AutomatNumber", "AutomatNumber", IfAttribute, Text, WhenPresent),
    Row<&CP::AgentType>("AgentType", "AgentSign", NonZero, Integer, WhenPresent),
    TablePartRow<&CP::AgentData, kAgentDataFields>("AgentData", "AgentData"),
    TablePartRow<&CP::VendorData, kVendorDataFields>("VendorData", "PurveyorData"),
    TablePartRow<&CP::UserAttribute, kUserAttributeFields>("UserAttribute", "UserAttribute"),
    Row<&CP::AdditionalAttribute>("AdditionalAttribute", "AdditionalAttribute", IfAttribute, Text,
                                  WhenPresent),
    TablePartRow<&CP::OperationalAttribute, kOperationalAttributeFields>("OperationalAttribute",
                                                                         "OperationalAttribute"),
    TablePartRow<&CP::IndustryAttribute, kIndustryAttributeFields>("IndustryAttribute",
                                                                   "IndustryAttribute"),
};

const Field<FiscalString> kFiscalStringFields[] = {
    Row<&FS::Name>("Name", "Name", Required, Text, Always),
    Row<&FS::Quantity>("Quantity", "Quantity", Plain, Number, Always),
    Row<&FS::PriceWithDiscount>("PriceWithDiscount", "PriceWithDiscount", Plain, Number, Always),
    Row<&FS::AmountWithDiscount>("AmountWithDiscount", "SumWithDiscount", Plain, Number, Always),
    Row<&FS::DiscountAmount>("DiscountAmount", "DiscountSum", NonZero, Number, WhenPresent),
    Row<&FS::Department>("Department", "Department", NonZero, Unsigned, WhenPresent),
    Row<&FS::VATRate>("VATRate", "Tax", Required, Text, Always),
    Row<&FS::VATAmount>("VATAmount", "VATAmount", Plain, Number, Always),
    Row<&FS::PaymentMethod>("PaymentMethod", "SignMethodCalculation", NonZero, Unsigned,
                            WhenPresent),
    Row<&FS::CalculationSubject>("CalculationSubject", "SignCalculationObject", NonZero, Unsigned,
                                 WhenPresent),
    Row<&FS::CalculationAgent>("CalculationAgent", "SignSubjectCalculationAgent", NonZero, Unsigned,
                               WhenPresent),
    TablePartRow<&FS::AgentData, kAgentDataFields>("AgentData", "AgentData"),
    TablePartRow<&FS::VendorData, kVendorDataFields>("VendorData", "PurveyorData"),
    Row<&FS::MeasureOfQuantity>("MeasureOfQuantity", "MeasurementUnit", IfAttribute, Integer,
                                WhenPresent),
    PartRow<&FS::FractionalQuantity, ReadFractionalQuantity, WriteFractionalQuantity>(
        "FractionalQuantity", "FractionalQuantity"),
    PartRow<&FS::GoodCodeData, ReadGoodCodeData, WriteGoodCodeData>("GoodCodeData", "GoodCodeData"),
    Row<&FS::MarkingCode>("MarkingCode", "MarkingCode", IfAttribute, Text, WhenPresent),
    Row<&FS::CountryOfOrigin>("CountryOfOrigin", "CountryOfOrigin", IfAttribute, Text, WhenPresent),
    Row<&FS::CustomsDeclaration>("CustomsDeclaration", "CustomsDeclaration", IfAttribute, Text,
                                 WhenPresent),
    Row<&FS::AdditionalAttribute>("AdditionalAttribute", "AdditionalAttribute", IfAttribute, Text,
                                  WhenPresent),
    Row<&FS::ExciseAmount>("ExciseAmount", "ExciseAmount", NonZero, Number, WhenPresent),
    TablePartRow<&FS::IndustryAttribute, kIndustryAttributeFields>("IndustryAttribute",
                                                                   "IndustryAttribute"),
};

const Field<CheckPackage> kPaymentsFields[] = {
    Row<&CP::Cash>("Cash", "Cash", NonZero, Number, WhenPresent),
    Row<&CP::ElectronicPayment>("ElectronicPayment", "ElectronicPayment", NonZero, Number,
                                WhenPresent),
    Row<&CP::PrePayment>("PrePayment", "AdvancePayment", NonZero, Number, WhenPresent),
    Row<&CP::PostPayment>("PostPayment", "Credit", NonZero, Number, WhenPresent),
    Row<&CP::Barter>("Barter", "CashProvision", NonZero, Number, WhenPresent),
};

// Three passes: the companion takes positions, text lines and barcodes as
// three lists, so their interleaving in the package is not kept.
void ReadPositions(const XmlElement& positions, CheckPackage& check) {
    // Room for exactly the receipt's positions: grown by doubling, the list of a
    // large receipt would pass the bound of what is kept and be rebuilt each call.
    const auto fiscalStrings = positions.children("FiscalString");
    check.FiscalStrings.reserve(std::distance(fiscalStrings.begin(), fiscalStrings.end()));
    int number = 0;
    for (const XmlElement e : fiscalStrings) {
        ReadFields(e, kFiscalStringFields, check.FiscalStrings.emplace_back(),
                   Where{"FiscalString", ++number});
    }
    for (const XmlElement e : positions.children("TextString")) {
        if (const pugi::xml_attribute text = e.attribute("Text")) {
            check.TextStrings.emplace_back(text.value());
        }
    }
    for (const XmlElement e : positions.children("Barcode")) {
        Barcode barcode{e.attribute("Type").value(), e.attribute("ValueBase64").value()};
        if (!barcode.Type.empty() || !barcode.ValueBase64.empty()) {
            check.Barcodes.push_back(std::move(barcode));
        }
    }
}

// The three lists are always written, even empty: the companion expects them.
void WritePositions(const CheckPackage& check, JsonTextWriter& writer) {
    writer.StartObject();
    writer.Name("FiscalString");
    writer.StartArray();
    for (const FiscalString& position : check.FiscalStrings) {
        WriteObject(position, kFiscalStringFields, writer);
    }
    writer.EndArray();

    writer.Name("TextString");
    writer.StartArray();
    for (const std::string& line : check.TextStrings) {
        writer.StartObject();
        writer.Name("Text");
        writer.Text(line);
        writer.EndObject();
    }
    writer.EndArray();

    // "Barcode" (the Base64 value) comes before "BarcodeType" here.
    writer.Name("Barcode");
    writer.StartArray();
    for (const Barcode& barcode : check.Barcodes) {
        writer.StartObject();
        writer.Name("Barcode");
        writer.Text(barcode.ValueBase64);
        writer.Name("BarcodeType");
        writer.Text(barcode.Type);
        writer.EndObject();
    }
    writer.EndArray();
    writer.EndObject();
}

// Under the companion's keys. A part whose texts are all empty is still an
// object ({} or its always-written members).
void WriteCheckDocument(const CheckPackage& check, JsonTextWriter& writer) {
    writer.StartObject();
    writer.Name("Parameters");
    WriteObject(check, kParametersFields, writer);
    writer.Name("Positions");
    WritePositions(check, writer);
    writer.Name("Payments");
    WriteObject(check, kPaymentsFields, writer);
    writer.EndObject();
}

}  // namespace

void ParseCheckPackage(std::string& text, CheckPackage& check) {
    pugi::xml_document document;
    const char* noRoot = "отсутствует корневой элемент пакета чека";
    const XmlElement root = ParseDocument(document, text, "пакет чека не является корректным XML",
                                          noRoot, noRoot, true);
    // Read fresh; only the room of the position list is kept for the next receipt.
    std::vector<FiscalString> positions = std::move(check.FiscalStrings);
    positions.clear();
    check = CheckPackage();
    check.FiscalStrings = std::move(positions);
    ReadFields(RequiredChild(root, "Parameters"), kParametersFields, check, Where{"Parameters"});
    ReadPositions(RequiredChild(root, "Positions"), check);
    ReadFields(RequiredChild(root, "Payments"), kPaymentsFields, check, Where{"Payments"});
}

CheckPackage ParseCheckPackage(std::string text) {
    CheckPackage check;
    ParseCheckPackage(text, check);
    return check;
}

// Room for the whole document at once: a position takes some 600 bytes, and
// escaped the document grows by a backslash before each quotation mark.
std::string CheckDocumentText(const CheckPackage& check, JsonTextStream::Form form) {
    const size_t expected = 1024 + check.FiscalStrings.size() * 768;
    return JsonText([&](JsonTextWriter& writer) { WriteCheckDocument(check, writer); }, form,
                    form == JsonTextStream::Form::Plain ? expected : expected * 5 / 4);
}

}  // namespace zarvik
