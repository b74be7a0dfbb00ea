// The whole-number parser that scripts and command lines share, and the one
// JSON writer of the programs.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

#include "cli/CommandLine.h"
#include "cli/JsonWriter.h"

TEST(ParseInteger, ReadsDigitsInRangeWithASignOnlyWhereTheRangeIsNegative) {
    long long value = 7;
    EXPECT_TRUE(parseInteger("0", 0, 10, value));
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(parseInteger("-100000", -100000, 100000, value));
    EXPECT_EQ(value, -100000);
    EXPECT_TRUE(parseInteger("+5", -1, 10, value));
    EXPECT_EQ(value, 5);
    EXPECT_TRUE(parseInteger("9223372036854775807", 0, LLONG_MAX, value));
    EXPECT_EQ(value, LLONG_MAX);
    EXPECT_TRUE(parseInteger("-9223372036854775808", LLONG_MIN, 0, value));
    EXPECT_EQ(value, LLONG_MIN);

    value = 7;
    for (const char* bad : {"", "-", "+1", "-1", "1.0", " 1", "1 ", "0x10", "1e3", "9223372036854775808", "11"})
        EXPECT_FALSE(parseInteger(bad, 0, 10, value)) << bad;
    EXPECT_FALSE(parseInteger("-9223372036854775809", LLONG_MIN, 0, value));
    EXPECT_FALSE(parseInteger("-11", -10, 10, value));
    EXPECT_EQ(value, 7) << "a refused text leaves the value alone";
}

TEST(JsonWriter, PlacesCommasNestsAndEscapes) {
    std::string out;
    JsonWriter json(out);
    json.beginObject();
    json.key("a").integer(-3);
    json.key("list").beginArray().boolean(true).string("q\"b\\s\n\x01").beginObject().endObject().endArray();
    json.key("empty").beginArray().endArray();
    const double values[3] = {0.5, -0.0, 1e300};
    json.key("v").numbers(values, 3);
    json.endObject();
    EXPECT_EQ(out, R"({"a":-3,"list":[true,"q\"b\\s\u000a\u0001",{}],"empty":[],"v":[0.5,-0,1.0000000000000001e+300]})");
}

TEST(JsonWriter, NonFiniteNumbersAreNullAndTheFormatCanChange) {
    std::string out;
    JsonWriter json(out);
    json.beginArray().number(NAN).number(INFINITY).number(0.1);
    const JsonWriter::NumberFormat before =
        json.numberFormat([](std::string& text, double value) { text += value > 0 ? "P" : "N"; });
    json.number(2).number(-2).number(NAN);
    json.numberFormat(before);
    json.number(0.1).endArray();
    EXPECT_EQ(out, "[null,null,0.10000000000000001,P,N,null,0.10000000000000001]");
}
