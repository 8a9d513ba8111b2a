// SPDX-License-Identifier: MIT
// The reader's number scanning and stream-like text reading, checked
// against the C library's own formatted input on the same bytes (in the C
// locale, where its conversions read "." as the decimal point).
#include "glm/numscan.h"
#include "glm/textscan.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr unsigned randomSeed = 20240611;
constexpr int randomFloatCases = 60000;
constexpr int randomIntCases = 20000;
constexpr int randomStreamCases = 400;
constexpr int streamOperations = 60;

struct Scan
{
    bool converted;
    float value;
    long consumed;
};

class CLocale : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_NE(std::setlocale(LC_ALL, "C"), nullptr); }
};

FILE *openText(const std::string &text)
{
    return fmemopen(const_cast<char *>(text.data()), text.size(), "r");
}

Scan libraryFloat(const std::string &text)
{
    FILE *file = openText(text);
    float value = 0.0f;
    const int result = std::fscanf(file, "%f", &value);
    const long position = std::ftell(file);
    std::fclose(file);
    return {result == 1, value, position};
}

Scan ownFloat(const std::string &text)
{
    const std::string copy = text; // keeps a NUL after the last byte
    const char *p = copy.c_str();
    float value = 0.0f;
    const bool converted = glmscan::scanFloat(p, copy.c_str() + copy.size(), value);
    return {converted, value, static_cast<long>(p - copy.c_str())};
}

void expectSameFloat(const std::string &text)
{
    const Scan expected = libraryFloat(text);
    const Scan actual = ownFloat(text);
    ASSERT_EQ(actual.converted, expected.converted) << '"' << text << '"';
    ASSERT_EQ(actual.consumed, expected.consumed) << '"' << text << '"';
    if (!expected.converted)
        return;
    if (std::isnan(expected.value)) {
        ASSERT_TRUE(std::isnan(actual.value)) << '"' << text << '"';
        return;
    }
    ASSERT_EQ(std::memcmp(&actual.value, &expected.value, sizeof(float)), 0)
        << '"' << text << "\" gives " << actual.value << ", expected " << expected.value;
}

std::string randomDigits(std::mt19937 &random, int count)
{
    std::string digits;
    for (int i = 0; i < count; ++i)
        digits += static_cast<char>('0' + random() % 10);
    return digits;
}

std::string randomNumberText(std::mt19937 &random)
{
    static const char *const leads[] = {"", "", " ", "\n\t "};
    static const char *const signs[] = {"", "", "-", "+"};
    static const char *const tails[] = {"", " ", "x", ".", "e", "-", "1", "\n", "/"};
    std::string text = leads[random() % 4];
    text += signs[random() % 4];
    switch (random() % 10) {
    case 0: { // inf, infinity, nan or a broken prefix of them
        std::string word = random() % 2 ? "infinity" : "nan";
        word = word.substr(0, 1 + random() % word.size());
        for (char &c : word)
            if (random() % 2)
                c = static_cast<char>(c - 'a' + 'A');
        text += word;
        break;
    }
    case 1: // hex
        text += random() % 2 ? "0x" : "0X";
        text += "1a9f"; // digits
        text.resize(text.size() - random() % 5);
        if (random() % 2)
            text += "." + std::string("c3").substr(0, random() % 3);
        if (random() % 2)
            text += std::string("p") + signs[random() % 4] + randomDigits(random, random() % 3);
        break;
    default: { // decimal with optional fraction and exponent
        text += randomDigits(random, random() % (random() % 4 == 0 ? 30 : 8));
        if (random() % 3)
            text += "." + randomDigits(random, random() % (random() % 4 == 0 ? 30 : 9));
        if (random() % 3 == 0) {
            text += random() % 2 ? "e" : "E";
            text += signs[random() % 4];
            text += std::to_string(random() % 60).substr(0, random() % 3);
        }
        break;
    }
    }
    text += tails[random() % 9];
    return text;
}

