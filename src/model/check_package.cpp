#include "model/check_package.h"

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

template <typename P, std::size_t N>
P ReadPart(const tinyxml2::XMLElement& element, const Field<P> (&table)[N]) {
    P part;
    ReadFields(element, table, part, Where{element.Name()});
    return part;
}

template <typename P, std::size_t N>
rapidjson::Value PartToJson(const P& part, const Field<P> (&table)[N], JsonAllocator& allocator) {
    rapidjson::Value object(rapidjson::kObjectType);
    WriteFields(part, table, object, allocator);
    return object;
}

}  // namespace

CorrectionData ReadCorrectionData(const tinyxml2::XMLElement& element) {
    return ReadPart(element, kCorrectionDataFields);
}
CustomerDetail ReadCustomerDetail(const tinyxml2::XMLElement& element) {
    return ReadPart(element, kCustomerDetailFields);
}
AgentData ReadAgentData(const tinyxml2::XMLElement& element) {
    return ReadPart(element, kAgentDataFields);
}
VendorData ReadVendorData(const tinyxml2::XMLElement& element) {
    return ReadPart(element, kVendorDataFields);
}
UserAttribute ReadUserAttribute(const tinyxml2::XMLElement& element) {
    return ReadPart(element, kUserAttributeFields);
}
OperationalAttribute ReadOperationalAttribute(const tinyxml2::XMLElement& element) {
    return ReadPart(element, kOperationalAttributeFields);
}
IndustryAttribute ReadIndustryAttribute(const tinyxml2::XMLElement& element) {
    return ReadPart(element, kIndustryAttributeFields);
}

rapidjson::Value CorrectionDataToJson(const CorrectionData& part, JsonAllocator& allocator) {
    return PartToJson(part, kCorrectionDataFields, allocator);
}
rapidjson::Value CustomerDetailToJson(const CustomerDetail& part, JsonAllocator& allocator) {
    return PartToJson(part, kCustomerDetailFields, allocator);
}
rapidjson::Value AgentDataToJson(const AgentData& part, JsonAllocator& allocator) {
    return PartToJson(part, kAgentDataFields, allocator);
}
rapidjson::Value VendorDataToJson(const VendorData& part, JsonAllocator& allocator) {
    return PartToJson(part, kVendorDataFields, allocator);
}
rapidjson::Value UserAttributeToJson(const UserAttribute& part, JsonAllocator& allocator) {
    return PartToJson(part, kUserAttributeFields, allocator);
}
rapidjson::Value OperationalAttributeToJson(const OperationalAttribute& part,
                                            JsonAllocator& allocator) {
    return PartToJson(part, kOperationalAttributeFields, allocator);
}
rapidjson::Value IndustryAttributeToJson(const IndustryAttribute& part, JsonAllocator& allocator) {
    return PartToJson(part, kIndustryAttributeFields, allocator);
}

