// The field search of model lines: the decimal conversion and the marker
// searches every line rule is built from.
#include <gtest/gtest.h>

#include <string>

#include "model/model_fields.h"

namespace {

struct DecimalCase {
    std::string text;
    int32_t value;
};

TEST(DecimalAt, FollowsTheStandardDecimalConversion) {
    const DecimalCase cases[] = {
        {"42", 42},
        {"  -7x", -7},
        {"+3,", 3},
        {"\t\v\f\r\n 5", 5},
        {"- 3", 0},
        {"+-3", 0},
        {"", 0},
        {"=1", 0},
        {"   ", 0},
        {"-0", 0},
        {"0000000000000000000000012", 12},
        {std::string("9\0" "9", 3), 9},
    };
    for (const DecimalCase& c : cases) {
        EXPECT_EQ(decimalAt(c.text, 0), c.value) << '"' << c.text << '"';
    }
}

TEST(DecimalAt, SaturatesBeyondThe32BitRange) {
    const DecimalCase cases[] = {
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MAX},
        {"4294967296", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"-2147483649", INT32_MIN},
        {"-4294967296", INT32_MIN},
        {std::string(5000, '9'), INT32_MAX},
        {"-" + std::string(5000, '9'), INT32_MIN},
    };
    for (const DecimalCase& c : cases) {
        EXPECT_EQ(decimalAt(c.text, 0), c.value) << c.text.substr(0, 20);
    }
}

TEST(DecimalAt, StartsAtThePositionAndStopsAtTheLineEnd) {
    EXPECT_EQ(decimalAt("=12 =34", 1), 12);
    EXPECT_EQ(decimalAt("=12 =34", 5), 34);
    EXPECT_EQ(decimalAt("=12", 3), 0);
    EXPECT_EQ(decimalAt("=12", 4), 0);
    // A view that ends inside a digit string reads no further.
    EXPECT_EQ(decimalAt(std::string_view("123456", 3), 0), 123);
}

TEST(FieldSearch, FindsTheCharacterAfterTheFirstMarker) {
    const std::string line = "GRP# 0: =7 =2";
    size_t first = afterFirst(line, 0, '=');
    EXPECT_EQ(first, 9u);
    EXPECT_EQ(afterFirst(line, first, '='), 12u);
    EXPECT_EQ(afterFirst(line, 12, '='), NoField);
    EXPECT_EQ(afterFirst(line, line.size(), ':'), NoField);
    EXPECT_EQ(afterFirst(line, line.size() + 5, ':'), NoField);
    EXPECT_EQ(afterFirst("ab=", 0, '='), 3u);
}

TEST(FieldSearch, SkipsWhiteSpaceThenTheTextOfOneField) {
    const std::string line = "(1 0) =0";
    EXPECT_EQ(skipFieldText(line, 1), 2u);
    EXPECT_EQ(skipFieldText(line, 2), 5u);
    EXPECT_EQ(skipFieldText("(7,8) =2", 1), 5u);
    EXPECT_EQ(skipFieldText("(1", 1), 2u);
    EXPECT_EQ(skipFieldText("(   ", 1), 4u);
}

}  // namespace
