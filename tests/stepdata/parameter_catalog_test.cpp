// Names of the controller's parameters and their values as the pages show them.

#include <gtest/gtest.h>

#include <string>

#include "link/StatusBlock.h"
#include "stepdata/ParameterCatalog.h"

namespace tavro::test {
namespace {

struct ValueCase {
    const char* name;
    Language language;
    int group;
    int parameter;
    float value;
    const char* caption;
    const char* text;
};

const ValueCase kValues[] = {
    {"TargetInMillimetres", Language::kEnglish, 3, 0, 12345.6F, "Target position", "12.346"},
    {"NegativeTarget", Language::kEnglish, 4, 0, -5000.0F, "Target position", "-5.000"},
    {"TimeWithTwoDecimals", Language::kEnglish, 3, 1, 1.5F, "Positioning time", "1.50"},
    {"PushingWord", Language::kEnglish, 3, 5, 32783.0F, "Operation", "Push, pushing speed 15"},
    {"PositioningWord", Language::kJapanese, 3, 5, 6.0F, "動作", "位置決め、押し当て速度6"},
    {"OffGridLoadMass", Language::kEnglish, 3, 7, 75.0F, "Load mass", "75"},
    {"Relative", Language::kJapanese, 3, 8, 1.0F, "移動モード", "相対"},
    {"MovementNoPageOffers", Language::kEnglish, 3, 8, 7.0F, "Movement mode", "7"},
    {"StepPidSet", Language::kEnglish, 17, 15, 3.0F, "PID set used by the step", "STC"},
    {"StepDefaultPid", Language::kJapanese, 3, 15, 0.0F, "ステップで使用するPIDセット", "初期値"},
    {"Series", Language::kEnglish, 0, 1, 1.0F, "Series", "KRM3F-*"},
    {"OutputFunction", Language::kEnglish, 0, 8, 9.0F, "Function of OUT0", "Deviation"},
    {"OutputFunctionUnknown", Language::kEnglish, 0, 6, 255.0F, "Function of BUSY", "255"},
    {"Orientation", Language::kEnglish, 0, 10, 90.0F, "Mounting Orientation",
     "Vertical (45 to 90 degree)"},
    {"RadioOnOneLine", Language::kEnglish, 1, 0, 1.0F, "Return to Origin Method",
     "Extended End Position (Opposite side of the connector)"},
    {"LogicAndDirection", Language::kEnglish, 0, 14, 3.0F, "Pulse type and drive direction",
     "Negative edge triggered, Reverse drive"},
    {"SpeedCode", Language::kEnglish, 0, 22, 5.0F, "Communication speed", "57600 bit/s"},
    {"OriginOffset", Language::kEnglish, 0, 11, 125.0F, "Origin offset", "0.125"},
    {"OriginGain", Language::kEnglish, 1, 14, 0.0042F, "Integral time (Ti) of ORG", "0.004"},
    {"LastSetGain", Language::kJapanese, 2, 56, 0.0042F, "STOの微分時間（Td）", "0.0042"},
    {"ServoConstant", Language::kEnglish, 2, 11, 98.25F, "Servo constant 11", "98.25"},
    {"NoNameOfItsOwn", Language::kEnglish, 0, 23, 4.0F, "0/23", "4"},
};

class CatalogValue : public ::testing::TestWithParam<ValueCase> {};

TEST_P(CatalogValue, IsNamedAndShownAsItsPageShowsIt) {
    const ValueCase& c = GetParam();
    const StringTable strings(c.language);
    EXPECT_EQ(ParameterCaption(c.group, c.parameter, strings), c.caption);
    EXPECT_EQ(ParameterValueText(c.group, c.parameter, c.value, strings), c.text);
}

INSTANTIATE_TEST_SUITE_P(Catalog, CatalogValue, ::testing::ValuesIn(kValues),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CatalogWhere, StepsAreNumberedAsTheListsNumberThem) {
    const StringTable english(Language::kEnglish);
    EXPECT_EQ(ParameterWhere(3, 0, kControlTypeStep, english), "Step 1");
    EXPECT_EQ(ParameterWhere(17, 0, kControlTypeStep, english), "Step 15");
    EXPECT_EQ(ParameterWhere(3, 0, kControlTypePulse, english), "Step 0");
    EXPECT_EQ(ParameterWhere(2, 12, kControlTypeStep, english), "Group 2");
    EXPECT_EQ(ParameterWhere(4, 0, kControlTypeStep, StringTable(Language::kJapanese)),
              "ステップ2");
}

}  // namespace
}  // namespace tavro::test
