#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "tests/qt/QtTestForm.h"
#include "ui/Keys.h"
#include "ui/qt/CColrBtn.h"
#include "ui/qt/Lamp.h"
#include "ui/qt/PaletteSlider.h"
#include "ui/qt/PictureLabel.h"
#include "ui/qt/QtPalette.h"
#include "ui/qt/ReportList.h"

namespace tavro::test {
namespace {

using ui::ControlId;
using Log = std::vector<std::string>;

QImage Snapshot(QWidget& widget) {
    QtTestForm::Settle();
    return widget.grab().toImage();
}

// --- drawing in the palette's colours ---

class QtDrawingTest : public testing::Test {
  protected:
    QtTestForm window;
    qt::QtForm& form = window.Form();
};

TEST_F(QtDrawingTest, LampsAndColourButtonsFillWithTheirPaletteColours) {
    form.SetColours(1019, {13, 16});  // a lit lamp: green
    const QImage lamp = Snapshot(*window.Widget(1019));
    EXPECT_EQ(lamp.pixelColor(5, lamp.height() / 2), QColor(0, 220, 0));

    form.SetColours(1019, {});  // unlit: dark grey
    const QImage unlit = Snapshot(*window.Widget(1019));
    EXPECT_EQ(unlit.pixelColor(5, unlit.height() / 2), QColor(102, 102, 102));

    form.SetColours(1012, {13, 16});
    form.SetChecked(1012, true);
    const QImage button = Snapshot(*window.Widget(1012));
    EXPECT_EQ(button.pixelColor(3, button.height() / 2), QColor(0, 220, 0));
}

TEST_F(QtDrawingTest, LabelsAndTheWindowTakeBackgroundAndTextColours) {
    form.SetColours(1001, {1, 16});
    const QImage label = Snapshot(*window.Widget(1001));
    EXPECT_EQ(label.pixelColor(1, 1), QColor(41, 89, 166));
    EXPECT_EQ(window.Widget(1001)->palette().color(QPalette::WindowText), QColor(255, 255, 255));
    // A disabled control drawn in the colours given for it, not the toolkit's grey.
    form.SetEnabled(1002, false);
    form.SetColours(1002, {10, 3});
    const QPalette edit = window.Widget(1002)->palette();
    EXPECT_EQ(edit.color(QPalette::Disabled, QPalette::Base),
              edit.color(QPalette::Active, QPalette::Base));
    form.SetColours(1001, {});
    EXPECT_FALSE(window.Widget(1001)->autoFillBackground());

    form.SetWindowColours({1, 0});
    const QImage whole = Snapshot(*form.Root());
    EXPECT_EQ(whole.pixelColor(1, 1), QColor(41, 89, 166));
}

TEST_F(QtDrawingTest, ListCellsWithColoursIgnoreTheSelectionHighlight) {
    form.ListAddColumn(1013, {40, "No.", ui::Align::kCentre});
    form.ListAddColumn(1013, {80, "Time   ", ui::Align::kRight});
    form.ListInsertRow(1013, 0);
    form.ListInsertRow(1013, 1);
    form.ListSetCellColours(1013, 0, 1, {10, 3});  // an idle cell
    form.ListSetCellColours(1013, 1, 1, {11, 2});
    form.ListSelectRow(1013, 1);
    auto* list = qobject_cast<qt::ReportList*>(window.Widget(1013));
    const QImage view = Snapshot(*list->viewport());
    const auto at = [&](int row, int column) {
        const QRect cell = list->visualItemRect(list->item(row, column));
        return view.pixelColor(cell.left() + 3, cell.center().y());
    };
    EXPECT_EQ(at(0, 1), list->palette().color(QPalette::Active, QPalette::Button));
    EXPECT_EQ(at(1, 1), QColor(255, 255, 0));  // selected, yet in its own colours
    EXPECT_NE(at(1, 0), list->palette().color(QPalette::Active, QPalette::Base));  // highlighted
}

TEST_F(QtDrawingTest, TheModeSwitchPaintsItsChannel) {
    form.SetColours(1014, {15, 0});
    auto* slider = qobject_cast<qt::PaletteSlider*>(window.Widget(1014));
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->channelColour(), QColor(0, 0, 255));
    const QImage image = Snapshot(*slider);
    int blue = 0;
    for (int x = 0; x < image.width(); ++x) {
        blue += image.pixelColor(x, image.height() / 2) == QColor(0, 0, 255) ? 1 : 0;
    }
    EXPECT_GT(blue, image.width() / 4);
}

TEST(QtPaletteTest, FixedEntriesAreTheirRgbAndSystemEntriesFollowThePalette) {
    QPalette system;
    system.setColor(QPalette::Active, QPalette::Button, QColor(1, 2, 3));
    system.setColor(QPalette::Active, QPalette::Highlight, QColor(4, 5, 6));
    system.setColor(QPalette::Active, QPalette::Base, QColor(7, 8, 9));
    EXPECT_EQ(qt::PaletteColour(1, system), QColor(41, 89, 166));
    EXPECT_EQ(qt::PaletteColour(14, system), QColor(225, 0, 0));
    EXPECT_EQ(qt::PaletteColour(10, system), QColor(1, 2, 3));
    EXPECT_EQ(qt::PaletteColour(5, system), QColor(4, 5, 6));
    EXPECT_EQ(qt::PaletteColour(9, system), QColor(7, 8, 9));
    EXPECT_EQ(qt::PaletteColour(17, system), QColor(0, 0, 0));
    EXPECT_EQ(qt::PaletteColour(-1, system), QColor(0, 0, 0));
}

TEST(QtPaletteTest, FontsScaleFromTheFormFontAndPreferJapaneseWhenAsked) {
    QFont base(QStringLiteral("DejaVu Sans"));
    base.setPointSizeF(13.0);
    EXPECT_DOUBLE_EQ(qt::PaletteFont(0, base, false).pointSizeF(), 13.0);
    const QFont big = qt::PaletteFont(14, base, false);
    EXPECT_DOUBLE_EQ(big.pointSizeF(), 15.0);
    EXPECT_EQ(big.weight(), QFont::Bold);
    const QFont small = qt::PaletteFont(1, base, false);
    EXPECT_DOUBLE_EQ(small.pointSizeF(), 9.0);
    EXPECT_EQ(small.weight(), QFont::Normal);
    const QFont japanese = qt::PaletteFont(7, base, true);
    ASSERT_FALSE(japanese.families().isEmpty());
    EXPECT_EQ(japanese.families().front(), QStringLiteral("Noto Sans CJK JP"));
    EXPECT_TRUE(japanese.families().contains(QStringLiteral("DejaVu Sans")));
}

TEST(QtFormJapaneseTest, AJapaneseFormPrefersAJapaneseFontEverywhere) {
    QtTestForm window(QStringLiteral("900.ui"), ui::FormKind::kModeless, true);
    EXPECT_EQ(window.Form().Root()->font().families().front(), QStringLiteral("Noto Sans CJK JP"));
    window.Form().SetFont(1001, 12);
    EXPECT_EQ(window.Widget(1001)->font().families().front(), QStringLiteral("Noto Sans CJK JP"));
    EXPECT_EQ(window.Widget(1001)->font().weight(), QFont::Bold);
}

TEST_F(QtDrawingTest, PicturesComeFromTheirResourceNumbers) {
    auto* picture = qobject_cast<qt::PictureLabel*>(window.Widget(1018));
    ASSERT_NE(picture, nullptr);
    EXPECT_TRUE(picture->pictureFile().endsWith(QStringLiteral("900.svg")));
    EXPECT_FALSE(picture->pixmap().isNull());
    form.SetPicture(1022, 900);
    EXPECT_FALSE(qobject_cast<QPushButton*>(window.Widget(1022))->icon().isNull());
    form.SetPicture(1018, 777);  // no such picture: an empty box, no failure
    EXPECT_TRUE(picture->pictureFile().isEmpty());
    EXPECT_TRUE(picture->pixmap().isNull());
}

// The lead looks at this picture of the test form: every control kind, in colour.
TEST_F(QtDrawingTest, WritesAPictureOfTheTestForm) {
    form.ListAddColumn(1013, {32, "No.", ui::Align::kCentre});
    form.ListAddColumn(1013, {62, "Operation", ui::Align::kCentre});
    form.ListAddColumn(1013, {60, "Position ", ui::Align::kRight});
    for (int row = 0; row < 4; ++row) {
        form.ListInsertRow(1013, row);
        form.ListSetCell(1013, row, 0, std::to_string(row + 1));
        form.ListSetCell(1013, row, 1, "Pos");
        form.ListSetCell(1013, row, 2, "0.000");
        form.ListSetCellColours(1013, row, 2, row == 1 ? ui::Colours{5, 6} : ui::Colours{16, 2});
    }
    form.ListSelectRow(1013, 1);
    form.SetColours(1019, {13, 16});
    form.SetColours(1012, {13, 16});
    form.SetText(1012, "Servo On");
    form.SetColours(1014, {15, 0});
    form.SetPosition(1017, 40);
    form.AddItem(1021, "I/O Setup");
    form.AddItem(1021, "Basic Parameter Setup");
    form.SetFont(1001, 14);
    form.SetColours(1002, {11, 2});
    const QString path = QStringLiteral(TAVRO_TEST_OUTPUT_DIR "/form_900.png");
    QFile::remove(path);
    const QImage image = Snapshot(window.Window());
    ASSERT_TRUE(image.save(path));
    const QImage back(path);
    EXPECT_EQ(back.size(), image.size());
    EXPECT_GT(back.width(), 200);
}

// --- events the toolkit needs help with ---

class QtEventsTest : public testing::Test {
  protected:
    QtTestForm window;
    qt::QtForm& form = window.Form();
    EventRecorder& events = window.events;
};

TEST_F(QtEventsTest, ThePresentersOwnChangesAreSilent) {
    events.recordMoves = false;
    form.SetText(1002, "1.000");
    form.SetText(1004, "7");
    form.SetCurrentItem(1003, 2);
    form.AddItem(1004, "1");
    form.SetChecked(1007, true);
    form.CheckRadio(1005, 1006, 1006);
    form.ListAddColumn(1013, {40, "No.", ui::Align::kLeft});
    form.ListInsertRow(1013, 0);
    form.ListSelectRow(1013, 0);
    form.SetPosition(1014, 50);
    form.SetPosition(1016, 5);
    form.AddItem(1021, "A");
    form.AddItem(1021, "B");
    form.SetCurrentItem(1021, 1);
    QtTestForm::Settle();
    EXPECT_EQ(events.log, Log{});
}

TEST_F(QtEventsTest, SelectAllSurvivesTheClickThatBroughtTheFocus) {
    events.recordMoves = false;
    ui::Form* f = &form;
    struct : EventRecorder {
        ui::Form* form = nullptr;
        void OnFocusIn(ControlId id) override { form->SelectAllText(id); }
    } selector;
    selector.form = f;
    form.SetListener(&selector);
    form.SetText(1002, "12.345");
    window.Click(1002);
    auto* edit = qobject_cast<QLineEdit*>(window.Widget(1002));
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->selectedText(), QStringLiteral("12.345"));
    form.SetListener(&events);
}

