// JSON text written straight into a std::string by RapidJSON's compact
// writer. In the escaped form every byte is written as it stands inside a JSON
// string, so a record the companion takes as one string parameter (a receipt
// of megabytes) is written once as the finished string, not written and then
// escaped again into the request.
#pragma once

#include <rapidjson/writer.h>

#include <cstddef>
#include <cstring>
#include <string>

namespace zarvik {

// How the compact writer writes each byte inside a string: itself, a short
// escape such as \n, or the six-character form \u001D.
struct JsonEscapes {
    char letter[256] = {};  // 0: the byte itself; 'u': the six-character form
    constexpr JsonEscapes() {
        for (int c = 0; c < 0x20; ++c) letter[c] = 'u';
        const char shortForms[][2] = {{'\b', 'b'}, {'\t', 't'}, {'\n', 'n'}, {'\f', 'f'},
                                      {'\r', 'r'}, {'"', '"'},  {'\\', '\\'}};
        for (const auto& form : shortForms) letter[static_cast<unsigned char>(form[0])] = form[1];
    }
};
inline constexpr JsonEscapes kJsonEscapes;
inline constexpr char kJsonHexDigits[] = "0123456789ABCDEF";

class JsonTextWriter;

// The output stream of the writer: plain JSON, or JSON escaped as the inside
// of a string. Bytes go straight into the string's buffer, which holds room to
// spare until Flush gives it its final size (the writer calls it when it has
// finished a whole value).
class JsonTextStream {
  public:
    using Ch = char;
    enum class Form { Plain, Escaped };

    // Writes over what `out` holds, using its length as room: a buffer kept
    // from the last call needs no growing (and no zero-filling) again.
    JsonTextStream(std::string& out, Form form) : out_(out), form_(form), end_(0) {}
    JsonTextStream(const JsonTextStream&) = delete;
    JsonTextStream& operator=(const JsonTextStream&) = delete;

    // Room for `count` bytes of the writer's output, in this stream's form.
    void Reserve(size_t count) {
        const size_t needed = end_ + (form_ == Form::Plain ? count : count * 2);
        if (needed > out_.size()) out_.resize(needed > 2 * out_.size() ? needed : 2 * out_.size());
    }
    // The writer escapes control characters itself: in the escaped form only
    // its quotation marks and backslashes need one backslash more.
    void PutUnsafe(char c) {
        if (form_ == Form::Escaped && (c == '"' || c == '\\')) out_[end_++] = '\\';
        out_[end_++] = c;
    }
    void Put(char c) {
        Reserve(1);
        PutUnsafe(c);
    }
    void Flush() { out_.resize(end_); }

    // Bytes around and between the writer's values, as they stand.
    void Append(const char* text, size_t size) {
        Flush();
        out_.append(text, size);
        end_ = out_.size();
    }
    // A whole string literal in this stream's form, runs of plain bytes copied
    // at once where the writer goes byte by byte.
    void AppendString(const char* text, size_t size);
    // A string literal of bytes that need no escaping, such as our member names.
    void AppendPlainString(const char* text, size_t size);

  private:
    std::string& out_;
    Form form_;
    size_t end_;  // the end of what is written; out_ may be longer until Flush
};

// The writer's way to the buffer: found by argument lookup, preferred to the
// byte-by-byte Put of RapidJSON's generic stream.
inline void PutReserve(JsonTextStream& stream, size_t count) { stream.Reserve(count); }
inline void PutUnsafe(JsonTextStream& stream, char c) { stream.PutUnsafe(c); }

// RapidJSON's compact writer, its strings written in one tight loop: the bytes are the same.
class JsonTextWriter : public rapidjson::Writer<JsonTextStream> {
  public:
    explicit JsonTextWriter(JsonTextStream& stream) : Writer(stream) {}

    void Text(const char* text, size_t size) {
        RawValue("", 0, rapidjson::kStringType);  // only the separator before it
        os_->AppendString(text, size);
    }
    void Text(const std::string& text) { Text(text.data(), text.size()); }
    // A value already written as JSON text, copied as it stands.
    void Raw(const std::string& json) {
        RawValue("", 0, rapidjson::kStringType);  // only the separator before it
        os_->Append(json.data(), json.size());
    }
    // A member name of our own: plain ASCII, nothing to escape.
    void Name(const char* key) {
        RawValue("", 0, rapidjson::kStringType);
        os_->AppendPlainString(key, std::strlen(key));
    }
};

// The compact text of whatever `write` writes: a whole record as the companion
// takes it. In the escaped form the text is the inside of a JSON string,
// quotation marks included, ready to stand as a parameter of the request.
template <typename Write>
std::string JsonText(Write write, JsonTextStream::Form form = JsonTextStream::Form::Plain,
                     size_t expectedSize = 256) {
    std::string text;
    text.reserve(expectedSize);
    JsonTextStream stream(text, form);
    if (form == JsonTextStream::Form::Escaped) stream.Append("\"", 1);
    {
        JsonTextWriter writer(stream);
        write(writer);
    }
    if (form == JsonTextStream::Form::Escaped) stream.Append("\"", 1);
    return text;
}

}  // namespace zarvik
