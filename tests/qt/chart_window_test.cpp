// The chart window offscreen: it redraws on its own timer and only for new samples, records
// through its button, and opens a black box record from its list.

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "link/VirtualLoop.h"
#include "monitor/MonitorLog.h"
#include "monitor/SampleCsv.h"
#include "tests/support/TempDir.h"
#include "ui/StringTable.h"
#include "ui/qt/ChartWindow.h"

namespace tavro::test {
namespace {

constexpr std::uint16_t kIdle = 0x0890;

class OneFileChooser : public ui::FileChooser {
  public:
    explicit OneFileChooser(std::string path) : path_(std::move(path)) {}
    std::optional<std::string> ChooseSave(const ui::FileRequest& request) override {
        lastFilter = request.filter;
        return path_;
    }
    std::optional<std::string> ChooseOpen(const ui::FileRequest&) override { return path_; }
    std::string lastFilter;

  private:
    std::string path_;
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

    TempDir dir;
    VirtualLoop loop;
    MonitorLog log{loop, [this] { return 1796900000000 + loop.NowMs(); }, dir.File("alarms")};
    StringTable strings{Language::kEnglish};
    OneFileChooser chooser{dir.File("run.csv")};
    qt::ChartWindow window{log, [this](int id) { return std::string(strings.Text(id)); }, chooser};
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

}  // namespace
}  // namespace tavro::test
