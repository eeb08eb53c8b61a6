#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "tests/support/TempDir.h"
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
            // Refusing a missing file brings up a box of its own; answer it, then give up.
            QTimer::singleShot(0, &dialog, [&dialog] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
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
};

TEST_F(QtFileChooserDialogTest, SavingAddsTheDefaultExtension) {
    TypeAndAccept(QString::fromStdString(dir.File("steps")));
    EXPECT_EQ(chooser.ChooseSave(request), dir.File("steps.dat"));
    EXPECT_EQ(filters, QStringList{QStringLiteral("Step Data File (*.dat)")});
    EXPECT_EQ(suffix, QStringLiteral("dat"));
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
