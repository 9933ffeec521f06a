// The goods codes of a receipt position and a quantity given as a fraction.
// Both travel through unchanged: the driver never validates, decodes or trims
// a code; a group separator (0x1D) inside a marking code reaches the JSON as
// \u001D.
//
// Use from another record (a receipt position, a marking-code request):
//
//   std::optional<FractionalQuantity> quantity = ReadFractionalQuantityOf(element);
//   (or, for the codes, ReadGoodCodeData of UsablePart(element, "GoodCodeData"))
//   ...
//   if (quantity) {
//       writer.Key("FractionalQuantity");
//       WriteFractionalQuantity(*quantity, writer);
//   }
//
// or, inside a field table, a row made with PartRow<&Record::Member,
// ReadFractionalQuantity, WriteFractionalQuantity>(xml, json).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/field_table.h"

namespace zarvik {

// One text per kind of code; an empty text means "not given". Any number of
// kinds may be given at once and all of them are sent.
struct GoodCodeData {
    std::string NotIdentified;
    std::string EAN8;
    std::string EAN13;
    std::string ITF14;
    std::string GS10;  // XML attribute "GS1.0"
    std::string GS1M;  // XML attribute "GS1.M"
    std::string KMK;
    std::string MI;
    std::string EGAIS20;
    std::string EGAIS30;
    std::string F1;
    std::string F2;
    std::string F3;
    std::string F4;
    std::string F5;
    std::string F6;
};

// No relation between the two is enforced: the companion judges them.
struct FractionalQuantity {
    int32_t Numerator = 0;
    int32_t Denominator = 0;
};

// Readers of the element itself; they never fail on content.
GoodCodeData ReadGoodCodeData(const XmlElement& element);
FractionalQuantity ReadFractionalQuantity(const XmlElement& element);

// The usable child of that name (first of the name, with at least one
// attribute) read, or nothing.
std::optional<FractionalQuantity> ReadFractionalQuantityOf(const XmlElement& parent);

// Whole JSON objects. GoodCodeData writes only the codes given ({} when none
// is); FractionalQuantity always writes "Numerator" then "Denominator", as
// integers.
void WriteGoodCodeData(const GoodCodeData& codes, JsonTextWriter& writer);
void WriteFractionalQuantity(const FractionalQuantity& quantity, JsonTextWriter& writer);

}  // namespace zarvik
