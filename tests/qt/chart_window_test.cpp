// The chart window offscreen: it redraws on its own timer and only for new samples, records
// through its button, and opens a black box record from its list.

#include <gtest/gtest.h>

#include <QApplication>
#include <QChartView>
#include <QGraphicsSimpleTextItem>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QValueAxis>
#include <QWheelEvent>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "link/StringIds.h"
#include "link/VirtualLoop.h"
#include "monitor/MonitorLog.h"
#include "monitor/SampleCsv.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TempDir.h"
#include "ui/StringTable.h"
#include "ui/qt/ChartWindow.h"

namespace tavro::test {
namespace {

constexpr std::uint16_t kIdle = 0x0890;

class OneFileChooser : public ui::FileChooser {
  public:
    explicit OneFileChooser(std::string path) : path(std::move(path)) {}
    std::optional<std::string> ChooseSave(const ui::FileRequest& request) override {
        lastFilter = request.filter;
        return path;
    }
    std::optional<std::string> ChooseOpen(const ui::FileRequest&) override { return path; }
    std::string path;
    std::string lastFilter;
};

class ChartWindowTest : public ::testing::Test {
  protected:
    void Feed(int count, std::uint16_t status = kIdle) {
        for (int i = 0; i < count; ++i) {
            MonitorSample s;
            s.timeMs = loop.NowMs();
            s.controllerId = 1;
            s.status = status;
            s.values = {loop.NowMs() % 20'000, 10, 3, 0, 1};
            log.OnSample(s);
            loop.Advance(100);
        }
    }
    QPushButton* Button(const char* text) const {
        for (QPushButton* b : window.findChildren<QPushButton*>()) {
            if (b->text() == QString::fromUtf8(text)) {
                return b;
            }
        }
        return nullptr;
    }

    // The values' chart view: the first of the two.
    QChartView* ValuesView() const {
        const auto views = window.findChildren<QChartView*>();
        return views.empty() ? nullptr : views.front();
    }
    static QValueAxis* TimeAxis(QChart* chart) {
        for (QAbstractAxis* a : chart->axes(Qt::Horizontal)) {
            if (a->titleText() == QStringLiteral("Time (s)")) {
                return qobject_cast<QValueAxis*>(a);
            }
        }
        return nullptr;
    }
    static QString Readout(QChart* chart) {
        for (QGraphicsItem* item : chart->scene()->items()) {
            if (auto* text = dynamic_cast<QGraphicsSimpleTextItem*>(item)) {
                return text->isVisible() ? text->text() : QString();
            }
        }
        return {};
    }
    static void Mouse(QWidget* at, QEvent::Type type, QPointF where, Qt::MouseButton button,
                      Qt::MouseButtons held) {
        QMouseEvent e(type, where, at->mapToGlobal(where), button, held, Qt::NoModifier);
        QApplication::sendEvent(at, &e);
    }

    TempDir dir;
    VirtualLoop loop;
    MonitorLog log{loop, [this] { return 1796900000000 + loop.NowMs(); }, dir.File("alarms")};
    StringTable strings{Language::kEnglish};
    OneFileChooser chooser{dir.File("run.csv")};
    ScriptedPrompter prompter;
    qt::ChartWindow window{log, [this](int id) { return std::string(strings.Text(id)); }, chooser,
                           prompter};
};

TEST_F(ChartWindowTest, RedrawsPerTickNotPerSampleAndNotWhenNothingCame) {
    window.show();
    const int before = window.Redraws();
    Feed(300);
    QTest::qWait(3 * qt::ChartWindow::kRedrawMs + 50);
    // 300 samples at once are one redraw, not 300.
    EXPECT_EQ(window.Redraws(), before + 1);
    QTest::qWait(3 * qt::ChartWindow::kRedrawMs);
    EXPECT_EQ(window.Redraws(), before + 1);
    window.SetPaused(true);
    Feed(10);
    QTest::qWait(2 * qt::ChartWindow::kRedrawMs);
    EXPECT_EQ(window.Redraws(), before + 1);
    window.SetPaused(false);
    EXPECT_EQ(window.Redraws(), before + 2);
}

TEST_F(ChartWindowTest, RecordButtonWritesTheFileAndStopRenamesIt) {
    window.show();
    QPushButton* record = Button("Record...");
    ASSERT_NE(record, nullptr);
    record->click();
    EXPECT_EQ(chooser.lastFilter, "CSV File (*.csv) | *.csv||");
    EXPECT_TRUE(log.Recorder().Recording());
    EXPECT_EQ(record->text(), QStringLiteral("Stop recording"));
    Feed(20);
    record->click();
    EXPECT_FALSE(log.Recorder().Recording());
    std::ifstream in(dir.File("run.csv"));
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const auto parsed = SampleCsv::Parse(text);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->samples.size(), 20U);
}

TEST_F(ChartWindowTest, BlackBoxRecordIsListedAndOpensWithItsAlarm) {
    window.show();
    Feed(50);
    Feed(3, kIdle & ~kStatusAlarmClearBit);
    log.OnAlarmRecord({6, 0, 0, 0});
    window.RefreshRecords();  // the program does this when a record is saved
    auto* list = window.findChild<QListWidget*>();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 1);
    const std::string name = list->item(0)->text().toStdString();
    EXPECT_TRUE(name.ends_with("-ID1-6.csv")) << name;
    const int before = window.Redraws();
    EXPECT_TRUE(window.OpenRecord(dir.File("alarms/" + name)));
    EXPECT_EQ(window.Redraws(), before + 1);
    // A record on show is not replaced by the live samples until Live is chosen.
    Feed(5);
    QTest::qWait(2 * qt::ChartWindow::kRedrawMs);
    EXPECT_EQ(window.Redraws(), before + 1);
    window.ShowLive();
    EXPECT_EQ(window.Redraws(), before + 2);
}

// The lanes' plot area follows the values' across, at any width, and then stays: a half
// pixel corrected back and forth would lay the charts out for ever.
TEST_F(ChartWindowTest, LanesLineUpWithTheValuesAndSettle) {
    window.show();
    Feed(100);
    const auto views = window.findChildren<QChartView*>();
    ASSERT_EQ(views.size(), 2);
    QChart* values = views[0]->chart();
    QChart* lanes = views[1]->chart();
    int changes = 0;
    QObject::connect(lanes, &QChart::plotAreaChanged, [&changes] { ++changes; });
    for (const int width : {900, 937, 958, 1001, 1143}) {
        SCOPED_TRACE(width);
        window.resize(width, 700);
        QTest::qWait(3 * qt::ChartWindow::kRedrawMs);
        EXPECT_NEAR(lanes->plotArea().left(), values->plotArea().left(), 1.0);
        EXPECT_NEAR(lanes->plotArea().right(), values->plotArea().right(), 1.0);
        changes = 0;
        QTest::qWait(3 * qt::ChartWindow::kRedrawMs);
        EXPECT_EQ(changes, 0);
    }
}

// A file that is no record, and a recording that cannot be written, are said through the
// program's message boxes, naming the file; the window stays as it was.
TEST_F(ChartWindowTest, FilesThatFailAreSaidWithTheirNames) {
    window.show();
    const std::string notARecord = dir.File("notes.csv");
    std::ofstream(notARecord) << "a,b,c\n1,2,3\n";
    EXPECT_FALSE(window.OpenRecord(notARecord));
    ASSERT_EQ(prompter.ShownIds(), std::vector<int>{ids::IDS_CHART_NOT_A_RECORD});
    EXPECT_NE(prompter.Last()->text.find(notARecord), std::string::npos) << prompter.Last()->text;
    EXPECT_EQ(prompter.Last()->icon, ui::Icon::kExclamation);
    EXPECT_EQ(Button("Live")->isEnabled(), false);

    prompter.Clear();
    chooser.path = dir.File("no such folder/run.csv");
    QPushButton* record = Button("Record...");
    ASSERT_NE(record, nullptr);
    record->click();
    EXPECT_FALSE(log.Recorder().Recording());
    ASSERT_EQ(prompter.ShownIds(), std::vector<int>{ids::IDS_CHART_WRITE_FAILED});
    EXPECT_NE(prompter.Last()->text.find("no such folder/run.csv.part"), std::string::npos)
        << prompter.Last()->text;
    EXPECT_EQ(record->text(), QStringLiteral("Record..."));
}

// The wheel zooms around the pointer, a band zooms to itself, "Show all" goes back to the live
// window, and the cursor reads the sample under the mouse.
TEST_F(ChartWindowTest, WheelBandAndCursorWorkOnTheTimeAxis) {
    window.resize(1000, 700);
    window.show();
    Feed(100);
    QTest::qWait(3 * qt::ChartWindow::kRedrawMs);
    QChartView* view = ValuesView();
    ASSERT_NE(view, nullptr);
    QChart* chart = view->chart();
    QValueAxis* time = TimeAxis(chart);
    ASSERT_NE(time, nullptr);
    auto* series = qobject_cast<QLineSeries*>(chart->series().front());
    ASSERT_NE(series, nullptr);
    QPushButton* showAll = Button("Show all");
    ASSERT_NE(showAll, nullptr);
    EXPECT_FALSE(showAll->isEnabled());
    const double liveWidth = time->max() - time->min();
    EXPECT_NEAR(liveWidth, 10.0, 1e-9);

    // Cursor: the pointer just before 5 s reads the sample taken at 5 s (position 5 mm).
    const QPointF at = chart->mapToPosition(QPointF(4.95, 0.0), series);
    Mouse(view->viewport(), QEvent::MouseMove, view->mapFromScene(at), Qt::NoButton, Qt::NoButton);
    const QString readout = Readout(chart);
    EXPECT_TRUE(readout.startsWith(QStringLiteral("5.0 s"))) << readout.toStdString();
    EXPECT_TRUE(readout.contains(QStringLiteral("Position (mm) 5.000"))) << readout.toStdString();
    EXPECT_TRUE(readout.contains(QStringLiteral("SVON"))) << readout.toStdString();

    // Wheel in at 5 s: the window narrows to 0.8 of its width and keeps 5 s where it was.
    const double before = (5.0 - time->min()) / liveWidth;
    const QPointF five = view->mapFromScene(chart->mapToPosition(QPointF(5.0, 0.0), series));
    QWheelEvent wheel(five, view->viewport()->mapToGlobal(five), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &wheel);
    EXPECT_NEAR(time->max() - time->min(), 0.8 * liveWidth, 0.05);
    EXPECT_NEAR((5.0 - time->min()) / (time->max() - time->min()), before, 0.02);
    EXPECT_TRUE(showAll->isEnabled());
    // A zoomed chart stays where it is while samples come.
    const double zoomedMin = time->min();
    Feed(20);
    QTest::qWait(3 * qt::ChartWindow::kRedrawMs);
    EXPECT_DOUBLE_EQ(time->min(), zoomedMin);

    showAll->click();
    QTest::qWait(2 * qt::ChartWindow::kRedrawMs);
    EXPECT_NEAR(time->max() - time->min(), liveWidth, 1e-9);
    EXPECT_FALSE(showAll->isEnabled());

    // A band dragged from 4 s to 6 s shows about those two seconds.
    const QPointF from = view->mapFromScene(chart->mapToPosition(QPointF(4.0, 0.0), series));
    const QPointF to = view->mapFromScene(chart->mapToPosition(QPointF(6.0, 0.0), series));
    Mouse(view->viewport(), QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    Mouse(view->viewport(), QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    Mouse(view->viewport(), QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    EXPECT_NEAR(time->min(), 4.0, 0.1);
    EXPECT_NEAR(time->max(), 6.0, 0.1);
    EXPECT_TRUE(showAll->isEnabled());
}

}  // namespace
}  // namespace tavro::test