TEST_F(CLocale, floatScanMatchesLibraryOnEdgeCases)
{
    const char *const cases[] = {"1e x",
                                 "1e+x",
                                 "-x",
                                 ".x",
                                 "1.e5 ",
                                 "1.",
                                 "+.5",
                                 "infx",
                                 "in x",
                                 "infinity",
                                 "infinit",
                                 "infix",
                                 "nanx",
                                 "nan(12)x",
                                 "0x1p3",
                                 "0x",
                                 "0xg",
                                 "0x.",
                                 "0x.5",
                                 "0x1p+x",
                                 "1e5000",
                                 "-1e5000",
                                 "1e-50",
                                 "1e-40",
                                 "1.4e-45",
                                 "  \n 5",
                                 ".",
                                 " ",
                                 "1e5x",
                                 "1,5",
                                 "00012.5e-0001",
                                 "+-1",
                                 "--1",
                                 "00x1",
                                 "-0",
                                 "-0.0e7",
                                 "3.4028235e38",
                                 "3.4028236e38",
                                 "1.17549435e-38",
                                 "0.1",
                                 "0.30000001",
                                 "123456789",
                                 "16777216",
                                 "16777217",
                                 "16777219",
                                 "33554434",
                                 "33554438",
                                 "9007199254740993",
                                 "0.000000000000000000000000000000000000000000001",
                                 "1234567890123456789012345678901234567890",
                                 "1e-22",
                                 "1e22",
                                 "1e23",
                                 "4.7e-38",
                                 "1.00000005960464477539062500000000000000001",
                                 "1.000000059604644775390625",
                                 "0.999999970197677612304687500",
                                 "8388608.5",
                                 "8388609.5"};
    for (const char *text : cases)
        expectSameFloat(text);
}

TEST_F(CLocale, floatScanMatchesLibraryOnRandomTexts)
{
    std::mt19937 random(randomSeed);
    for (int i = 0; i < randomFloatCases; ++i)
        expectSameFloat(randomNumberText(random));
}

// Exact decimal forms of float midpoints are where a double-rounding fast
// path goes wrong; shorter forms lie within a few units of a double from a
// midpoint, within the reach of a fast path's rounding error.
TEST_F(CLocale, floatScanRoundsHalfwayCasesToEven)
{
    std::mt19937 random(randomSeed + 1);
    std::uniform_real_distribution<float> magnitude(-30.0f, 30.0f);
    for (int i = 0; i < 3000; ++i) {
        const float f = std::ldexp(1.0f + (random() % 8388608) / 8388608.0f,
                                   static_cast<int>(magnitude(random)));
        const double halfway =
            (static_cast<double>(f) + static_cast<double>(std::nextafter(f, 1e30f))) / 2.0;
        char text[128];
        std::snprintf(text, sizeof text, "%.40g", halfway);
        expectSameFloat(text);
        for (const int digits : {15, 16, 17}) {
            std::snprintf(text, sizeof text, "%.*g", digits, halfway);
            expectSameFloat(text);
        }
    }
}

TEST_F(CLocale, intScanMatchesLibrary)
{
    const auto check = [](const std::string &text) {
        FILE *file = openText(text);
        int expectedValue = 0;
        const int result = std::fscanf(file, "%d", &expectedValue);
        const long position = std::ftell(file);
        std::fclose(file);

        const std::string copy = text;
        const char *p = copy.c_str();
        long long value = 0;
        const bool converted = glmscan::scanInt(p, value);
        ASSERT_EQ(converted, result == 1) << '"' << text << '"';
        ASSERT_EQ(p - copy.c_str(), position) << '"' << text << '"';
        if (converted && value >= -2147483647LL && value <= 2147483647LL) {
            ASSERT_EQ(value, expectedValue) << '"' << text << '"';
        }
    };
    for (const char *text : {"+x", "-x", "12abc", "  \n-3", "x", "0012", "-", "+", "7/8",
                             "-2147483647", "2147483647", "99999999999999999999999"})
        check(text);
    std::mt19937 random(randomSeed + 2);
    static const char *const parts[] = {" ", "-", "+", "/", "x", "\n"};
    for (int i = 0; i < randomIntCases; ++i) {
        std::string text;
        for (int k = 0, n = 1 + random() % 4; k < n; ++k)
            text += random() % 2 ? randomDigits(random, random() % 12) : parts[random() % 6];
        if (!text.empty())
            check(text);
    }
}

