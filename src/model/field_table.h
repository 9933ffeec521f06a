// One row per field of a record: the platform's XML attribute, the companion
// application's JSON key, how the attribute becomes the value and when the
// value is sent. The XML reader and the JSON writer walk the same rows, so a
// key can never be read under one name and sent under another by mistake.
//
//   const Field<VendorData> kVendorFields[] = {
//       {"VendorPhone", "PurveyorPhone", &VendorData::VendorPhone, Plain, Text, NonEmpty},
//       ...
//   };
//   ReadFields(element, kVendorFields, record, Where{"VendorData"});
//   WriteFields(record, kVendorFields, object, allocator);
//
// Nested records (a position's AgentData, GoodCodeData...) are rows too, made
// with PartField, so the JSON keys keep the order the companion expects.
#pragma once

#include <rapidjson/document.h>
#include <tinyxml2.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>

#include "core/driver_error.h"
#include "core/numbers.h"

namespace zarvik {

using JsonAllocator = rapidjson::Document::AllocatorType;

namespace field {

// How the attribute text becomes the value.
enum Presence {
    Required,     // text that must be there: its absence is invalid input (code 8)
    Plain,        // text, or empty; a number scanned as "%d"/"%lf", 0 when absent
    IfAttribute,  // optional: present as soon as the attribute exists, even "" or "x"
    NonZero,      // optional number: present exactly when it scans to non-zero
};

// How the value is written to JSON. Integer and Unsigned differ only for
// negative input: the companion reads some 32-bit fields as unsigned, so -1
// goes out as 4294967295 there.
enum Kind { Text, Integer, Unsigned, Number, Object };

// When the member is written.
enum Written { Always, NonEmpty, WhenPresent };

}  // namespace field

// Names the place of a field in invalid-input messages: "у элемента
// Parameters" or, for a receipt position, "у позиции 3".
struct Where {
    const char* element;
    int position = 0;  // 1-based position number; 0 when not a position

    std::string Describe() const {
        if (position > 0) return "у позиции " + FormatInt(position);
        return std::string("у элемента ") + element;
    }
};

// A nested record: read from its usable child element, written as an object.
template <typename R>
struct PartHooks {
    void (*read)(const tinyxml2::XMLElement& child, R& record);
    void (*write)(const R& record, rapidjson::Value& value, JsonAllocator& allocator);
    bool (*present)(const R& record);
};

template <typename R>
using FieldMember = std::variant<std::string R::*, std::optional<std::string> R::*, int32_t R::*,
                                 std::optional<int32_t> R::*, double R::*,
                                 std::optional<double> R::*, PartHooks<R>>;

template <typename R>
struct Field {
    const char* xml;
    const char* json;
    FieldMember<R> member;
    field::Presence presence;
    field::Kind kind;
    field::Written written;
};

// The first child element of that name, if it carries at least one attribute:
// the platform writes empty part elements as placeholders, and those mean
// "not given".
inline const tinyxml2::XMLElement* UsablePart(const tinyxml2::XMLElement& parent,
                                              const char* name) {
    const tinyxml2::XMLElement* child = parent.FirstChildElement(name);
    if (child == nullptr || child->FirstAttribute() == nullptr) return nullptr;
    return child;
}

namespace detail {

template <typename T>
struct OptionalMember;
template <typename R, typename P>
struct OptionalMember<std::optional<P> R::*> {
    using Record = R;
    using Part = P;
};

inline double ScanFinite(const char* text, const char* attribute, const Where& where) {
    const double value = ScanDouble(text);
    // The JSON writer cannot write nan or inf; a fiscal amount that is not a
    // number is refused rather than sent as garbage.
    if (!std::isfinite(value)) {
        throw InputDataError(std::string("недопустимое числовое значение атрибута ") + attribute +
                             " " + where.Describe() + ": " + text);
    }
    return value;
}

template <typename R>
struct FieldReader {
    const tinyxml2::XMLElement& element;
    const Field<R>& row;
    R& record;
    const Where& where;