TEST_F(QtEventsTest, WhileADropDownIsOpenTheWindowBelowHearsNothing) {
    auto* combo = qobject_cast<QComboBox*>(window.Widget(1003));
    combo->showPopup();
    QtTestForm::Settle();
    ASSERT_NE(QApplication::activePopupWidget(), nullptr);
    events.log.clear();
    window.MoveTo(window.Where(1011));
    EXPECT_EQ(events.log, Log{});
    combo->hidePopup();
}

// Picking from the open list: the press opened it, the list window saw the rest.
TEST_F(QtEventsTest, ChoosingFromTheDropDownReportsTheNewItem) {
    events.recordMoves = false;
    window.Click(1003);
    auto* combo = qobject_cast<QComboBox*>(window.Widget(1003));
    QWidget* popup = combo->view()->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));
    const QRect item = combo->view()->visualRect(combo->model()->index(2, 0));
    QTest::mouseClick(popup->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      combo->view()->viewport()->mapTo(popup, item.center()));
    QtTestForm::Settle();
    EXPECT_EQ(form.CurrentItem(1003), 2);
    EXPECT_EQ(form.Text(1003), "19200");
    EXPECT_EQ(events.log, (Log{"down 1003", "in 1003", "select 1003"}));
}

TEST_F(QtEventsTest, SystemMenuCommandsReachThePresenter) {
    const std::vector<ui::MenuItem> menu{{0x20, "Password(&P)..."}, {0x10, "About(&A)..."}};
    form.SetSystemMenu(menu);
    auto* bar = window.Window().findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->actions().size(), 2);
    form.EnableSystemMenuItem(0x20, false);
    EXPECT_FALSE(bar->actions()[0]->isEnabled());
    bar->actions()[1]->trigger();
    EXPECT_EQ(events.log.back(), "command 16");
}

