#include "model/check_package.h"

namespace zarvik {

namespace {

using namespace field;

const Field<CorrectionData> kCorrectionDataFields[] = {
    {"Type", "Type", &CorrectionData::Type, Plain, Unsigned, Always},
    {"Description", "Description", &CorrectionData::Description, Required, Text, NonEmpty},
    {"Date", "Date", &CorrectionData::Date, Required, Text, NonEmpty},
    {"Number", "Number", &CorrectionData::Number, Required, Text, NonEmpty},
};

const Field<CustomerDetail> kCustomerDetailFields[] = {
    {"Info", "Info", &CustomerDetail::Info, Plain, Text, NonEmpty},
    {"INN", "INN", &CustomerDetail::INN, Plain, Text, NonEmpty},
    {"DateOfBirth", "DateOfBirth", &CustomerDetail::DateOfBirth, Plain, Text, NonEmpty},
    {"Citizenship", "Citizenship", &CustomerDetail::Citizenship, Plain, Text, NonEmpty},
    {"DocumentTypeCode", "DocumentTypeCode", &CustomerDetail::DocumentTypeCode, IfAttribute,
     Integer, WhenPresent},
    {"DocumentData", "DocumentData", &CustomerDetail::DocumentData, Plain, Text, NonEmpty},
    {"Address", "Address", &CustomerDetail::Address, Plain, Text, NonEmpty},
};

const Field<AgentData> kAgentDataFields[] = {
    {"AgentOperation", "PayingAgentOperation", &AgentData::AgentOperation, Plain, Text, NonEmpty},
    {"AgentPhone", "PayingAgentPhone", &AgentData::AgentPhone, Plain, Text, NonEmpty},
    {"PaymentProcessorPhone", "ReceivePaymentsOperatorPhone", &AgentData::PaymentProcessorPhone,
     Plain, Text, NonEmpty},
    {"AcquirerOperatorPhone", "MoneyTransferOperatorPhone", &AgentData::AcquirerOperatorPhone,
     Plain, Text, NonEmpty},
    {"AcquirerOperatorName", "MoneyTransferOperatorName", &AgentData::AcquirerOperatorName, Plain,
     Text, NonEmpty},
    {"AcquirerOperatorAddress", "MoneyTransferOperatorAddress", &AgentData::AcquirerOperatorAddress,
     Plain, Text, NonEmpty},
    {"AcquirerOperatorINN", "MoneyTransferOperatorVATIN", &AgentData::AcquirerOperatorINN, Plain,
     Text, NonEmpty},
};

const Field<VendorData> kVendorDataFields[] = {
    {"VendorPhone", "PurveyorPhone", &VendorData::VendorPhone, Plain, Text, NonEmpty},
    {"VendorName", "PurveyorName", &VendorData::VendorName, Plain, Text, NonEmpty},
    {"VendorINN", "PurveyorVATIN", &VendorData::VendorINN, Plain, Text, NonEmpty},
};

const Field<UserAttribute> kUserAttributeFields[] = {
    {"Name", "Name", &UserAttribute::Name, Plain, Text, NonEmpty},
    {"Value", "Value", &UserAttribute::Value, Plain, Text, NonEmpty},
};

const Field<OperationalAttribute> kOperationalAttributeFields[] = {
    {"DateTime", "DateTime", &OperationalAttribute::DateTime, Plain, Text, NonEmpty},
    {"OperationID", "OperationID", &OperationalAttribute::OperationID, Plain, Integer, Always},
    {"OperationData", "OperationData", &OperationalAttribute::OperationData, Plain, Text, NonEmpty},
};

const Field<IndustryAttribute> kIndustryAttributeFields[] = {
    {"IdentifierFOIV", "IdentifierFOIV", &IndustryAttribute::IdentifierFOIV, Plain, Text, NonEmpty},
    {"DocumentDate", "DocumentDate", &IndustryAttribute::DocumentDate, Plain, Text, NonEmpty},
    {"DocumentNumber", "DocumentNumber", &IndustryAttribute::DocumentNumber, Plain, Text, NonEmpty},
    {"AttributeValue", "AttributeValue", &IndustryAttribute::AttributeValue, Plain, Text, NonEmpty},
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
    {"CashierName", "CashierName", &CP::CashierName, Required, Text, Always},
    {"CashierINN", "CashierVATIN", &CP::CashierINN, IfAttribute, Text, WhenPresent},
    {"OperationType", "PaymentType", &CP::OperationType, Plain, Integer, Always},
    PartField<&CP::CorrectionData, ReadCorrectionData, CorrectionDataToJson>("CorrectionData",
                                                                             "CorrectionData"),
    {"TaxationSystem", "TaxVariant", &CP::TaxationSystem, Plain, Integer, Always},
    PartField<&CP::CustomerDetail, ReadCustomerDetail, CustomerDetailToJson>("CustomerDetail",
                                                                             "CustomerDetail"),
    {"CustomerEmail", "CustomerEmail", &CP::CustomerEmail, IfAttribute, Text, WhenPresent},
    {"CustomerPhone", "CustomerPhone", &CP::CustomerPhone, IfAttribute, Text, WhenPresent},
    {"SenderEmail", "SenderEmail", &CP::SenderEmail, IfAttribute, Text, WhenPresent},
    // Crosswise on purpose: the companion calls the settlement address
    // "PlaceSettle" and the settlement place "AddressSettle".
    {"SaleAddress", "PlaceSettle", &CP::SaleAddress, IfAttribute, Text, WhenPresent},
    {"SaleLocation", "AddressSettle", &CP::SaleLocation, IfAttribute, Text, WhenPresent},
    {"AutomatNumber", "AutomatNumber", &CP::AutomatNumber, IfAttribute, Text, WhenPresent},
    {"AgentType", "AgentSign", &CP::AgentType, NonZero, Integer, WhenPresent},
    PartField<&CP::AgentData, ReadAgentData, AgentDataToJson>("AgentData", "AgentData"),
    PartField<&CP::VendorData, ReadVendorData, VendorDataToJson>("VendorData", "PurveyorData"),
    PartField<&CP::UserAttribute, ReadUserAttribute, UserAttributeToJson>("UserAttribute",
                                                                          "UserAttribute"),
    {"AdditionalAttribute", "AdditionalAttribute", &CP::AdditionalAttribute, IfAttribute, Text,
     WhenPresent},
    PartField<&CP::OperationalAttribute, ReadOperationalAttribute, OperationalAttributeToJson>(
        "OperationalAttribute", "OperationalAttribute"),
    PartField<&CP::IndustryAttribute, ReadIndustryAttribute, IndustryAttributeToJson>(
        "IndustryAttribute", "IndustryAttribute"),
};

const Field<FiscalString> kFiscalStringFields[] = {
    {"Name", "Name", &FS::Name, Required, Text, Always},
    {"Quantity", "Quantity", &FS::Quantity, Plain, Number, Always},
    {"PriceWithDiscount", "PriceWithDiscount", &FS::PriceWithDiscount, Plain, Number, Always},
    {"AmountWithDiscount", "SumWithDiscount", &FS::AmountWithDiscount, Plain, Number, Always},
    {"DiscountAmount", "DiscountSum", &FS::DiscountAmount, NonZero, Number, WhenPresent},
    {"Department", "Department", &FS::Department, NonZero, Unsigned, WhenPresent},
    {"VATRate", "Tax", &FS::VATRate, Required, Text, Always},
    {"VATAmount", "VATAmount", &FS::VATAmount, Plain, Number, Always},
    {"PaymentMethod", "SignMethodCalculation", &FS::PaymentMethod, NonZero, Unsigned, WhenPresent},
    {"CalculationSubject", "SignCalculationObject", &FS::CalculationSubject, NonZero, Unsigned,
     WhenPresent},
    {"CalculationAgent", "SignSubjectCalculationAgent", &FS::CalculationAgent, NonZero, Unsigned,
     WhenPresent},
    PartField<&FS::AgentData, ReadAgentData, AgentDataToJson>("AgentData", "AgentData"),
    PartField<&FS::VendorData, ReadVendorData, VendorDataToJson>("VendorData", "PurveyorData"),
    {"MeasureOfQuantity", "MeasurementUnit", &FS::MeasureOfQuantity, IfAttribute, Integer,
     WhenPresent},
    PartField<&FS::FractionalQuantity, ReadFractionalQuantity, FractionalQuantityToJson>(
        "FractionalQuantity", "FractionalQuantity"),
    PartField<&FS::GoodCodeData, ReadGoodCodeData, GoodCodeDataToJson>("GoodCodeData",
                                                                       "GoodCodeData"),
    {"MarkingCode", "MarkingCode", &FS::MarkingCode, IfAttribute, Text, WhenPresent},
    {"CountryOfOrigin", "CountryOfOrigin", &FS::CountryOfOrigin, IfAttribute, Text, WhenPresent},
    {"CustomsDeclaration", "CustomsDeclaration", &FS::CustomsDeclaration, IfAttribute, Text,
     WhenPresent},
    {"AdditionalAttribute", "AdditionalAttribute", &FS::AdditionalAttribute, IfAttribute, Text,
     WhenPresent},
    {"ExciseAmount", "ExciseAmount", &FS::ExciseAmount, NonZero, Number, WhenPresent},
    PartField<&FS::IndustryAttribute, ReadIndustryAttribute, IndustryAttributeToJson>(
        "IndustryAttribute", "IndustryAttribute"),
};

const Field<CheckPackage> kPaymentsFields[] = {
    {"Cash", "Cash", &CP::Cash, NonZero, Number, WhenPresent},
    {"ElectronicPayment", "ElectronicPayment", &CP::ElectronicPayment, NonZero, Number,
     WhenPresent},
    {"PrePayment", "AdvancePayment", &CP::PrePayment, NonZero, Number, WhenPresent},
    {"PostPayment", "Credit", &CP::PostPayment, NonZero, Number, WhenPresent},
    {"Barter", "CashProvision", &CP::Barter, NonZero, Number, WhenPresent},
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
