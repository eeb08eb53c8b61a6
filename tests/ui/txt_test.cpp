#include <gtest/gtest.h>

#include <array>
#include <string>

#include "ui/CTxt.h"

namespace tavro::ui {
namespace {

constexpr ControlId kNote = 1510;
constexpr ControlId kSeries = 1511;
constexpr ControlId kStroke = 1512;
constexpr ControlId kOther = 1541;

// A dialog in the manner of the Basic page: a fixed note, and two combos whose colours follow
// whether a choice has been made.
constexpr FixedColourRow kFixed[] = {{kNote, 3, 1, 8, 2}};
constexpr StateColourRow kStateRows[] = {
    {kSeries, 0, 2, {11, 16}, {14, 2}},
    {kStroke, 1, 2, {11, 16}, {14, 2}},
};

struct ColourCase {
    const char* name;
    ControlId control;
    bool enabled;
    bool withStateTable;
    std::array<int, 2> states;
    Colours expected;
};

constexpr ColourCase kColourCases[] = {
    {"FixedRow", kNote, true, true, {0, 0}, {8, 2}},
    {"FixedRowWinsWhenDisabled", kNote, false, true, {0, 0}, {8, 2}},
    {"DisabledWithStateTable", kSeries, false, true, {1, 1}, {10, 3}},
    {"DisabledNotInStateTable", kOther, false, true, {0, 0}, {10, 3}},
    {"DisabledWithoutStateTable", kSeries, false, false, {0, 0}, {0, 0}},
    {"StateZero", kSeries, true, true, {0, 1}, {11, 14}},
    {"StateOne", kStroke, true, true, {0, 1}, {16, 2}},
    {"EnabledNotFound", kOther, true, true, {0, 0}, {0, 0}},
    {"StateBeyondItsEntries", kSeries, true, true, {2, 0}, {0, 0}},
    {"NegativeState", kStroke, true, true, {0, -1}, {0, 0}},
};

class ControlColours : public ::testing::TestWithParam<ColourCase> {};

TEST_P(ControlColours, FixedThenStateTable) {
    const ColourCase& c = GetParam();
    const StateColourTable state{kStateRows, c.states};
    EXPECT_EQ(
        CTxt::ControlColours(c.control, c.enabled, kFixed, c.withStateTable ? &state : nullptr),
        c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ControlColours, ::testing::ValuesIn(kColourCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ControlColours, StateSlotOutsideTheDialogsStatesIsDefault) {
    constexpr StateColourRow rows[] = {{kSeries, 5, 2, {11, 16}, {14, 2}}};
    constexpr std::array<int, 1> states{0};
    const StateColourTable state{rows, states};
    EXPECT_EQ(CTxt::ControlColours(kSeries, true, {}, &state), (Colours{0, 0}));
}

TEST(Fonts, CharsetFollowsTheLanguage) {
    const ResolvedFont en = CTxt::Font(2, Language::kEnglish);
    EXPECT_EQ(en.height, 9);
    EXPECT_EQ(en.weight, 700);
    EXPECT_EQ(en.charset, 0);
    EXPECT_EQ(CTxt::Font(2, Language::kJapanese).charset, 128);
    const ResolvedFont keep = CTxt::Font(0, Language::kEnglish);
    EXPECT_EQ(keep.height, 0);
    EXPECT_EQ(keep.weight, 0);
    EXPECT_EQ(CTxt::Font(15, Language::kEnglish).height, 0);
    EXPECT_EQ(CTxt::Font(14, Language::kEnglish).height, 15);
}

TEST(Fonts, FixedRowPicksTheFontOfTheLanguage) {
    EXPECT_EQ(CTxt::FixedFont(kNote, kFixed, Language::kJapanese), 3);
    EXPECT_EQ(CTxt::FixedFont(kNote, kFixed, Language::kEnglish), 1);
    EXPECT_FALSE(CTxt::FixedFont(kSeries, kFixed, Language::kEnglish).has_value());
}

TEST(Palette, IndexOutsideGivesColourZero) {
    EXPECT_EQ(&CTxt::Colour(17), &CTxt::Colour(0));
    EXPECT_EQ(&CTxt::Colour(-3), &CTxt::Colour(0));
    EXPECT_EQ(CTxt::Colour(14).red, 225);
    EXPECT_EQ(CTxt::Colour(10).system, SystemColour::kButtonFace);
}

}  // namespace
}  // namespace tavro::ui
