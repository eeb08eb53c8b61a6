#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/FakeForm.h"
#include "tests/support/ScriptedFileChooser.h"
#include "tests/support/ScriptedPrompter.h"

namespace tavro::test {
namespace {

using ui::Answer;

TEST(ScriptedPrompterTest, AnswersQuestionsFromTheScriptThenNo) {
    ScriptedPrompter prompter;
    prompter.AnswerYes();
    prompter.Warn(231, "Cannot open COM port.");  // takes no answer
    EXPECT_TRUE(prompter.Confirm(344, "The data will be saved to the controller."));
    EXPECT_FALSE(prompter.Confirm(344, "The data will be saved to the controller."));
    EXPECT_EQ(prompter.PendingAnswers(), 0u);
    EXPECT_EQ(prompter.ShownIds(), (std::vector<int>{231, 344, 344}));
    EXPECT_EQ(prompter.Count(344), 2);
    EXPECT_FALSE(prompter.WasShown(345));
}

TEST(ScriptedPrompterTest, RemembersHowEachMessageWasShown) {
    ScriptedPrompter prompter;
    prompter.Show(
        {1140, "Complete the setup software?", ui::Icon::kInformation, ui::Buttons::kYesNo, true});
    prompter.Inform(345, "Update complete.");
    ASSERT_EQ(prompter.Shown().size(), 2u);
    const ui::Message& question = prompter.Shown()[0];
    EXPECT_EQ(question.icon, ui::Icon::kInformation);
    EXPECT_EQ(question.buttons, ui::Buttons::kYesNo);
    EXPECT_TRUE(question.topmost);
    EXPECT_EQ(prompter.Last()->text, "Update complete.");
    EXPECT_EQ(prompter.Last()->icon, ui::Icon::kInformation);
}

// Showing a box takes the focus from the form, as on a desktop; a presenter whose focus-out
// check shows a box must cope with hearing about it again.
TEST(ScriptedPrompterTest, ABoxTakesTheFocusAndGivesItBack) {
    struct Events : ui::FormEvents {
        std::vector<std::string> log;
        void OnFocusIn(ui::ControlId id) override { log.push_back("in " + std::to_string(id)); }
        void OnFocusOut(ui::ControlId id) override { log.push_back("out " + std::to_string(id)); }
    } events;
    FakeForm form({{10, ui::ControlKind::kEdit}});
    form.SetListener(&events);
    ScriptedPrompter prompter;
    prompter.StealFocusFrom(&form);
    form.Focus(10);
    std::vector<std::string> duringBox;
    prompter.SetOnShow([&](const ui::Message&) { duringBox = events.log; });
    prompter.Warn(313, "The Target Position is out of usable range.");
    EXPECT_EQ(duringBox, (std::vector<std::string>{"in 10", "out 10"}));
    EXPECT_EQ(events.log, (std::vector<std::string>{"in 10", "out 10", "in 10"}));
    EXPECT_EQ(form.FocusedControl(), 10);
}

TEST(ScriptedFileChooserTest, GivesScriptedPathsThenCancels) {
    ScriptedFileChooser chooser;
    chooser.ChooseNext("/tmp/steps");
    chooser.ChooseNext("/tmp/old.dat");
    const ui::FileRequest request{"Step Data File (*.dat) | *.dat||", "dat", "", ""};
    EXPECT_EQ(chooser.ChooseSave(request), "/tmp/steps.dat");
    EXPECT_EQ(chooser.ChooseOpen(request), "/tmp/old.dat");
    EXPECT_EQ(chooser.ChooseOpen(request), std::nullopt);
    ASSERT_EQ(chooser.Requests().size(), 3u);
    EXPECT_TRUE(chooser.Requests()[0].save);
    EXPECT_EQ(chooser.Requests()[0].request.defaultExtension, "dat");
}

}  // namespace
}  // namespace tavro::test
