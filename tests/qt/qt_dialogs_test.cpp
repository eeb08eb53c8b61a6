#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

#include "link/LinkContext.h"
#include "link/VirtualLoop.h"
#include "stepdata/CFileRw.h"
#include "tests/support/TempDir.h"
#include "ui/StringTable.h"
#include "ui/qt/QtFileChooser.h"
#include "ui/qt/QtPrompter.h"

namespace tavro::test {
namespace {

TEST(QtPrompterTest, YesNoQuestionsDefaultToNo) {
    qt::QtPrompter prompter;
    bool checked = false;
    prompter.SetOnShown([&](QWidget& widget) {
        auto& box = static_cast<QMessageBox&>(widget);
        EXPECT_EQ(box.icon(), QMessageBox::Warning);
        EXPECT_EQ(box.defaultButton(), box.button(QMessageBox::No));
        EXPECT_NE(box.button(QMessageBox::Yes), nullptr);
        EXPECT_EQ(box.text(), QStringLiteral("The data will be saved to the controller.\nDo "
                                             "you want to proceed?"));
        EXPECT_FALSE(box.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        checked = true;
        QTest::keyClick(&box, Qt::Key_Return);
    });
    EXPECT_FALSE(prompter.Confirm(
        344, "The data will be saved to the controller.\nDo you want to proceed?"));
    EXPECT_TRUE(checked);

    prompter.SetOnShown([](QWidget& widget) {
        static_cast<QMessageBox&>(widget).button(QMessageBox::Yes)->click();
    });
    EXPECT_TRUE(prompter.Confirm(344, "Proceed?"));
}

TEST(QtPrompterTest, NotesUseTheInformationIconAndCanStayOnTop) {
    qt::QtPrompter prompter;
    prompter.SetOnShown([](QWidget& widget) {
        auto& box = static_cast<QMessageBox&>(widget);
        EXPECT_EQ(box.icon(), QMessageBox::Information);
        EXPECT_TRUE(box.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
        box.button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(
        prompter.Show({345, "Update complete.", ui::Icon::kInformation, ui::Buttons::kOk, true}),
        ui::Answer::kOk);
}

// The buttons read in the user's language whatever translation the toolkit has loaded.
TEST(QtPrompterTest, ButtonsTakeTheCaptionsGiven) {
    qt::QtPrompter prompter;
    prompter.SetButtonTexts({"OK", "はい(&Y)", "いいえ(&N)"});
    QStringList captions;
    prompter.SetOnShown([&](QWidget& widget) {
        auto& box = static_cast<QMessageBox&>(widget);
        for (QAbstractButton* button : box.buttons()) {
            captions << button->text();
        }
        box.button(QMessageBox::Yes)->click();
    });
    EXPECT_TRUE(prompter.Confirm(344, "データをコントローラに保存します。"));
    captions.sort();
    EXPECT_EQ(captions, (QStringList{QStringLiteral("いいえ(&N)"), QStringLiteral("はい(&Y)")}));

    prompter.SetOnShown([&](QWidget& widget) {
        auto& box = static_cast<QMessageBox&>(widget);
        EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QStringLiteral("OK"));
        box.button(QMessageBox::Ok)->click();
    });
    prompter.Inform(345, "更新が完了しました。");
}

TEST(QtFileChooserTest, TurnsThePresentersFilterIntoNameFilters) {
    EXPECT_EQ(qt::QtFileChooser::NameFilters("Step Data File (*.dat) | *.dat||"),
              QStringList{QStringLiteral("Step Data File (*.dat)")});
    EXPECT_EQ(qt::QtFileChooser::NameFilters("A|*.a;*.b|B|*.c||"),
              (QStringList{QStringLiteral("A (*.a *.b)"), QStringLiteral("B (*.c)")}));
    EXPECT_TRUE(qt::QtFileChooser::NameFilters("||").isEmpty());
}

class QtFileChooserDialogTest : public testing::Test {
  protected:
    QtFileChooserDialogTest() { chooser.SetUseToolkitDialog(true); }

    // Types `name` into the dialog's file name field and presses its accept button.
    void TypeAndAccept(const QString& name) {
        chooser.SetOnShown([this, name](QFileDialog& dialog) {
            filters = dialog.nameFilters();
            suffix = dialog.defaultSuffix();
            mode = dialog.fileMode();
            auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(field, nullptr);
            field->setText(name);
            // Refusing a missing file, or confirming a replacement, brings up a box of the
            // dialog's own; answer it, then give up.
            QTimer::singleShot(0, &dialog, [this, &dialog] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    dialogAsked = true;
                    box->close();
                }
                dialog.reject();
            });
            QMetaObject::invokeMethod(&dialog, "accept", Qt::DirectConnection);
        });
    }

    const ui::FileRequest request{"Step Data File (*.dat) | *.dat||", "dat", "", ""};
    qt::QtFileChooser chooser;
    TempDir dir;
    QStringList filters;
    QString suffix;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    bool dialogAsked = false;
};

TEST_F(QtFileChooserDialogTest, SavingAddsTheDefaultExtension) {
    TypeAndAccept(QString::fromStdString(dir.File("steps")));
    EXPECT_EQ(chooser.ChooseSave(request), dir.File("steps.dat"));
    EXPECT_EQ(filters, QStringList{QStringLiteral("Step Data File (*.dat)")});
    EXPECT_EQ(suffix, QStringLiteral("dat"));
}

// The program asks 348 with the full path itself; the file dialog must not ask before it.
TEST_F(QtFileChooserDialogTest, SavingOverAFileAsksOnceWithTheProgramsQuestion) {
    dir.Write("old.dat", "old contents");
    const std::string path = dir.File("old.dat");
    TypeAndAccept(QString::fromStdString(path));
    const StringTable strings(Language::kEnglish);
    qt::QtPrompter prompter;
    std::vector<std::string> shown;
    prompter.SetOnShown([&shown](QWidget& widget) {
        auto& box = static_cast<QMessageBox&>(widget);
        shown.push_back(box.text().toStdString());
        QAbstractButton* answer = box.button(QMessageBox::Yes);
        (answer != nullptr ? answer : box.button(QMessageBox::Ok))->click();
    });
    VirtualLoop loop;
    LinkContext ctx{loop, "/nonexistent"};
    CFileRw file(prompter, chooser, ctx,
                 [&strings](int id) { return std::string(strings.Text(id)); });

    EXPECT_EQ(file.Save(StepFileMode::kPage), 0);
    EXPECT_FALSE(dialogAsked);
    EXPECT_EQ(shown, (std::vector<std::string>{
                         "\"" + path + "\" already exists.\nDo you want to replace it?",
                         "Save complete."}));
    EXPECT_EQ(dir.Read("old.dat").substr(0, kStepFileHeader.size()), kStepFileHeader);
}

TEST_F(QtFileChooserDialogTest, OpeningTakesOnlyAFileThatExists) {
    TypeAndAccept(QString::fromStdString(dir.File("missing.dat")));
    EXPECT_EQ(chooser.ChooseOpen(request), std::nullopt);
    EXPECT_EQ(mode, QFileDialog::ExistingFile);

    dir.Write("old.dat", "[Tavro Motor Controller Step Data]\n");
    TypeAndAccept(QString::fromStdString(dir.File("old.dat")));
    EXPECT_EQ(chooser.ChooseOpen(request), dir.File("old.dat"));
}

}  // namespace
}  // namespace tavro::test
