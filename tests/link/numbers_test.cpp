#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

#include "link/Numbers.h"

namespace tavro {
namespace {

struct AtofCase {
    const char* text;
    double value;
};

void PrintTo(const AtofCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class AtofTest : public ::testing::TestWithParam<AtofCase> {};

TEST_P(AtofTest, MatchesCLibrary) {
    EXPECT_DOUBLE_EQ(Atof(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Texts, AtofTest,
                         ::testing::Values(AtofCase{"12.5", 12.5}, AtofCase{"  -3.25xyz", -3.25},
                                           AtofCase{"+7", 7.0}, AtofCase{"abc", 0.0},
                                           AtofCase{"", 0.0}, AtofCase{".5", 0.5},
                                           AtofCase{"10.000000", 10.0}, AtofCase{"1e3", 1000.0},
                                           AtofCase{"-", 0.0}, AtofCase{"+-5", 0.0},
                                           AtofCase{"1e-400", 0.0}));

TEST(Atof, OverflowGivesHugeValue) {
    EXPECT_TRUE(std::isinf(Atof("1e400")));
    EXPECT_LT(Atof("-1e400"), 0.0);
}

// Numbers a double cannot hold: too large gives infinity, too small 0, judged by the number
// alone and not by what follows it.
TEST(Atof, OutOfRangeByTheNumberItself) {
    const std::string many(560, '4');
    const std::string zeros(400, '0');
    EXPECT_TRUE(std::isinf(Atof(many + "=e-5")));
    EXPECT_TRUE(std::isinf(Atof("-" + many)));
    EXPECT_TRUE(std::signbit(Atof("-" + many)));
    EXPECT_EQ(Atof("0." + zeros + "1"), 0.0);
    EXPECT_EQ(Atof("0." + zeros + "1e-5x1e999"), 0.0);
    EXPECT_TRUE(std::isinf(Atof("0.0000001e400")));
    EXPECT_EQ(Atof("123e-4000000000000000000"), 0.0);
    EXPECT_TRUE(std::isinf(Atof("1e4000000000000000000")));
}

struct AtoiCase {
    const char* text;
    int value;
};

void PrintTo(const AtoiCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class AtoiTest : public ::testing::TestWithParam<AtoiCase> {};

TEST_P(AtoiTest, MatchesCLibraryAndSaturates) {
    EXPECT_EQ(Atoi(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Texts, AtoiTest,
                         ::testing::Values(AtoiCase{"42", 42}, AtoiCase{" -17abc", -17},
                                           AtoiCase{"10.9", 10}, AtoiCase{"x1", 0},
                                           AtoiCase{"99999999999999", INT_MAX},
                                           AtoiCase{"-99999999999999", INT_MIN},
                                           AtoiCase{"2147483647", INT_MAX},
                                           AtoiCase{"-2147483648", INT_MIN}));

TEST(TruncToInt, SaturatesAndIgnoresNan) {
    EXPECT_EQ(TruncToInt(2.9), 2);
    EXPECT_EQ(TruncToInt(-2.9), -2);
    EXPECT_EQ(TruncToInt(1e20), INT_MAX);
    EXPECT_EQ(TruncToInt(-1e20), INT_MIN);
    EXPECT_EQ(TruncToInt(std::nan("")), 0);
}

TEST(Format, WritesLongTexts) {
    EXPECT_EQ(Format("EE %d %d %.5f", 3, 0, 12.3457), "EE 3 0 12.34570");
    const std::string longText = Format("%0300d", 1);
    EXPECT_EQ(longText.size(), 300U);
    EXPECT_EQ(longText.back(), '1');
}

}  // namespace
}  // namespace tavro
