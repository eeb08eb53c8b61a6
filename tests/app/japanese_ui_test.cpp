// Every text a Japanese user reads in the windows comes from the Japanese table: the pages,
// dialogs, lists, menus and messages hold no Latin word but the glossary's technical names,
// in both control types, connected and offline.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/CMain.h"
#include "tests/support/AppHarness.h"
#include "tests/support/FakeForm.h"
#include "tests/ui/Glossary.h"

namespace tavro::test {
namespace {

using ::testing::IsEmpty;

constexpr int kComSelect = 200;
constexpr int kIdSearch = 157;
constexpr int kPassword = 203;
constexpr int kAbout = 100;
constexpr int kTypeDialog = 214;
constexpr int kCommSetup = 138;
constexpr int kBrowser = 205;
constexpr int kProgress = 206;
constexpr int kDetail = 204;
constexpr int kPages[] = {210, 211, 212, 213};
constexpr ui::ControlId kStepList = 1690;
constexpr ui::ControlId kDetailStepList = 1872;
constexpr ui::ControlId kBrowse = 1763;
constexpr ui::ControlId kDetails = 1212;

// Collects every Latin word that is not a technical name, with where it was read.
class EnglishFinder {
  public:
    explicit EnglishFinder(const AppHarness& h) : h_(h) {}

    // A port's path and name are the system's words, not the program's.
    void AddPort(const std::string& path, const std::string& name) {
        ports_.push_back(path);
        ports_.push_back(name);
    }

    void Text(const std::string& where, std::string text) {
        text = Without(std::move(text), h_.SimPortPath());
        text = Without(std::move(text), AppHarness::kSimPortName);
        for (const std::string& port : ports_) {
            text = Without(std::move(text), port);
        }
        for (const std::string& word : ForeignWords(text, ProgramGlossary())) {
            found_.push_back(where + ": " + word + " in \"" + text + "\"");
        }
    }

    void Form(const FakeForm* form, int templateId) {
        ASSERT_NE(form, nullptr) << "form " << templateId;
        const std::string t = std::to_string(templateId);
        Text(t + " title", form->Title());
        for (const ui::MenuItem& item : form->SystemMenu()) {
            Text(t + " menu", item.text);
        }
        for (const FakeForm::Popup& popup : form->Popups()) {
            for (const ui::MenuItem& item : popup.items) {
                Text(t + " popup", item.text);
            }
        }
        for (ui::ControlId id = 0; id < 4000; ++id) {
            const FakeControl* c = form->Find(id);
            if (c == nullptr || !c->visible) {
                continue;
            }
            const std::string w = t + "/" + std::to_string(id);
            Text(w, c->text);
            Text(w + " tip", c->toolTip);
            for (const std::string& item : c->items) {
                Text(w + " item", item);
            }
            for (const ui::ListColumn& column : c->columns) {
                Text(w + " heading", column.heading);
            }
            for (const FakeControl::Row& row : c->rows) {
                for (const std::string& cell : row.cells) {
                    Text(w + " cell", cell);
                }
            }
        }
    }

    void Messages() {
        for (const ui::Message& m : h_.prompter.Shown()) {
            Text("message " + std::to_string(m.stringId), m.text);
        }
    }

    const std::vector<std::string>& Found() const { return found_; }

