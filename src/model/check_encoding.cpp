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

}  // namespace

// Room for the whole document at once: a position takes some 600 bytes, and
// escaped the document grows by a backslash before each quotation mark.
std::string CheckDocumentText(const CheckPackage& check, JsonTextStream::Form form) {
    const size_t expected = 1024 + check.FiscalStrings.size() * 768;
    return JsonText([&](JsonTextWriter& writer) { WriteCheckDocument(check, writer); }, form,
                    form == JsonTextStream::Form::Plain ? expected : expected * 5 / 4);
}

}  // namespace zarvik
