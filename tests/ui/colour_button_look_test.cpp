#include <gtest/gtest.h>

#include <string>

#include "ui/ColourButtonLook.h"

namespace tavro::ui {
namespace {

constexpr ControlId kServo = 1740;
constexpr Colours kGreenOnBlack{13, 0};

struct LookCase {
    const char* name;
    ColourButtonState state;
    bool sunken;
    bool focusRect;
    bool embossed;
    int textShift;
    int textColour;
};

constexpr LookCase kLookCases[] = {
    // enabled, pressed, focused, being clicked
    {"Idle", {true, false, false, false}, false, false, false, 0, 0},
    {"Focused", {true, false, true, false}, false, true, false, 0, 0},
    {"BeingClicked", {true, false, true, true}, true, true, false, 1, 0},
    {"Pressed", {true, true, false, false}, true, true, false, 0, 0},
    {"PressedAndClicked", {true, true, true, true}, true, true, false, 0, 0},
    {"Disabled", {false, false, false, false}, false, false, true, 0, 3},
    {"DisabledFocused", {false, false, true, false}, false, true, true, 0, 3},
    {"DisabledPressed", {false, true, false, false}, true, true, true, 0, 3},
    {"DisabledClicked", {false, false, true, true}, false, true, true, 0, 3},
};

class ColourButton : public ::testing::TestWithParam<LookCase> {};

TEST_P(ColourButton, EdgeFocusAndText) {
    const LookCase& c = GetParam();
    const ColourButtonLook look = ColourButtonLookFor(kServo, kGreenOnBlack, c.state);
    EXPECT_EQ(look.background, 13);
    EXPECT_EQ(look.sunken, c.sunken);
    EXPECT_EQ(look.focusRect, c.focusRect);
    EXPECT_EQ(look.embossed, c.embossed);
    EXPECT_EQ(look.textShift, c.textShift);
    EXPECT_EQ(look.textColour, c.textColour);
    EXPECT_FALSE(look.multiLine);
}

INSTANTIATE_TEST_SUITE_P(States, ColourButton, ::testing::ValuesIn(kLookCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ColourButton, DefaultColoursAreTheButtonFace) {
    const ColourButtonLook look = ColourButtonLookFor(kServo, {}, {});
    EXPECT_EQ(look.background, 10);
    EXPECT_EQ(look.textColour, 2);
}

TEST(ColourButton, PowerOffButtonSetsItsCaptionAsLowerBlock) {
    const ColourButtonLook look = ColourButtonLookFor(kMultiLineColourButton, kGreenOnBlack, {});
    EXPECT_TRUE(look.multiLine);
    EXPECT_EQ(look.textTop, 4);
    EXPECT_EQ(ColourButtonLookFor(kServo, kGreenOnBlack, {}).textTop, 0);
}

}  // namespace
}  // namespace tavro::ui