  private:
    const AppHarness& h_;
    std::vector<std::string> ports_;
    std::vector<std::string> found_;
};

struct TypeCase {
    const char* name;
    int controlType;
};

constexpr TypeCase kTypes[] = {{"StepData", sim::kTypeStepData}, {"Pulse", sim::kTypePulse}};

class JapaneseWindowsTest : public ::testing::TestWithParam<TypeCase> {};

TEST_P(JapaneseWindowsTest, ShowNoEnglishButTechnicalNames) {
    sim::ControllerOptions controller;
    controller.controlType = GetParam().controlType;
    AppHarness h({controller}, Language::kJapanese);
    EnglishFinder finder(h);
    h.WriteSettings(AppSettings().Auto(0).SearchAuto(0));
    h.OnModal(kComSelect, [&](FakeForm& f) {
        finder.Form(&f, kComSelect);
        h.ChoosePort(h.SimPortPath())(f);
    });
    h.OnModal(kIdSearch, [&](FakeForm& f) {
        finder.Form(&f, kIdSearch);
        h.ConnectFirstFound()(f);
        finder.Form(&f, kIdSearch);
    });
    const char* code = "kzw";
    h.OnModal(kPassword, [&](FakeForm& f) {
        finder.Form(&f, kPassword);
        f.TypeText(1950, code);
        f.Click(1951);
    });
    h.OnModal(kAbout, [&](FakeForm& f) {
        f.Click(kDetails);
        finder.Form(&f, kAbout);
        f.Click(ui::kIdOk);
    });
    h.Run([&](FakeForm& main, CMain& window) {
        const auto idle = [&] { return h.ctx.status.linkState == kLinkOnline; };
        ASSERT_TRUE(h.RunUntil([&] { return (h.ctx.status.flags & kFlagUploadDone) != 0; }));
        for (int page = 0; page < CMain::kPageCount; ++page) {
            main.Choose(CMain::IDC_TABS, page);
            ASSERT_TRUE(h.RunUntil(idle));
            finder.Form(h.Form(kPages[page]), kPages[page]);
        }
        h.Form(kPages[2])->RightClickCell(kStepList, 0, 0);
        finder.Form(h.Form(kPages[2]), kPages[2]);
        if (h.Form(kPages[3])->Click(kBrowse)) {
            finder.Form(h.Form(kBrowser), kBrowser);
        }
        finder.Form(&main, CMain::kTemplate);

        ASSERT_TRUE(main.ChooseSystemCommand(CMain::kMenuAbout));
        ASSERT_TRUE(main.ChooseSystemCommand(CMain::kMenuPassword));
        ASSERT_TRUE(h.RunUntil(idle));
        h.Form(kDetail)->RightClickCell(kDetailStepList, 0, 0);
        finder.Form(h.Form(kDetail), kDetail);
        h.Form(kDetail)->Close();
        code = "vbq";
        ASSERT_TRUE(main.ChooseSystemCommand(CMain::kMenuCommSetup));
        finder.Form(h.Form(kCommSetup), kCommSetup);
        h.Form(kCommSetup)->Close();
        window.OpenProgress();
        finder.Form(h.Form(kProgress), kProgress);
    });
    finder.Messages();
    EXPECT_THAT(finder.Found(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Types, JapaneseWindowsTest, ::testing::ValuesIn(kTypes),
                         [](const auto& info) { return std::string(info.param.name); });

// A port that cannot be opened: the message says why in Japanese, then the program asks for
// the control-signal type and runs offline.
TEST(JapaneseWindows, OfflineStartSaysWhyInJapanese) {
    AppHarness h({{}}, Language::kJapanese);
    EnglishFinder finder(h);
    const std::string dead = h.AddDeadPort("ttyS1");
    finder.AddPort(dead, "ttyS1");
    h.WriteSettings(AppSettings().Port(dead).Auto(0));
    h.OnModal(kComSelect, [&](FakeForm& f) {
        finder.Form(&f, kComSelect);
        h.ChoosePort(dead)(f);
    });
    h.OnModal(kTypeDialog, [&](FakeForm& f) {
        finder.Form(&f, kTypeDialog);
        h.ChooseType(true)(f);
    });
    h.Run([&](FakeForm& main, CMain&) {
        for (int page = 0; page < CMain::kPageCount; ++page) {
            main.Choose(CMain::IDC_TABS, page);
            finder.Form(h.Form(kPages[page]), kPages[page]);
        }
        finder.Form(&main, CMain::kTemplate);
    });
    ASSERT_FALSE(h.prompter.Shown().empty());
    EXPECT_EQ(h.prompter.Shown().front().stringId, 231);
    EXPECT_NE(h.prompter.Shown().front().text.find("\n\n"), std::string::npos)
        << "the reason is missing";
    finder.Messages();
    EXPECT_THAT(finder.Found(), IsEmpty());
}

}  // namespace
}  // namespace tavro::test