TEST_F(QtEventsTest, PopupMenusReturnTheChosenCommand) {
    const std::vector<ui::MenuItem> menu{{32773, "Cut"}, {0, ""}, {32774, "Get Pos.", false}};
    const auto choose = [](int index) {
        QTimer::singleShot(0, [index] {
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(popup, nullptr);
            if (index >= 0) {
                popup->setActiveAction(popup->actions()[index]);
            }
            QTest::keyClick(popup, index >= 0 ? Qt::Key_Return : Qt::Key_Escape);
        });
    };
    choose(0);
    EXPECT_EQ(form.PopupMenu(menu, {100, 100}), 32773);
    choose(-1);
    EXPECT_EQ(form.PopupMenu(menu, {100, 100}), 0);
}

// --- modal forms ---

TEST(QtModalTest, RunModalReturnsWhatThePresenterEndedWith) {
    QtTestForm window(QStringLiteral("900.ui"), ui::FormKind::kModal);
    qt::QtForm& form = window.Form();
    window.events.onClicked = [&form](ControlId id) {
        if (id == 1011) {
            form.EndModal(5);
        }
    };
    QTimer::singleShot(0, [&window] {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window.Window()));
        window.Window().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window.Window()));
        window.Key(ui::key::kReturn);  // the default button
    });
    EXPECT_EQ(form.RunModal(), 5);
    EXPECT_FALSE(form.IsWindowVisible());
}

