// The check package: one receipt as the platform describes it (parameters,
// positions, payments), read from its XML and held until the companion has
// registered it. Text is kept byte for byte; numbers follow the platform's
// "%d"/"%lf" reading, so "12abc" is 12 and "1,5" is 1.
//
// Optional fields are absent when the platform did not give them, which is
// not the same as empty or zero: the companion sends the fiscal tags only for
// what is present.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/field_table.h"
#include "model/goods_code.h"

namespace zarvik {

struct CorrectionData {
    int32_t Type = 0;
    std::string Description;  // the three texts are required when the element is used
    std::string Date;
    std::string Number;
};

struct CustomerDetail {
    std::string Info;
    std::string INN;
    std::string DateOfBirth;
    std::string Citizenship;
    std::optional<int32_t> DocumentTypeCode;  // present whenever the attribute exists
    std::string DocumentData;
    std::string Address;
};

struct AgentData {
    std::string AgentOperation;
    std::string AgentPhone;
    std::string PaymentProcessorPhone;
    std::string AcquirerOperatorPhone;
    std::string AcquirerOperatorName;
    std::string AcquirerOperatorAddress;
    std::string AcquirerOperatorINN;
};

struct VendorData {
    std::string VendorPhone;
    std::string VendorName;
    std::string VendorINN;
};

struct UserAttribute {
    std::string Name;
    std::string Value;
};

struct OperationalAttribute {
    std::string DateTime;
    int32_t OperationID = 0;
    std::string OperationData;
};

struct IndustryAttribute {
    std::string IdentifierFOIV;
    std::string DocumentDate;
    std::string DocumentNumber;
    std::string AttributeValue;
};

// One position of the receipt.
struct FiscalString {
    std::string Name;  // required
    double Quantity = 0.0;
    double PriceWithDiscount = 0.0;
    double AmountWithDiscount = 0.0;
    std::optional<double> DiscountAmount;  // present only when non-zero
    std::optional<int32_t> Department;     // present only when non-zero
    std::string VATRate;                   // required; the platform's rate text
    double VATAmount = 0.0;
    std::optional<int32_t> PaymentMethod;       // present only when non-zero
    std::optional<int32_t> CalculationSubject;  // present only when non-zero
    std::optional<int32_t> CalculationAgent;    // present only when non-zero
    std::optional<zarvik::AgentData> AgentData;
    std::optional<zarvik::VendorData> VendorData;
    std::optional<int32_t> MeasureOfQuantity;  // present whenever the attribute exists
    std::optional<zarvik::FractionalQuantity> FractionalQuantity;
    std::optional<zarvik::GoodCodeData> GoodCodeData;
    std::optional<std::string> MarkingCode;
    std::optional<std::string> CountryOfOrigin;
    std::optional<std::string> CustomsDeclaration;
    std::optional<std::string> AdditionalAttribute;
    std::optional<double> ExciseAmount;  // present only when non-zero
    std::optional<zarvik::IndustryAttribute> IndustryAttribute;
};

struct Barcode {
    std::string Type;
    std::string ValueBase64;  // the Base64 text itself, never decoded
};

struct CheckPackage {
    std::string CashierName;  // required
    std::optional<std::string> CashierINN;
    int32_t OperationType = 0;
    std::optional<zarvik::CorrectionData> CorrectionData;
    int32_t TaxationSystem = 0;
    std::optional<zarvik::CustomerDetail> CustomerDetail;
    std::optional<std::string> CustomerEmail;
    std::optional<std::string> CustomerPhone;
    std::optional<std::string> SenderEmail;
    std::optional<std::string> SaleAddress;
    std::optional<std::string> SaleLocation;
    std::optional<std::string> AutomatNumber;
    std::optional<int32_t> AgentType;  // present only when non-zero
    std::optional<zarvik::AgentData> AgentData;
    std::optional<zarvik::VendorData> VendorData;
    std::optional<zarvik::UserAttribute> UserAttribute;
    std::optional<std::string> AdditionalAttribute;
    std::optional<zarvik::OperationalAttribute> OperationalAttribute;
    std::optional<zarvik::IndustryAttribute> IndustryAttribute;

    // Three separate lists: their order among each other is not kept.
    std::vector<FiscalString> FiscalStrings;
    std::vector<std::string> TextStrings;
    std::vector<Barcode> Barcodes;

    // Each present only when non-zero.
    std::optional<double> Cash;
    std::optional<double> ElectronicPayment;
    std::optional<double> PrePayment;
    std::optional<double> PostPayment;
    std::optional<double> Barter;
};

// Parses the package text in place and reads it into `check`, which is reset
// as a whole first (its position list keeps only its room). Text that is not
// well-formed XML, has no root element or lacks a required item throws
// InputDataError naming the first missing item; so does a number attribute
// that reads as nan or inf.
void ParseCheckPackage(std::string& text, CheckPackage& check);
CheckPackage ParseCheckPackage(std::string text);

}  // namespace zarvik
