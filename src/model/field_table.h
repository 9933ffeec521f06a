// One row per field of a record: the platform's XML attribute, the companion
// application's JSON key, how the attribute becomes the value and when the
// value is sent. The XML reader and the JSON writer walk the same rows, so a
// key can never be read under one name and sent under another by mistake.
//
//   const Field<VendorData> kVendorFields[] = {
//       Row<&VendorData::VendorPhone>("VendorPhone", "PurveyorPhone", Plain, Text, NonEmpty),
//       ...
//   };
//   ReadFields(element, kVendorFields, record, Where{"VendorData"});
//   WriteFields(record, kVendorFields, writer);
//
// Nested records (a position's AgentData, GoodCodeData...) are rows too, made
// with PartRow (or TablePartRow when the part's own table reads and writes
// it), so the JSON keys keep the order the companion expects.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <type_traits>

#include "core/driver_error.h"
#include "core/numbers.h"
#include "model/json_text.h"
#include "model/xml_input.h"

namespace zarvik {

namespace field {

// How the attribute text becomes the value.
enum Presence {
    Required,     // text that must be there: its absence is invalid input (code 8)
    Plain,        // text, or empty; a number scanned as "%d"/"%lf", 0 when absent
    IfAttribute,  // optional: present as soon as the attribute exists, even "" or "x"
    NonZero,      // optional number: present exactly when it scans to non-zero
};

// How the value is written to JSON. Integer and Unsigned differ only for
// negative input.
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

template <typename R>
struct Field;

// What a row does with its member, made for the member's own type only.
// `text` is the row's attribute text, or null when the element lacks it.
template <typename R>
using FieldReadFn = void (*)(const XmlElement& element, const Field<R>& row, R& record,
                             const Where& where, const char* text);
template <typename R>
using FieldWriteFn = void (*)(const Field<R>& row, const R& record, JsonTextWriter& writer);

template <typename R>
struct Field {
    using Record = R;