    const char* text() const {
        const char* value = element.Attribute(row.xml);
        if (value == nullptr && row.presence == field::Required) {
            throw InputDataError(std::string("отсутствует атрибут ") + row.xml + " " +
                                 where.Describe());
        }
        return value;
    }
    void operator()(std::string R::*m) const {
        if (const char* value = text()) record.*m = value;
    }
    void operator()(std::optional<std::string> R::*m) const {
        if (const char* value = text()) record.*m = value;
    }
    void operator()(int32_t R::*m) const { record.*m = ScanInt(text()); }
    void operator()(std::optional<int32_t> R::*m) const {
        const char* value = text();
        if (value == nullptr) return;
        const int32_t number = ScanInt(value);
        if (row.presence == field::IfAttribute || number != 0) record.*m = number;
    }
    void operator()(double R::*m) const {
        const char* value = text();
        record.*m = value == nullptr ? 0.0 : ScanFinite(value, row.xml, where);
    }
    void operator()(std::optional<double> R::*m) const {
        const char* value = text();
        if (value == nullptr) return;
        const double number = ScanFinite(value, row.xml, where);
        if (row.presence == field::IfAttribute || number != 0.0) record.*m = number;
    }
    void operator()(const PartHooks<R>& part) const {
        if (const tinyxml2::XMLElement* child = UsablePart(element, row.xml)) {
            part.read(*child, record);
        }
    }
};

template <typename R>
struct FieldWriter {
    const Field<R>& row;
    const R& record;
    rapidjson::Value& object;
    JsonAllocator& allocator;

    void add(rapidjson::Value value) const {
        object.AddMember(rapidjson::StringRef(row.json), value, allocator);
    }
    void text(const std::string& value) const {
        add(rapidjson::Value(value.data(), static_cast<rapidjson::SizeType>(value.size()),
                             allocator));
    }
    void integer(int32_t value) const {
        add(row.kind == field::Unsigned ? rapidjson::Value(static_cast<uint32_t>(value))
                                        : rapidjson::Value(value));
    }

    void operator()(std::string R::*m) const {
        if (row.written == field::Always || !(record.*m).empty()) text(record.*m);
    }
    void operator()(std::optional<std::string> R::*m) const {
        if (record.*m) text(*(record.*m));
    }
    void operator()(int32_t R::*m) const { integer(record.*m); }
    void operator()(std::optional<int32_t> R::*m) const {
        if (record.*m) integer(*(record.*m));
    }
    void operator()(double R::*m) const { add(rapidjson::Value(record.*m)); }
    void operator()(std::optional<double> R::*m) const {
        if (record.*m) add(rapidjson::Value(*(record.*m)));
    }
    void operator()(const PartHooks<R>& part) const {
        if (!part.present(record)) return;
        rapidjson::Value value;
        part.write(record, value, allocator);
        add(std::move(value));
    }
};

}  // namespace detail

// Reads the rows in table order from the element's attributes (and usable
// part children) into the record.
template <typename R, std::size_t N>
void ReadFields(const tinyxml2::XMLElement& element, const Field<R> (&table)[N], R& record,
                const Where& where) {
    for (const Field<R>& row : table) {
        std::visit(detail::FieldReader<R>{element, row, record, where}, row.member);
    }
}

// Adds the rows' members to a JSON object in table order.
template <typename R, std::size_t N>
void WriteFields(const R& record, const Field<R> (&table)[N], rapidjson::Value& object,
                 JsonAllocator& allocator) {
    for (const Field<R>& row : table) {
        std::visit(detail::FieldWriter<R>{row, record, object, allocator}, row.member);
    }
}

// A row for a nested record held as std::optional<P> in R, with P's own reader
// of its element and writer of its object.
template <auto Member, auto Read, auto Write>
Field<typename detail::OptionalMember<decltype(Member)>::Record> PartField(const char* xml,
                                                                           const char* json) {
    using R = typename detail::OptionalMember<decltype(Member)>::Record;
    PartHooks<R> hooks{
        [](const tinyxml2::XMLElement& child, R& record) { record.*Member = Read(child); },
        [](const R& record, rapidjson::Value& value, JsonAllocator& allocator) {
            value = Write(*(record.*Member), allocator);
        },
        [](const R& record) { return (record.*Member).has_value(); }};
    return {xml, json, hooks, field::IfAttribute, field::Object, field::WhenPresent};
}

}  // namespace zarvik
