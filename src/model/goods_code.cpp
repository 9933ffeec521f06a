#include "model/goods_code.h"

namespace zarvik {

namespace {

using namespace field;

// The companion's keys drop the point of the GS1 names.
const Field<GoodCodeData> kGoodCodeFields[] = {
    Row<&GoodCodeData::NotIdentified>("NotIdentified", "NotIdentified", Plain, Text, NonEmpty),
    Row<&GoodCodeData::EAN8>("EAN8", "EAN8", Plain, Text, NonEmpty),
    Row<&GoodCodeData::EAN13>("EAN13", "EAN13", Plain, Text, NonEmpty),
    Row<&GoodCodeData::ITF14>("ITF14", "ITF14", Plain, Text, NonEmpty),
    Row<&GoodCodeData::GS10>("GS1.0", "GS10", Plain, Text, NonEmpty),
    Row<&GoodCodeData::GS1M>("GS1.M", "GS1M", Plain, Text, NonEmpty),
    Row<&GoodCodeData::KMK>("KMK", "KMK", Plain, Text, NonEmpty),
    Row<&GoodCodeData::MI>("MI", "MI", Plain, Text, NonEmpty),
    Row<&GoodCodeData::EGAIS20>("EGAIS20", "EGAIS20", Plain, Text, NonEmpty),
    Row<&GoodCodeData::EGAIS30>("EGAIS30", "EGAIS30", Plain, Text, NonEmpty),
    Row<&GoodCodeData::F1>("F1", "F1", Plain, Text, NonEmpty),
    Row<&GoodCodeData::F2>("F2", "F2", Plain, Text, NonEmpty),
    Row<&GoodCodeData::F3>("F3", "F3", Plain, Text, NonEmpty),
    Row<&GoodCodeData::F4>("F4", "F4", Plain, Text, NonEmpty),
    Row<&GoodCodeData::F5>("F5", "F5", Plain, Text, NonEmpty),
    Row<&GoodCodeData::F6>("F6", "F6", Plain, Text, NonEmpty),
};

const Field<FractionalQuantity> kFractionalQuantityFields[] = {
    Row<&FractionalQuantity::Numerator>("Numerator", "Numerator", Plain, Integer, Always),
    Row<&FractionalQuantity::Denominator>("Denominator", "Denominator", Plain, Integer, Always),
};

}  // namespace

GoodCodeData ReadGoodCodeData(const XmlElement& element) {
    GoodCodeData codes;
    ReadFields(element, kGoodCodeFields, codes, Where{"GoodCodeData"});
    return codes;
}

FractionalQuantity ReadFractionalQuantity(const XmlElement& element) {
    FractionalQuantity quantity;
    ReadFields(element, kFractionalQuantityFields, quantity, Where{"FractionalQuantity"});
    return quantity;
}

std::optional<FractionalQuantity> ReadFractionalQuantityOf(const XmlElement& parent) {
    if (const XmlElement child = UsablePart(parent, "FractionalQuantity")) {
        return ReadFractionalQuantity(child);
    }
    return std::nullopt;
}

void WriteGoodCodeData(const GoodCodeData& codes, JsonTextWriter& writer) {
    WriteObject(codes, kGoodCodeFields, writer);
}

void WriteFractionalQuantity(const FractionalQuantity& quantity, JsonTextWriter& writer) {
    WriteObject(quantity, kFractionalQuantityFields, writer);
}

}  // namespace zarvik
