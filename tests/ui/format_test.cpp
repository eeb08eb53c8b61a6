#include <gtest/gtest.h>

#include <array>
#include <clocale>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "ui/StringTable.h"

namespace tavro {
namespace {

struct ParseCase {
    const char* name;
    const char* format;
    const char* conversions;  // the conversions found, joined by '|'; '?' marks a malformed one
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << c.name;
}

constexpr std::array<ParseCase, 12> kParseCases = {{
    {"PlainText", "Update complete.", ""},
    {"DoublePercentIsNoConversion", "100%% done, %d left", "%d"},
    {"DoublePercentRightAfterAConversion", "%d%%", "%d"},
    {"FlagsWidthPrecisionLength", "%-08.3lf and %+5lld", "%-08.3lf|%+5lld"},
    {"StarWidthAndPrecision", "[%*.*s]", "%*.*s"},
    {"SpaceFlag", "% d", "% d"},
    {"GluedToText", "speed: %dbps", "%d"},
    {"WideCharacter", "ST%C", "%C"},
    {"PrecisionWithoutDigits", "%.f", "%.f"},
    {"TrailingPercent", "50%", "?%"},
    {"UnknownConversion", "%y and %d", "?%|%d"},
    {"UnfinishedSpecification", "%5.2", "?%5.2"},
}};

class ParseConversionsTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseConversionsTest, FindsEachSpecification) {
    std::string joined;
    for (const Conversion& c : ParseConversions(GetParam().format)) {
        joined += (joined.empty() ? "" : "|") + std::string(c.conversion == 0 ? "?" : "") +
                  std::string(c.text);
    }
    EXPECT_EQ(joined, GetParam().conversions);
}

INSTANTIATE_TEST_SUITE_P(Formats, ParseConversionsTest, ::testing::ValuesIn(kParseCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ParseConversions, SplitsASpecificationIntoItsParts) {
    const auto c = ParseConversions("x%-08.3lfy");
    ASSERT_EQ(c.size(), 1U);
    EXPECT_EQ(c[0].flags, "-0");
    EXPECT_EQ(c[0].width, 8);
    EXPECT_EQ(c[0].precision, 3);
    EXPECT_EQ(c[0].length, "l");
    EXPECT_EQ(c[0].conversion, 'f');

    const auto star = ParseConversions("%*.*d");
    ASSERT_EQ(star.size(), 1U);
    EXPECT_EQ(star[0].width, -2);
    EXPECT_EQ(star[0].precision, -2);

    const auto bare = ParseConversions("%s");
    ASSERT_EQ(bare.size(), 1U);
    EXPECT_EQ(bare[0].width, -1);
    EXPECT_EQ(bare[0].precision, -1);
}

// A constant description of one argument, turned into a FormatArg by the test.
struct TestArg {
    enum class Kind { kNone, kInt, kReal, kText, kChar } kind = Kind::kNone;
    long long i = 0;
    double d = 0.0;
    const char* s = nullptr;

    static constexpr TestArg Int(long long v) { return {Kind::kInt, v, 0.0, nullptr}; }
    static constexpr TestArg Real(double v) { return {Kind::kReal, 0, v, nullptr}; }
    static constexpr TestArg Text(const char* v) { return {Kind::kText, 0, 0.0, v}; }
    static constexpr TestArg Char(char v) { return {Kind::kChar, v, 0.0, nullptr}; }
};

struct FormatCase {
    const char* name;
    const char* format;
    std::array<TestArg, 3> args;
    const char* expected;
};

void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << c.name;
}

using A = TestArg;
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

constexpr std::array<FormatCase, 30> kFormatCases = {{
    {"Integer", "%d (Factory default value)", {A::Int(1)}, "1 (Factory default value)"},
    {"TwoIntegers", "ID %d/%d Checked", {A::Int(3), A::Int(10)}, "ID 3/10 Checked"},
    {"FixedDecimals", "%.0f to %.0f mm", {A::Real(-20), A::Real(20)}, "-20 to 20 mm"},
    {"RoundsLikePrintf", "%.3f", {A::Real(12.3456)}, "12.346"},
    {"IntegerIntoFloatConversion", "%.1f", {A::Int(2)}, "2.0"},
    {"FloatIntoIntegerTruncates", "%d|%d", {A::Real(7.9), A::Real(-7.9)}, "7|-7"},
    {"HugeFloatIntoIntegerSaturates", "%d", {A::Real(1e300)}, "9223372036854775807"},
    {"NanIntoIntegerIsZero", "%d", {A::Real(kNan)}, "0"},
    {"WidthAndFlags",
     "[%5d|%-5d|%05.1f]",
     {A::Int(42), A::Int(42), A::Real(3.14159)},
     "[   42|42   |003.1]"},
    {"HexTwoDigits", "%02X", {A::Int(10)}, "0A"},
    {"NegativeHexIsItsIntPattern", "%x", {A::Int(-1)}, "ffffffff"},
    {"LengthModifiersFollowTheArgument",
     "%ld %hhd %Lf",
     {A::Int(5), A::Int(300), A::Real(1.5)},
     "5 300 1.500000"},
    {"Text", "\"%s\" already exists.", {A::Text("/tmp/a.dat")}, "\"/tmp/a.dat\" already exists."},
    {"TextWidth", "[%6s|%-4s]", {A::Text("ab"), A::Text("cd")}, "[    ab|cd  ]"},
    {"TextPrecisionKeepsCharactersWhole", "[%.4s]", {A::Text("キャンセル")}, "[キ]"},
    {"NumberForText", "%s/%s", {A::Int(5), A::Real(0.5)}, "5/0.5"},
    {"TextForNumberIsShownAsIs", "[%4d]", {A::Text("ab")}, "[  ab]"},
    {"WideCharacterFromLetterCode", "ST%C", {A::Int('A' + 14)}, "STO"},
    {"CharacterFromChar", "%c%c", {A::Char('O'), A::Char('K')}, "OK"},
    {"CharacterFromCodePoint", "%c", {A::Int(0x30A2)}, "ア"},
    {"InvalidCodePointIsReplaced", "%c", {A::Int(0xD800)}, "\xEF\xBF\xBD"},
    {"MissingArgumentsExpandToNothing", "<<COM%d / ID%d / %s>>", {A::Int(3)}, "<<COM3 / ID / >>"},
    {"SurplusArgumentsAreIgnored", "%d", {A::Int(1), A::Int(2)}, "1"},
    {"PercentNWritesNothing", "a%nb%d", {A::Int(1), A::Int(2)}, "ab2"},
    {"DoublePercent", "100%% %d", {A::Int(7)}, "100% 7"},
    {"MalformedIsCopied", "50% %y", {}, "50% %y"},
    {"TrailingPercentIsCopied", "100%", {A::Int(1)}, "100%"},
    {"StarWidth", "[%*d]", {A::Int(4), A::Int(7)}, "[   7]"},
    {"NegativeStarWidthLeftJustifies", "[%*d]", {A::Int(-4), A::Int(7)}, "[7   ]"},
    {"StarPrecision", "%.*f", {A::Int(2), A::Real(1.005)}, "1.00"},
}};

std::vector<FormatArg> ToArgs(const std::array<TestArg, 3>& args) {
    std::vector<FormatArg> out;
    for (const TestArg& a : args) {
        switch (a.kind) {
            case TestArg::Kind::kNone:
                return out;
            case TestArg::Kind::kInt:
                out.emplace_back(a.i);
                break;
            case TestArg::Kind::kReal:
                out.emplace_back(a.d);
                break;
            case TestArg::Kind::kText:
                out.emplace_back(a.s);
                break;
            case TestArg::Kind::kChar:
                out.emplace_back(static_cast<char>(a.i));
                break;
        }
    }
    return out;
}

class FormatArgsTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatArgsTest, FormatsSafely) {
    const std::vector<FormatArg> args = ToArgs(GetParam().args);
    EXPECT_EQ(FormatArgs(GetParam().format, args), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Formats, FormatArgsTest, ::testing::ValuesIn(kFormatCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FormatArgs, HugeWidthsAndPrecisionsAreBounded) {
    EXPECT_EQ(FormatPrintf("%99999999999d", 1).size(), 1024U);
    EXPECT_LE(FormatPrintf("%.99999f", 1.0).size(), 1030U);
    EXPECT_LE(FormatPrintf("%*d", 2000000000, 1).size(), 1024U);
}

TEST(FormatArgs, TemporaryStringsAreUsable) {
    EXPECT_EQ(FormatPrintf("%s-%s", std::string("a") + "b", std::string_view("c")), "ab-c");
}

// Restores the numeric locale that a test changes.
class NumericLocale : public ::testing::Test {
  protected:
    void SetUp() override { saved_ = std::setlocale(LC_NUMERIC, nullptr); }
    void TearDown() override { std::setlocale(LC_NUMERIC, saved_.c_str()); }

    // Switches to a locale whose decimal point is a comma; false when none is installed.
    static bool UseCommaLocale() {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8",
                                 "nl_NL.UTF-8", "es_ES.UTF-8", "ru_RU.UTF-8"}) {
            if (std::setlocale(LC_NUMERIC, name) != nullptr) {
                return std::localeconv()->decimal_point[0] == ',';
            }
        }
        return false;
    }

  private:
    std::string saved_;
};

TEST_F(NumericLocale, DecimalPointIsAlwaysAPoint) {
    if (!UseCommaLocale()) {
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    }
    EXPECT_EQ(FormatPrintf("%.5f|%.1f|%s", 12.5, -0.25, 0.5), "12.50000|-0.2|0.5");
}

}  // namespace
}  // namespace tavro