namespace {

using CP = CheckPackage;
using FS = FiscalString;

const Field<CheckPackage> kParametersFields[] = {
    Row<&CP::CashierName>("CashierName", "CashierName", Required, Text, Always),
    Row<&CP::CashierINN>("CashierINN", "CashierVATIN", IfAttribute, Text, WhenPresent),
    Row<&CP::OperationType>("OperationType", "PaymentType", Plain, Integer, Always),
    PartRow<&CP::CorrectionData, ReadCorrectionData, CorrectionDataToJson>("CorrectionData",
                                                                           "CorrectionData"),
    Row<&CP::TaxationSystem>("TaxationSystem", "TaxVariant", Plain, Integer, Always),
    PartRow<&CP::CustomerDetail, ReadCustomerDetail, CustomerDetailToJson>("CustomerDetail",
                                                                           "CustomerDetail"),
    Row<&CP::CustomerEmail>("CustomerEmail", "CustomerEmail", IfAttribute, Text, WhenPresent),
    Row<&CP::CustomerPhone>("CustomerPhone", "CustomerPhone", IfAttribute, Text, WhenPresent),
    Row<&CP::SenderEmail>("SenderEmail", "SenderEmail", IfAttribute, Text, WhenPresent),
    // Crosswise on purpose: the companion calls the settlement address
    // "PlaceSettle" and the settlement place "AddressSettle".
    Row<&CP::SaleAddress>("SaleAddress", "PlaceSettle", IfAttribute, Text, WhenPresent),
    Row<&CP::SaleLocation>("SaleLocation", "AddressSettle", IfAttribute, Text, WhenPresent),
    Row<&CP::AutomatNumber>("AutomatNumber", "AutomatNumber", IfAttribute, Text, WhenPresent),
    Row<&CP::AgentType>("AgentType", "AgentSign", NonZero, Integer, WhenPresent),
    PartRow<&CP::AgentData, ReadAgentData, AgentDataToJson>("AgentData", "AgentData"),
    PartRow<&CP::VendorData, ReadVendorData, VendorDataToJson>("VendorData", "PurveyorData"),
    PartRow<&CP::UserAttribute, ReadUserAttribute, UserAttributeToJson>("UserAttribute",
                                                                        "UserAttribute"),
    Row<&CP::AdditionalAttribute>("AdditionalAttribute", "AdditionalAttribute", IfAttribute, Text,
                                  WhenPresent),
    PartRow<&CP::OperationalAttribute, ReadOperationalAttribute, OperationalAttributeToJson>(
        "OperationalAttribute", "OperationalAttribute"),
    PartRow<&CP::IndustryAttribute, ReadIndustryAttribute, IndustryAttributeToJson>(
        "IndustryAttribute", "IndustryAttribute"),
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
    PartRow<&FS::AgentData, ReadAgentData, AgentDataToJson>("AgentData", "AgentData"),
    PartRow<&FS::VendorData, ReadVendorData, VendorDataToJson>("VendorData", "PurveyorData"),
    Row<&FS::MeasureOfQuantity>("MeasureOfQuantity", "MeasurementUnit", IfAttribute, Integer,
                                WhenPresent),
    PartRow<&FS::FractionalQuantity, ReadFractionalQuantity, FractionalQuantityToJson>(
        "FractionalQuantity", "FractionalQuantity"),
    PartRow<&FS::GoodCodeData, ReadGoodCodeData, GoodCodeDataToJson>("GoodCodeData",
                                                                     "GoodCodeData"),
    Row<&FS::MarkingCode>("MarkingCode", "MarkingCode", IfAttribute, Text, WhenPresent),
    Row<&FS::CountryOfOrigin>("CountryOfOrigin", "CountryOfOrigin", IfAttribute, Text, WhenPresent),
    Row<&FS::CustomsDeclaration>("CustomsDeclaration", "CustomsDeclaration", IfAttribute, Text,
                                 WhenPresent),
    Row<&FS::AdditionalAttribute>("AdditionalAttribute", "AdditionalAttribute", IfAttribute, Text,
                                  WhenPresent),
    Row<&FS::ExciseAmount>("ExciseAmount", "ExciseAmount", NonZero, Number, WhenPresent),
    PartRow<&FS::IndustryAttribute, ReadIndustryAttribute, IndustryAttributeToJson>(
        "IndustryAttribute", "IndustryAttribute"),
};

const Field<CheckPackage> kPaymentsFields[] = {
    Row<&CP::Cash>("Cash", "Cash", NonZero, Number, WhenPresent),
    Row<&CP::ElectronicPayment>("ElectronicPayment", "ElectronicPayment", NonZero, Number,
                                WhenPresent),
    Row<&CP::PrePayment>("PrePayment", "AdvancePayment", NonZero, Number, WhenPresent),
    Row<&CP::PostPayment>("PostPayment", "Credit", NonZero, Number, WhenPresent),
    Row<&CP::Barter>("Barter", "CashProvision", NonZero, Number, WhenPresent),
};

const tinyxml2::XMLElement& RequiredChild(const tinyxml2::XMLElement& root, const char* name) {
    const tinyxml2::XMLElement* child = root.FirstChildElement(name);
    if (child == nullptr) throw InputDataError(std::string("отсутствует элемент ") + name);
    return *child;
}

std::size_t CountChildren(const tinyxml2::XMLElement& parent, const char* name) {
    std::size_t count = 0;
    for (auto* e = parent.FirstChildElement(name); e != nullptr; e = e->NextSiblingElement(name)) {
        ++count;
    }
    return count;
}

// Three passes: the companion takes positions, text lines and barcodes as
// three lists, so their interleaving in the package is not kept.
void ReadPositions(const tinyxml2::XMLElement& positions, CheckPackage& check) {
    check.FiscalStrings.reserve(CountChildren(positions, "FiscalString"));
    int number = 0;
    for (auto* e = positions.FirstChildElement("FiscalString"); e != nullptr;
         e = e->NextSiblingElement("FiscalString")) {
        FiscalString& position = check.FiscalStrings.emplace_back();
        ReadFields(*e, kFiscalStringFields, position, Where{"FiscalString", ++number});
    }
    for (auto* e = positions.FirstChildElement("TextString"); e != nullptr;
         e = e->NextSiblingElement("TextString")) {
        if (const char* text = e->Attribute("Text")) check.TextStrings.emplace_back(text);
    }
    for (auto* e = positions.FirstChildElement("Barcode"); e != nullptr;
         e = e->NextSiblingElement("Barcode")) {
        const char* type = e->Attribute("Type");
        const char* value = e->Attribute("ValueBase64");
        Barcode barcode{type ? type : "", value ? value : ""};
        if (!barcode.Type.empty() || !barcode.ValueBase64.empty()) {
            check.Barcodes.push_back(std::move(barcode));
        }
    }
}

}  // namespace

CheckPackage ReadCheckPackage(const tinyxml2::XMLElement& root) {
    CheckPackage check;
    ReadFields(RequiredChild(root, "Parameters"), kParametersFields, check, Where{"Parameters"});
    ReadPositions(RequiredChild(root, "Positions"), check);
    ReadFields(RequiredChild(root, "Payments"), kPaymentsFields, check, Where{"Payments"});
    return check;
}

CheckPackage ParseCheckPackage(const std::string& text) {
    tinyxml2::XMLDocument document;
    const tinyxml2::XMLError parsed = document.Parse(text.data(), text.size());
    if (parsed != tinyxml2::XML_SUCCESS && parsed != tinyxml2::XML_ERROR_EMPTY_DOCUMENT) {
        throw InputDataError("пакет чека не является корректным XML (строка " +
                             FormatInt(document.ErrorLineNum()) + ")");
    }
    const tinyxml2::XMLElement* root = document.RootElement();
    if (root == nullptr) throw InputDataError("отсутствует корневой элемент пакета чека");
    return ReadCheckPackage(*root);
}

void WriteCheckParameters(const CheckPackage& check, rapidjson::Value& object,
                          JsonAllocator& allocator) {
    WriteFields(check, kParametersFields, object, allocator);
}

void WriteFiscalString(const FiscalString& position, rapidjson::Value& object,
                       JsonAllocator& allocator) {
    WriteFields(position, kFiscalStringFields, object, allocator);
}

void WriteCheckPayments(const CheckPackage& check, rapidjson::Value& object,
                        JsonAllocator& allocator) {
    WriteFields(check, kPaymentsFields, object, allocator);
}

}  // namespace zarvik