TEST(QtModalTest, TheCloseBoxAsksThePresenter) {
    QtTestForm window(QStringLiteral("900.ui"), ui::FormKind::kModal);
    qt::QtForm& form = window.Form();
    window.events.allowClose = false;
    QTimer::singleShot(0, [&window] {
        window.Window().close();
        EXPECT_TRUE(window.Window().isVisible());
        window.events.allowClose = true;
        window.Window().close();
    });
    EXPECT_EQ(form.RunModal(), ui::kIdCancel);
    EXPECT_EQ(std::count(window.events.log.begin(), window.events.log.end(), "close"), 2);
}

TEST(QtModalTest, EndedBeforeItRunsOrNotModalAtAll) {
    QtTestForm modal(QStringLiteral("900.ui"), ui::FormKind::kModal);
    modal.Form().EndModal(3);
    EXPECT_EQ(modal.Form().RunModal(), 3);
    QtTestForm modeless;
    EXPECT_EQ(modeless.Form().RunModal(), -1);
}

// --- pages ---

TEST(QtPageTest, APageLivesInItsHostAndHearsItsKeysFirst) {
    QtTestForm main(QStringLiteral("901.ui"));
    auto page = main.Factory().CreateFromFile(QStringLiteral(TAVRO_TEST_FORMS_DIR "/902.ui"),
                                              &main.Form(), ui::FormKind::kPage);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Root()->parentWidget(), main.Form().PageHost());
    EXPECT_NE(main.Form().PageHost(), main.Form().Root());
    EXPECT_FALSE(page->IsWindowVisible());
    page->SetWindowVisible(true);
    EXPECT_TRUE(page->IsWindowVisible());
    EXPECT_FALSE(main.Form().HasControl(1664));

    EventRecorder pageEvents;
    pageEvents.recordMoves = false;
    main.events.recordMoves = false;
    page->SetListener(&pageEvents);
    QtTestForm::Settle();
    page->SetFocus(1664);
    main.Key('7');
    pageEvents.onKey = [](ControlId, int key) { return key == ui::key::kReturn; };
    main.Key(ui::key::kReturn);
    EXPECT_EQ(pageEvents.log, (Log{"in 1664", "key 1664 55", "edit 1664", "key 1664 13"}));
    // The main window sees the page's keys it did not consume, with the page's IDs.
    EXPECT_EQ(main.events.log, (Log{"key 1664 55"}));
    EXPECT_EQ(page->FocusedControl(), 1664);
    EXPECT_EQ(main.Form().FocusedControl(), ui::kNoControl);
    page->SetListener(nullptr);
}

TEST(QtFactoryTest, BuildsTemplatesFromItsFolderAndRefusesWhatItCannotBuild) {
    qt::QtFormOptions options;
    options.formsFolder = QStringLiteral(TAVRO_TEST_FORMS_DIR);
    qt::QtFormFactory factory(options);
    auto form = factory.Create(900, nullptr, ui::FormKind::kModeless);
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->HasControl(1013));
    EXPECT_EQ(factory.Create(999, nullptr, ui::FormKind::kModal), nullptr);
    EXPECT_EQ(factory.Create(902, nullptr, ui::FormKind::kPage), nullptr);
    EXPECT_EQ(
        factory.CreateFromFile(QStringLiteral("/nonexistent.ui"), nullptr, ui::FormKind::kModal),
        nullptr);
}

}  // namespace
}  // namespace tavro::test
