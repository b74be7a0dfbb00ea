#include "cli/JsonWriter.h"

#include <cmath>
#include <cstdio>

JsonWriter::JsonWriter(std::string& out, NumberFormat format) : out_(out), format_(format) {}

void JsonWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (empty_.empty()) return;
    if (!empty_.back()) out_ += ',';
    empty_.back() = false;
}

JsonWriter& JsonWriter::beginObject() {
    beforeValue();
    out_ += '{';
    empty_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::endObject() {
    out_ += '}';
    empty_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::beginArray() {
    beforeValue();
    out_ += '[';
    empty_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::endArray() {
    out_ += ']';
    empty_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::key(const char* name) {
    beforeValue();
    appendQuoted(name);
    out_ += ':';
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::number(double value) {
    beforeValue();
    if (std::isfinite(value)) {
        format_(out_, value);
    } else {
        out_ += "null";
    }
    return *this;
}

JsonWriter& JsonWriter::integer(long long value) {
    beforeValue();
    out_ += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::boolean(bool value) {
    beforeValue();
    out_ += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::null() {
    beforeValue();
    out_ += "null";
    return *this;
}

JsonWriter& JsonWriter::string(const std::string& text) {
    beforeValue();
    appendQuoted(text);
    return *this;
}

// Control characters are written as \u escapes, so that any text stays one
// valid JSON string.
void JsonWriter::appendQuoted(const std::string& text) {
    out_ += '"';
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out_ += '\\';
            out_ += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out_ += escaped;
        } else {
            out_ += c;
        }
    }
    out_ += '"';
}

JsonWriter& JsonWriter::numbers(const double* values, std::size_t count) {
    beginArray();
    for (std::size_t i = 0; i < count; ++i) number(values[i]);
    return endArray();
}

JsonWriter::NumberFormat JsonWriter::numberFormat(NumberFormat format) {
    const NumberFormat before = format_;
    format_ = format;
    return before;
}

void JsonWriter::appendRoundTripNumber(std::string& out, double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    out += text;
}
