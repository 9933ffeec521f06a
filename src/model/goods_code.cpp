#include "model/goods_code.h"

namespace zarvik {

namespace {

using namespace field;

// The companion's keys drop the point of the GS1 names.
const Field<GoodCodeData> kGoodCodeFields[] = {
    {"NotIdentified", "NotIdentified", &GoodCodeData::NotIdentified, Plain, Text, NonEmpty},
    {"EAN8", "EAN8", &GoodCodeData::EAN8, Plain, Text, NonEmpty},
    {"EAN13", "EAN13", &GoodCodeData::EAN13, Plain, Text, NonEmpty},
    {"ITF14", "ITF14", &GoodCodeData::ITF14, Plain, Text, NonEmpty},
    {"GS1.0", "GS10", &GoodCodeData::GS10, Plain, Text, NonEmpty},
    {"GS1.M", "GS1M", &GoodCodeData::GS1M, Plain, Text, NonEmpty},
    {"KMK", "KMK", &GoodCodeData::KMK, Plain, Text, NonEmpty},
    {"MI", "MI", &GoodCodeData::MI, Plain, Text, NonEmpty},
    {"EGAIS20", "EGAIS20", &GoodCodeData::EGAIS20, Plain, Text, NonEmpty},
    {"EGAIS30", "EGAIS30", &GoodCodeData::EGAIS30, Plain, Text, NonEmpty},
    {"F1", "F1", &GoodCodeData::F1, Plain, Text, NonEmpty},
    {"F2", "F2", &GoodCodeData::F2, Plain, Text, NonEmpty},
    {"F3", "F3", &GoodCodeData::F3, Plain, Text, NonEmpty},
    {"F4", "F4", &GoodCodeData::F4, Plain, Text, NonEmpty},
    {"F5", "F5", &GoodCodeData::F5, Plain, Text, NonEmpty},
    {"F6", "F6", &GoodCodeData::F6, Plain, Text, NonEmpty},
};

const Field<FractionalQuantity> kFractionalQuantityFields[] = {
    {"Numerator", "Numerator", &FractionalQuantity::Numerator, Plain, Integer, Always},
    {"Denominator", "Denominator", &FractionalQuantity::Denominator, Plain, Integer, Always},
};

}  // namespace

GoodCodeData ReadGoodCodeData(const tinyxml2::XMLElement& element) {
    GoodCodeData codes;
    ReadFields(element, kGoodCodeFields, codes, Where{"GoodCodeData"});
    return codes;
}

FractionalQuantity ReadFractionalQuantity(const tinyxml2::XMLElement& element) {
    FractionalQuantity quantity;
    ReadFields(element, kFractionalQuantityFields, quantity, Where{"FractionalQuantity"});
    return quantity;
}

std::optional<GoodCodeData> ReadGoodCodeDataOf(const tinyxml2::XMLElement& parent) {
    if (const tinyxml2::XMLElement* child = UsablePart(parent, "GoodCodeData")) {
        return ReadGoodCodeData(*child);
    }
    return std::nullopt;
}

std::optional<FractionalQuantity> ReadFractionalQuantityOf(const tinyxml2::XMLElement& parent) {
    if (const tinyxml2::XMLElement* child = UsablePart(parent, "FractionalQuantity")) {
        return ReadFractionalQuantity(*child);
    }
    return std::nullopt;
}

rapidjson::Value GoodCodeDataToJson(const GoodCodeData& codes, JsonAllocator& allocator) {
    rapidjson::Value object(rapidjson::kObjectType);
    WriteFields(codes, kGoodCodeFields, object, allocator);
    return object;
}

rapidjson::Value FractionalQuantityToJson(const FractionalQuantity& quantity,
                                          JsonAllocator& allocator) {
    rapidjson::Value object(rapidjson::kObjectType);
    WriteFields(quantity, kFractionalQuantityFields, object, allocator);
    return object;
}

}  // namespace zarvik