    const char* xml;
    const char* json;
    field::Presence presence;
    field::Kind kind;
    field::Written written;
    FieldReadFn<R> read;
    FieldWriteFn<R> write;
};

// The first child element of that name, if it carries at least one attribute:
// the platform writes empty part elements as placeholders, and those mean
// "not given".
inline XmlElement UsablePart(const XmlElement& parent, const char* name) {
    const XmlElement child = parent.child(name);
    return child.first_attribute() ? child : XmlElement();
}

namespace detail {

template <typename T>
struct MemberOf;
template <typename R, typename T>
struct MemberOf<T R::*> {
    using Record = R;
};

template <typename T>
struct Value {
    using Type = T;
    static constexpr bool optional = false;
};
template <typename T>
struct Value<std::optional<T>> {
    using Type = T;
    static constexpr bool optional = true;
};

}  // namespace detail

// The record a pointer to member belongs to.
template <auto Member>
using RecordOf = typename detail::MemberOf<decltype(Member)>::Record;

namespace detail {

// The value rules: `text` is null when the attribute is absent, and the
// record is a fresh one, so an absent attribute leaves the member as made.
template <auto Member>
void ReadMember(const XmlElement&, const Field<RecordOf<Member>>& row, RecordOf<Member>& record,
                const Where& where, const char* text) {
    if (text == nullptr) {
        if (row.presence != field::Required) return;
        throw InputDataError(std::string("отсутствует атрибут ") + row.xml + " " +
                             where.Describe());
    }
    auto& value = record.*Member;
    using V = Value<std::decay_t<decltype(value)>>;
    if constexpr (std::is_same_v<typename V::Type, std::string>) {
        value = text;
    } else {
        typename V::Type number;
        if constexpr (std::is_same_v<typename V::Type, int32_t>) {
            number = ScanInt(text);
        } else {
            number = ScanFinite(text, row.xml, where.Describe());
        }
        if (!V::optional || row.presence == field::IfAttribute || number != 0) value = number;
    }
}

template <auto Member>
void WriteMember(const Field<RecordOf<Member>>& row, const RecordOf<Member>& record,
                 JsonTextWriter& writer) {
    const auto& member = record.*Member;
    using V = Value<std::decay_t<decltype(member)>>;
    const typename V::Type* value = nullptr;
    if constexpr (V::optional) {
        if (member) value = &*member;
    } else {
        value = &member;
    }
    if (value == nullptr) return;
    if constexpr (std::is_same_v<typename V::Type, std::string>) {
        if (row.written == field::NonEmpty && value->empty()) return;
        writer.Name(row.json);
        writer.Text(*value);
    } else if constexpr (std::is_same_v<typename V::Type, int32_t>) {
        writer.Name(row.json);
        // The companion reads some 32-bit fields as unsigned: -1 goes as 4294967295.
        if (row.kind == field::Unsigned) {
            writer.Uint(static_cast<uint32_t>(*value));
        } else {
            writer.Int(*value);
        }
    } else {
        writer.Name(row.json);
        writer.Double(*value);  // finite: ScanFinite let nothing else in
    }
}

template <auto Member, auto Read>
void ReadPartMember(const XmlElement& element, const Field<RecordOf<Member>>& row,
                    RecordOf<Member>& record, const Where&, const char*) {
    if (const XmlElement child = UsablePart(element, row.xml)) record.*Member = Read(child);
}

template <auto Member, auto Write>
void WritePartMember(const Field<RecordOf<Member>>& row, const RecordOf<Member>& record,
                     JsonTextWriter& writer) {
    if (const auto& part = record.*Member) {
        writer.Name(row.json);
        Write(*part, writer);
    }
}

}  // namespace detail

// A row for a member holding text or a number.
template <auto Member>
constexpr Field<RecordOf<Member>> Row(const char* xml, const char* json, field::Presence presence,
                                      field::Kind kind, field::Written written) {
    return {xml,
            json,
            presence,
            kind,
            written,
            &detail::ReadMember<Member>,
            &detail::WriteMember<Member>};
}

// A row for a nested record held as std::optional<P>: read from its usable
// child element by Read (P from an element), written as the object Write
// writes (P and the writer), only when present.
template <auto Member, auto Read, auto Write>
constexpr Field<RecordOf<Member>> PartRow(const char* xml, const char* json) {
    return {xml,
            json,
            field::IfAttribute,
            field::Object,
            field::WhenPresent,
            &detail::ReadPartMember<Member, Read>,
            &detail::WritePartMember<Member, Write>};
}

// Reads the rows in table order from the element's attributes (and usable
// part children) into the record. The attributes are walked once and each
// handed to its row (a table names an attribute once). The platform writes
// attributes in much the order of the table, so each search starts after the
// row found last and mostly ends at once: a position has a dozen attributes
// and its table two dozen rows.
template <typename R, std::size_t N>
void ReadFields(const XmlElement& element, const Field<R> (&table)[N], R& record,
                const Where& where) {
    const char* texts[N] = {};
    std::size_t next = 0;
    for (const pugi::xml_attribute a : element.attributes()) {
        const char* name = a.name();
        for (std::size_t k = 0; k < N; ++k) {
            const std::size_t i = next + k < N ? next + k : next + k - N;
            const char* xml = table[i].xml;
            // Part rows name child elements, not attributes. Names are never
            // empty, so the second bytes exist once the first ones match.
            if (table[i].kind != field::Object && xml[0] == name[0] && xml[1] == name[1] &&
                std::strcmp(xml, name) == 0) {
                texts[i] = a.value();
                next = i + 1 < N ? i + 1 : 0;
                break;
            }
        }
    }
    for (std::size_t i = 0; i < N; ++i) table[i].read(element, table[i], record, where, texts[i]);
}

// Writes the rows' members, in table order, into the object being written.
template <typename R, std::size_t N>
void WriteFields(const R& record, const Field<R> (&table)[N], JsonTextWriter& writer) {
    for (const Field<R>& row : table) row.write(row, record, writer);
}

// The rows' members as one whole object.
template <typename R, std::size_t N>
void WriteObject(const R& record, const Field<R> (&table)[N], JsonTextWriter& writer) {
    writer.StartObject();
    WriteFields(record, table, writer);
    writer.EndObject();
}

namespace detail {

template <const auto& Table>
using TableRecord = typename std::decay_t<decltype(Table[0])>::Record;

template <const auto& Table>
TableRecord<Table> ReadTablePart(const XmlElement& element) {
    TableRecord<Table> part;
    ReadFields(element, Table, part, Where{element.name()});
    return part;
}

template <const auto& Table>
void WriteTablePart(const TableRecord<Table>& part, JsonTextWriter& writer) {
    WriteObject(part, Table, writer);
}

}  // namespace detail

// A PartRow whose part is read and written by the part's own table.
template <auto Member, const auto& Table>
constexpr Field<RecordOf<Member>> TablePartRow(const char* xml, const char* json) {
    return PartRow<Member, &detail::ReadTablePart<Table>, &detail::WriteTablePart<Table>>(xml,
                                                                                          json);
}

}  // namespace zarvik
