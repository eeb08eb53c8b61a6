#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor/AlarmBox.h"
#include "tests/support/FakeForm.h"

namespace tavro {
namespace {

using test::FakeForm;
using ui::ControlKind;

class AlarmBoxTest : public ::testing::Test {
  protected:
    void TearDown() override { EXPECT_TRUE(form.Problems().empty()) << form.Problems().front(); }

    std::string Shown() const { return form.Text(AlarmBox::IDC_ALARM_BOX); }
    bool HistoryChecked() const { return form.IsChecked(AlarmBox::IDC_ALARM_HISTORY); }

    FakeForm form{{{AlarmBox::IDC_ALARM_BOX, ControlKind::kEdit},
                   {AlarmBox::IDC_ALARM_RESET, ControlKind::kPushButton},
                   {AlarmBox::IDC_ALARM_CURRENT, ControlKind::kRadio},
                   {AlarmBox::IDC_ALARM_HISTORY, ControlKind::kRadio}},
                  ui::FormKind::kPage};
    StringTable strings{Language::kEnglish};
    StatusBlock status;
    AlarmBox box{form, strings, status};
};

TEST_F(AlarmBoxTest, ShowsTheNewestCodeOnlyWhileTheAlarmIsActive) {
    box.Reset();
    box.ShowCodes({4, 2});
    EXPECT_EQ(Shown(), "No alarm");
    box.SetAlarmActive(true);
    EXPECT_EQ(Shown(), "Motor overload error");
    box.SetAlarmActive(false);
    EXPECT_EQ(Shown(), "No alarm");
}

TEST_F(AlarmBoxTest, HistoryListsAsManyCodesAsTheControllerKeeps) {
    status.alarmHistoryCount = 3;
    box.Reset();
    box.ShowCodes({1, 13, 0, 5});
    box.ChooseView(AlarmBox::IDC_ALARM_HISTORY);
    EXPECT_TRUE(HistoryChecked());
    // A code past the known ones is "Undefined error"; the fourth code is not kept.
    EXPECT_EQ(Shown(), "1: EEPROM error\r\n2: Undefined error\r\n3:  -");
    box.ChooseView(AlarmBox::IDC_ALARM_CURRENT);
    EXPECT_FALSE(HistoryChecked());
    EXPECT_EQ(Shown(), "No alarm");
}

TEST_F(AlarmBoxTest, ARisingAlarmBringsTheCurrentViewBackOnce) {
    box.Reset();
    box.ShowCodes({3});
    box.ChooseView(AlarmBox::IDC_ALARM_HISTORY);
    box.SetAlarmActive(true);
    EXPECT_FALSE(box.HistoryView());
    EXPECT_FALSE(HistoryChecked());
    EXPECT_EQ(Shown(), "Over temperature error");
    // While the alarm stays, the user may look at the history again.
    box.ChooseView(AlarmBox::IDC_ALARM_HISTORY);
    box.ShowCodes({3, 4});
    EXPECT_TRUE(box.HistoryView());
    EXPECT_EQ(Shown().rfind("1: Over temperature error", 0), 0U) << Shown();
}

TEST_F(AlarmBoxTest, TheResetStaysLockedWhileTheRecordIsDue) {
    struct Case {
        bool enable;
        bool linkAllows;
        bool enabled;
        bool locked;
    };
    for (const Case c : {Case{true, true, true, false}, Case{true, false, false, false},
                         Case{false, true, false, true}, Case{false, false, false, true}}) {
        box.SetResetEnable(c.enable, c.linkAllows);
        EXPECT_EQ(form.IsEnabled(AlarmBox::IDC_ALARM_RESET), c.enabled) << c.enable << c.linkAllows;
        EXPECT_EQ(box.ResetLocked(), c.locked) << c.enable << c.linkAllows;
    }
}

}  // namespace
}  // namespace tavro
