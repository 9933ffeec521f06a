#include "model/check_encoding.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

namespace zarvik {

namespace {

using rapidjson::StringRef;
using rapidjson::Value;

Value Text(const std::string& text, JsonAllocator& allocator) {
    return Value(text.data(), static_cast<rapidjson::SizeType>(text.size()), allocator);
}

// The three lists are always written, even empty: the companion expects them.
Value Positions(const CheckPackage& check, JsonAllocator& allocator) {
    Value fiscalStrings(rapidjson::kArrayType);
    fiscalStrings.Reserve(static_cast<rapidjson::SizeType>(check.FiscalStrings.size()), allocator);
    for (const FiscalString& position : check.FiscalStrings) {
        Value object(rapidjson::kObjectType);
        WriteFiscalString(position, object, allocator);
        fiscalStrings.PushBack(object, allocator);
    }

    Value textStrings(rapidjson::kArrayType);
    textStrings.Reserve(static_cast<rapidjson::SizeType>(check.TextStrings.size()), allocator);
    for (const std::string& line : check.TextStrings) {
        Value object(rapidjson::kObjectType);
        object.AddMember("Text", Text(line, allocator), allocator);
        textStrings.PushBack(object, allocator);
    }

    // "Barcode" (the Base64 value) comes before "BarcodeType" here.
    Value barcodes(rapidjson::kArrayType);
    barcodes.Reserve(static_cast<rapidjson::SizeType>(check.Barcodes.size()), allocator);
    for (const Barcode& barcode : check.Barcodes) {
        Value object(rapidjson::kObjectType);
        object.AddMember("Barcode", Text(barcode.ValueBase64, allocator), allocator);
        object.AddMember("BarcodeType", Text(barcode.Type, allocator), allocator);
        barcodes.PushBack(object, allocator);
    }

    Value positions(rapidjson::kObjectType);
    positions.AddMember("FiscalString", fiscalStrings, allocator);
    positions.AddMember("TextString", textStrings, allocator);
    positions.AddMember("Barcode", barcodes, allocator);
    return positions;
}

}  // namespace

std::string CheckDocumentText(const CheckPackage& check) {
    rapidjson::Document document(rapidjson::kObjectType);
    JsonAllocator& allocator = document.GetAllocator();

    Value parameters(rapidjson::kObjectType);
    WriteCheckParameters(check, parameters, allocator);
    Value payments(rapidjson::kObjectType);
    WriteCheckPayments(check, payments, allocator);

    document.AddMember("Parameters", parameters, allocator);
    document.AddMember("Positions", Positions(check, allocator), allocator);
    document.AddMember("Payments", payments, allocator);

    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    document.Accept(writer);
    return std::string(buffer.GetString(), buffer.GetSize());
}

JsonRpcParams ProcessCheckParams(bool electronically, const CheckPackage& check) {
    JsonRpcParams params;
    params.reserve(3);
    params.push_back(JsonRpcParam::String(std::string()));
    params.push_back(JsonRpcParam::Bool(electronically));
    params.push_back(JsonRpcParam::String(CheckDocumentText(check)));
    return params;
}

}  // namespace zarvik
