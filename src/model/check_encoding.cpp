#include "model/check_encoding.h"

namespace zarvik {

namespace {

// The three lists are always written, even empty: the companion expects them.
void WritePositions(const CheckPackage& check, JsonTextWriter& writer) {
    writer.StartObject();
    writer.Name("FiscalString");
    writer.StartArray();
    for (const FiscalString& position : check.FiscalStrings) WriteFiscalString(position, writer);
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

void WriteCheckDocument(const CheckPackage& check, JsonTextWriter& writer) {
    writer.StartObject();
    writer.Name("Parameters");
    WriteCheckParameters(check, writer);
    writer.Name("Positions");
    WritePositions(check, writer);
    writer.Name("Payments");
    WriteCheckPayments(check, writer);
    writer.EndObject();
}

// Room for the whole document at once: a position takes some 600 bytes.
size_t ExpectedSize(const CheckPackage& check) { return 1024 + check.FiscalStrings.size() * 768; }

}  // namespace

std::string CheckDocumentText(const CheckPackage& check) {
    std::string text;
    text.reserve(ExpectedSize(check));
    JsonTextStream stream(text, JsonTextStream::Form::Plain);
    JsonTextWriter writer(stream);
    WriteCheckDocument(check, writer);
    return text;
}

JsonRpcParams ProcessCheckParams(bool electronically, const CheckPackage& check) {
    JsonRpcParams params;
    params.reserve(3);
    params.push_back(JsonRpcParam::String(std::string()));
    params.push_back(JsonRpcParam::Bool(electronically));
    // Escaped, the document grows by a backslash before each quotation mark.
    params.push_back(JsonRpcParam::Document(
        [&check](JsonTextWriter& writer) { WriteCheckDocument(check, writer); },
        ExpectedSize(check) * 5 / 4));
    return params;
}

}  // namespace zarvik
