#pragma once

#include <string>
#include <vector>

// The one JSON writer of the programs: the replay's state lines, the page's
// state and panel, and the text the page shows over its picture. It places
// the commas and quotes; numbers are written by a function the caller
// chooses (the replay writes the shortest text that reads back exactly),
// and a number that is not finite is written as null.
class JsonWriter {
public:
    using NumberFormat = void (*)(std::string& out, double value);

    explicit JsonWriter(std::string& out, NumberFormat format = appendRoundTripNumber);

    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    JsonWriter& key(const char* name);  // the next value's name in an object

    JsonWriter& number(double value);
    JsonWriter& integer(long long value);
    JsonWriter& boolean(bool value);
    JsonWriter& string(const std::string& text);
    JsonWriter& null();
    JsonWriter& numbers(const double* values, std::size_t count);  // as an array

    // Numbers from now on are written by `format`; returns the one before.
    NumberFormat numberFormat(NumberFormat format);

    // "%.17g": reads back as the same double in every JSON reader.
    static void appendRoundTripNumber(std::string& out, double value);

private:
    void beforeValue();
    void appendQuoted(const std::string& text);

    std::string& out_;
    NumberFormat format_;
    std::vector<bool> empty_;  // per open object or array: nothing written in it yet
    bool afterKey_ = false;
};