TEST_F(CLocale, saturatedIntStaysLarge)
{
    const std::string text = "123456789012345678901234567890 -99999999999999999999999";
    const char *p = text.c_str();
    long long value = 0;
    ASSERT_TRUE(glmscan::scanInt(p, value));
    EXPECT_GE(value, glmscan::intSaturation);
    ASSERT_TRUE(glmscan::scanInt(p, value));
    EXPECT_LE(value, -glmscan::intSaturation);
}

// Random texts read with a random mix of "%127s", line reads into 128
// bytes and "%f": the scanner must return the same pieces and stop at the
// same place as the C library's stream reading.
TEST_F(CLocale, streamReadingMatchesLibrary)
{
    std::mt19937 random(randomSeed + 3);
    static const char *const pieces[] = {" ",   "  ",  "\n", "\r\n", "\t",    "v", "f",
                                         "g x", "1.5", "-2", "#",    "1/2/3", "e", "abc"};
    for (int c = 0; c < randomStreamCases; ++c) {
        std::string text;
        for (int k = 0, n = 5 + random() % 60; k < n; ++k) {
            if (random() % 12 == 0)
                text += std::string(100 + random() % 200, random() % 2 ? 'x' : ' ');
            else
                text += pieces[random() % 14];
        }
        FILE *file = openText(text);
        glmscan::TextScanner scanner(text.c_str(), text.c_str() + text.size());
        for (int op = 0; op < streamOperations; ++op) {
            const int kind = random() % 3;
            if (kind == 0) {
                char expected[128];
                const bool libraryGot = std::fscanf(file, "%127s", expected) == 1;
                glmscan::TextView token;
                const bool got = scanner.token(token);
                ASSERT_EQ(got, libraryGot) << "case " << c << " op " << op;
                if (got) {
                    ASSERT_EQ(std::string(token.text, token.length), expected);
                }
            } else if (kind == 1) {
                char expected[128];
                const bool libraryGot = std::fgets(expected, sizeof expected, file) != nullptr;
                const glmscan::TextView chunk = scanner.lineChunk();
                ASSERT_EQ(chunk.length != 0, libraryGot) << "case " << c << " op " << op;
                if (libraryGot) {
                    ASSERT_EQ(std::string(chunk.text, chunk.length), expected);
                }
            } else {
                float expected = -1.0f;
                float actual = -1.0f;
                const bool libraryGot = std::fscanf(file, "%f", &expected) == 1;
                const bool got = glmscan::scanFloat(scanner.cursor(), scanner.end(), actual);
                ASSERT_EQ(got, libraryGot) << "case " << c << " op " << op;
                ASSERT_EQ(actual, expected);
            }
            ASSERT_EQ(scanner.cursor() - text.c_str(), std::ftell(file))
                << "case " << c << " op " << op;
        }
        std::fclose(file);
    }
}

TEST(NameTaking, groupNameKeepsLeadingBlankAndDropsLineEnd)
{
    char name[glmscan::nameBufferSize];
    const std::string crlf = " two words \r\n";
    glmscan::groupName({crlf.data(), crlf.size()}, name);
    EXPECT_STREQ(name, " two words ");
    const std::string bare = "\n";
    glmscan::groupName({bare.data(), bare.size()}, name);
    EXPECT_STREQ(name, "");
    const std::string withNul("a\0b\n", 4);
    glmscan::groupName({withNul.data(), withNul.size()}, name);
    EXPECT_STREQ(name, "a");
}

TEST(NameTaking, firstWordTakesOneWord)
{
    char name[glmscan::nameBufferSize];
    const std::string line = "  lib.mtl other\r\n";
    glmscan::firstWord({line.data(), line.size()}, name);
    EXPECT_STREQ(name, "lib.mtl");
    const std::string blank = " \t\r\n";
    glmscan::firstWord({blank.data(), blank.size()}, name);
    EXPECT_STREQ(name, "");
}

} // namespace
