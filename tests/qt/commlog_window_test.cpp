#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "link/StringIds.h"
#include "tests/support/ScriptedFileChooser.h"
#include "tests/support/ScriptedPrompter.h"
#include "ui/qt/CommLogWindow.h"

namespace tavro::test {
namespace {

// The window over a log that a test fills by hand, as the engine would.
class CommLogWindowTest : public ::testing::Test {
  protected:
    CommLogWindowTest() : window(log, strings, chooser, prompter, Link()) { window.show(); }

    static qt::CommLogLink Link() {
        qt::CommLogLink link;
        link.baud = [] { return 19200; };
        link.port = []() -> const PortInfo* { return nullptr; };
        return link;
    }
    void Exchange(std::int64_t us, LineStatus status, LineOutcome outcome, int transmission) {
        log.Sent(us, ":01 EE 0 0A1\r\n", "EE", 1, transmission, false);
        const auto seq = log.Received(us + 8000, "01EEOK1.0E1", status, "EE", 1, false);
        log.Settle(seq, outcome, outcome == LineOutcome::kAnswered ? 8000 : -1);
    }
    QTableView* Table() { return window.findChild<QTableView*>(QStringLiteral("commLogTable")); }
    QString Summary() {
        return window.findChild<QLabel*>(QStringLiteral("commLogSummary"))->text();
    }

    LineLog log{32};
    StringTable strings{Language::kEnglish};
    ScriptedFileChooser chooser;
    ScriptedPrompter prompter;
    qt::CommLogWindow window;
};

TEST_F(CommLogWindowTest, FollowsTheLogFiltersAndPauses) {
    Exchange(0, LineStatus::kOk, LineOutcome::kAnswered, 1);
    Exchange(20000, LineStatus::kChecksum, LineOutcome::kRejected, 1);
    Exchange(40000, LineStatus::kOk, LineOutcome::kAnswered, 2);
    window.Refresh();
    QTableView* table = Table();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->model()->rowCount(), 6);
    EXPECT_EQ(table->model()->headerData(6, Qt::Horizontal).toString(),
              QStringLiteral("Latency (ms)"));
    EXPECT_EQ(table->model()->index(3, 5).data().toString(),
              QStringLiteral("Checksum error, not taken"));
    EXPECT_TRUE(Summary().startsWith(QStringLiteral("Commands 2, resends 1, time-outs 0, NG 0")))
        << Summary().toStdString();

    auto* problems = window.findChild<QComboBox*>(QStringLiteral("commLogProblems"));
    ASSERT_NE(problems, nullptr);
    EXPECT_EQ(problems->count(), 7);
    window.ShowProblems(LineProblem::kAnyProblem);
    EXPECT_EQ(problems->currentIndex(), 1);
    EXPECT_EQ(table->model()->rowCount(), 2) << "the spoilt reply and the resend";

    auto* codes = window.findChild<QComboBox*>(QStringLiteral("commLogCodes"));
    ASSERT_NE(codes, nullptr);
    EXPECT_EQ(codes->count(), 2);
    EXPECT_EQ(codes->itemText(1), QStringLiteral("EE"));

    window.ShowProblems(LineProblem::kAll);
    auto* pause = window.findChild<QPushButton*>(QStringLiteral("commLogPause"));
    ASSERT_NE(pause, nullptr);
    pause->click();
    Exchange(60000, LineStatus::kOk, LineOutcome::kAnswered, 1);
    window.Refresh();
    EXPECT_EQ(table->model()->rowCount(), 6) << "paused";
    pause->click();
    EXPECT_EQ(table->model()->rowCount(), 8);
}

TEST_F(CommLogWindowTest, CopiesTheSelectedRowsAndClears) {
    Exchange(0, LineStatus::kOk, LineOutcome::kAnswered, 1);
    Exchange(20000, LineStatus::kWrongId, LineOutcome::kRejected, 1);
    window.Refresh();
    QTableView* table = Table();
    table->selectRow(3);
    window.findChild<QPushButton*>(QStringLiteral("commLogCopy"))->click();
    const QString copied = QApplication::clipboard()->text();
    EXPECT_TRUE(copied.contains(QStringLiteral("wrong ID  rejected"))) << copied.toStdString();
    EXPECT_EQ(copied.count(QLatin1Char('\n')), 1);

    window.findChild<QPushButton*>(QStringLiteral("commLogClear"))->click();
    EXPECT_EQ(table->model()->rowCount(), 0);
    EXPECT_EQ(log.Size(), 0U);
}

TEST_F(CommLogWindowTest, SavesThroughTheFileChooser) {
    Exchange(0, LineStatus::kOk, LineOutcome::kAnswered, 1);
    window.Refresh();
    chooser.CancelNext();
    window.findChild<QPushButton*>(QStringLiteral("commLogSaveCsv"))->click();
    ASSERT_EQ(chooser.Requests().size(), 1U);
    EXPECT_TRUE(chooser.Requests()[0].save);
    EXPECT_EQ(chooser.Requests()[0].request.filter, strings.Text(ids::IDS_COMMLOG_CSV_FILTER));
}

}  // namespace
}  // namespace tavro::test
