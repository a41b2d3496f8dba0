// Decimal text of 32-bit integers.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "platform/TextUtils.h"

namespace {

std::string Num(long n) {
    Str255 s;
    NumToString(n, s);
    return PascalToString(s);
}

long Parse(const std::string& text) {
    Str255 s;
    CopyCStringToPascal(text, s);
    long n = 12345;
    StringToNum(s, &n);
    return n;
}

TEST(TextUtilsTest, NumToStringWritesDecimal) {
    const std::pair<long, const char*> cases[] = {
        {0, "0"}, {7, "7"}, {-7, "-7"}, {100, "100"}, {123456, "123456"},
        {INT32_MAX, "2147483647"}, {INT32_MIN, "-2147483648"},
    };
    for (const auto& [n, text] : cases) EXPECT_EQ(Num(n), text) << n;
}

TEST(TextUtilsTest, StringToNumReadsWhatItCanAndNeverFails) {
    const std::pair<const char*, long> cases[] = {
        {"42", 42}, {"-17", -17}, {"+5", 5}, {"  12", 12}, {"007", 7},
        {"12abc", 12},  // stops at the first character that is no digit
        {"3.9", 3},
        {"abc", 0}, {"", 0}, {"-", 0}, {" ", 0}, {"--1", 0},
        {"2147483647", INT32_MAX}, {"2147483648", INT32_MAX}, {"-2147483648", INT32_MIN},
        {"-2147483649", INT32_MIN}, {"99999999999999999999999999", INT32_MAX},
    };
    for (const auto& [text, n] : cases) EXPECT_EQ(Parse(text), n) << '"' << text << '"';
}

TEST(TextUtilsTest, NumbersRoundTrip) {
    for (long n : {0L, 1L, -1L, 9L, 10L, -99L, 65536L, -1000000L, long(INT32_MAX), long(INT32_MIN)})
        EXPECT_EQ(Parse(Num(n)), n);
}

}  // namespace
