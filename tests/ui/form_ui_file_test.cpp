#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "tests/support/UiFile.h"

namespace tavro::test {
namespace {

using ui::ControlKind;

const UiControl* FindControl(const UiForm& form, int id) {
    for (const auto& c : form.controls) {
        if (c.id == id) {
            return &c;
        }
    }
    return nullptr;
}

TEST(UiFileTest, ReadsEveryAddressedWidgetOfTheTestForm) {
    std::string error;
    const auto form = ReadUiForm(std::string(TAVRO_TEST_FORMS_DIR) + "/900.ui", error);
    ASSERT_TRUE(form) << error;
    EXPECT_EQ(form->title, "Form test");
    EXPECT_EQ(form->controls.size(), 23u);

    struct Expected {
        int id;
        ControlKind kind;
    };
    constexpr Expected kKinds[] = {
        {1001, ControlKind::kLabel},      {1002, ControlKind::kEdit},
        {1003, ControlKind::kDropDown},   {1004, ControlKind::kEditCombo},
        {1005, ControlKind::kRadio},      {1007, ControlKind::kCheckBox},
        {1008, ControlKind::kCheckBox},   {1009, ControlKind::kRadio},
        {1011, ControlKind::kPushButton}, {1012, ControlKind::kColourButton},
        {1013, ControlKind::kList},       {1014, ControlKind::kSlider},
        {1016, ControlKind::kSpin},       {1017, ControlKind::kProgress},
        {1018, ControlKind::kPicture},    {1019, ControlKind::kLamp},
        {1020, ControlKind::kGroupBox},   {1021, ControlKind::kTabStrip},
    };
    for (const auto& [id, kind] : kKinds) {
        const UiControl* c = FindControl(*form, id);
        ASSERT_NE(c, nullptr) << id;
        EXPECT_EQ(c->kind, kind) << id;
    }

    EXPECT_EQ(FindControl(*form, 1001)->text, "Caption & more");
    EXPECT_EQ(FindControl(*form, 1008)->text, "Operation\nStart");
    EXPECT_EQ(FindControl(*form, 1003)->items, (std::vector<std::string>{"2400", "9600", "19200"}));
    EXPECT_TRUE(FindControl(*form, 1011)->isDefault);
    EXPECT_TRUE(FindControl(*form, 1005)->checked);
    EXPECT_EQ(FindControl(*form, 1014)->value, 10);
    EXPECT_EQ(FindControl(*form, 1018)->picture, 900);
    // Radios group by the widget that holds them.
    EXPECT_EQ(FindControl(*form, 1005)->group, FindControl(*form, 1006)->group);
    EXPECT_EQ(FindControl(*form, 1009)->group, FindControl(*form, 1010)->group);
    EXPECT_NE(FindControl(*form, 1005)->group, FindControl(*form, 1009)->group);
}

TEST(UiFileTest, DecodesEntitiesCharacterReferencesAndCdata) {
    std::string error;
    const auto form = ParseUiForm(
        R"(<ui><widget class="QWidget" name="w"><widget class="QLabel" name="l">)"
        R"(<property name="controlId"><number>7</number></property>)"
        R"(<property name="text"><string>&lt;&#77;&#x4d;&#x3042;<![CDATA[<raw>]]>&gt;</string></property>)"
        R"(</widget></widget></ui>)",
        error);
    ASSERT_TRUE(form) << error;
    ASSERT_EQ(form->controls.size(), 1u);
    EXPECT_EQ(form->controls[0].text, "<MM\xE3\x81\x82<raw>>");
}

std::string Widget(std::string_view cls, std::string_view id) {
    return "<ui><widget class=\"QWidget\" name=\"w\"><widget class=\"" + std::string(cls) +
           "\" name=\"x\"><property name=\"controlId\"><number>" + std::string(id) +
           "</number></property></widget></widget></ui>";
}

struct BadForm {
    const char* name;
    std::string xml;
};

// Damaged or hostile form files give a reason, never a crash or a half-read form.
const BadForm kBadForms[] = {
    {"Empty", ""},
    {"JustText", "hello"},
    {"UnclosedRoot", "<ui><widget class=\"QWidget\" name=\"w\">"},
    {"MismatchedEnd", "<ui><widget></ui></widget>"},
    {"TwoRoots", "<ui/><ui/>"},
    {"NotAForm", "<html><body/></html>"},
    {"NoWidget", "<ui version=\"4.0\"/>"},
    {"BadEntity", "<ui>&nbsp;</ui>"},
    {"HugeCharacterReference", "<ui>&#99999999999;</ui>"},
    {"NulCharacterReference", "<ui>&#0;</ui>"},
    {"UnquotedAttribute", "<ui><widget class=QLabel/></ui>"},
    {"LessThanInAttribute", "<ui><widget class=\"a<b\"/></ui>"},
    {"UnterminatedComment", "<ui><!-- no end</ui>"},
    {"DoctypeWithSubset", "<!DOCTYPE ui [<!ENTITY a 'b'>]><ui/>"},
    {"StrayLessThan", "<ui><</ui>"},
    {"VeryDeepElements",
     [] {
         std::string s = "<ui>";
         for (int i = 0; i < 100000; ++i) {
             s += "<a>";
         }
         return s;
     }()},
    {"UnknownClass", Widget("QCalendarWidget", "5")},
    {"IdNotANumber", Widget("QLabel", "five")},
    {"IdTooLarge", Widget("QLabel", "99999999999999999999")},
    {"IdNegative", Widget("QLabel", "-3")},
    {"DuplicateId",
     "<ui><widget class=\"QWidget\" name=\"w\">"
     "<widget class=\"QLabel\" name=\"a\"><property name=\"controlId\"><number>4</number>"
     "</property></widget><widget class=\"QLabel\" name=\"b\"><property name=\"controlId\">"
     "<number>4</number></property></widget></widget></ui>"},
    {"MinimumNotANumber",
     "<ui><widget class=\"QWidget\" name=\"w\"><widget class=\"QSlider\" name=\"s\">"
     "<property name=\"controlId\"><number>4</number></property><property name=\"minimum\">"
     "<number>x</number></property></widget></widget></ui>"},
};

class BadFormTest : public testing::TestWithParam<BadForm> {};

TEST_P(BadFormTest, IsRefusedWithAReason) {
    std::string error;
    EXPECT_FALSE(ParseUiForm(GetParam().xml, error));
    EXPECT_FALSE(error.empty());
}

INSTANTIATE_TEST_SUITE_P(Files, BadFormTest, testing::ValuesIn(kBadForms),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(UiFileTest, MissingFileIsReported) {
    std::string error;
    EXPECT_FALSE(ReadUiForm("/nonexistent/none.ui", error));
    EXPECT_NE(error.find("/nonexistent/none.ui"), std::string::npos);
}

}  // namespace
}  // namespace tavro::test
