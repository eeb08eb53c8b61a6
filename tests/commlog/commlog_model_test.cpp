#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "commlog/CommLogModel.h"
#include "link/StringIds.h"
#include "tests/support/ScriptedFileChooser.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TempDir.h"

namespace tavro::test {
namespace {

using commlog::CommLogModel;

// A short exchange with one of each kind of trouble, as the engine would log it.
void FillExchange(LineLog& log) {
    log.Sent(1000, ":01 EE 0 0A1\r\n", "EE", 1, 1, false);
    const auto spoilt = log.Received(9000, "01EEOK1.0XX", LineStatus::kChecksum, "EE", 1, false);
    log.Settle(spoilt, LineOutcome::kRejected);
    log.Sent(9500, ":01 EE 0 0A1\r\n", "EE", 1, 2, false);
    log.Timeout(1009500, "EE", 1, 2, false);
    log.Sent(1009500, ":01 EE 0 0A1\r\n", "EE", 1, 3, false);
    const auto ok = log.Received(1020000, "01EEOK1.0E1", LineStatus::kOk, "EE", 1, false);
    log.Settle(ok, LineOutcome::kAnswered, 10500);
    const auto late = log.Received(1030000, "01EEOK1.0E1", LineStatus::kOk, "EE", 1, false);
    log.Settle(late, LineOutcome::kLate);
    log.Sent(1100000, ":01 MOE3\r\n", "MO", 1, 1, true);
    const auto ng = log.Received(1110000, "01MONGxx", LineStatus::kNg, "MO", 1, true);
    log.Settle(ng, LineOutcome::kRefused, 10000);
}

struct FilterCase {
    const char* name;
    const char* code;
    LineProblem problem;
    std::vector<int> rows;  // the entries shown, by their place in FillExchange
};

const FilterCase kFilterCases[] = {
    {"All", "", LineProblem::kAll, {0, 1, 2, 3, 4, 5, 6, 7, 8}},
    {"Poll", "MO", LineProblem::kAll, {7, 8}},
    {"AnyProblem", "", LineProblem::kAnyProblem, {1, 2, 3, 4, 6, 8}},
    {"Resends", "", LineProblem::kResends, {2, 4}},
    {"Timeouts", "", LineProblem::kTimeouts, {3}},
    {"Ng", "", LineProblem::kNg, {8}},
    {"Spoilt", "", LineProblem::kSpoilt, {1}},
    {"DroppedAndLate", "", LineProblem::kDropped, {6}},
    {"ResendsOfAPoll", "MO", LineProblem::kResends, {}},
};

class CommLogFilters : public ::testing::TestWithParam<FilterCase> {};

TEST_P(CommLogFilters, ShowOnlyTheEntriesAsked) {
    const FilterCase& c = GetParam();
    LineLog log(64);
    const StringTable strings(Language::kEnglish);
    CommLogModel model(log, strings);
    FillExchange(log);
    model.Refresh();
    const auto change = model.SetProblemFilter(c.problem);
    EXPECT_TRUE(change.reset);
    model.SetCodeFilter(c.code);
    ASSERT_EQ(model.RowCount(), c.rows.size());
    for (std::size_t i = 0; i < c.rows.size(); ++i) {
        EXPECT_EQ(model.Entry(i)->seq, log.FirstSeq() + static_cast<std::uint64_t>(c.rows[i]));
    }
    EXPECT_EQ(model.Codes(), (std::vector<std::string>{"EE", "MO"}));
}

INSTANTIATE_TEST_SUITE_P(Model, CommLogFilters, ::testing::ValuesIn(kFilterCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommLogModel, CellsSayWhatHappenedInTheUsersLanguage) {
    LineLog log(64);
    for (Language language : {Language::kEnglish, Language::kJapanese}) {
        log.Clear();
        const StringTable strings(language);
        CommLogModel model(log, strings);
        FillExchange(log);
        model.Refresh();
        ASSERT_EQ(model.RowCount(), 9U);
        EXPECT_EQ(model.Cell(0, CommLogModel::kTime), "0.000");
        EXPECT_EQ(model.Cell(5, CommLogModel::kTime), "1019.000");
        EXPECT_EQ(model.Cell(5, CommLogModel::kLatency), "10.500");
        EXPECT_EQ(model.Cell(0, CommLogModel::kLatency), "");
        EXPECT_EQ(model.Cell(1, CommLogModel::kData), ":01EEOK1.0XX");
        EXPECT_EQ(model.Cell(2, CommLogModel::kCommand),
                  "EE (" + strings.Format(ids::IDS_COMMLOG_RESEND, 2) + ")");
        EXPECT_EQ(model.Cell(3, CommLogModel::kData), strings.Text(ids::IDS_COMMLOG_TIMEOUT));
        EXPECT_EQ(model.Cell(1, CommLogModel::kStatus),
                  std::string(strings.Text(ids::IDS_COMMLOG_STATUS_FIRST + 2)) +
                      std::string(strings.Text(ids::IDS_COMMLOG_SEPARATOR)) +
                      std::string(strings.Text(ids::IDS_COMMLOG_OUTCOME_FIRST + 3)));
        EXPECT_EQ(model.Cell(6, CommLogModel::kStatus),
                  std::string(strings.Text(ids::IDS_COMMLOG_STATUS_FIRST)) +
                      std::string(strings.Text(ids::IDS_COMMLOG_SEPARATOR)) +
                      std::string(strings.Text(ids::IDS_COMMLOG_OUTCOME_FIRST + 4)));
        EXPECT_EQ(model.Header(CommLogModel::kLatency), strings.Text(ids::IDS_COMMLOG_COL_LATENCY));
    }
}

TEST(CommLogModel, RowsFollowTheRingAndPauseHoldsTheView) {
    LineLog log(4);
    const StringTable strings(Language::kEnglish);
    CommLogModel model(log, strings);
    FillExchange(log);  // nine entries: the ring keeps the last four
    auto change = model.Refresh();
    EXPECT_EQ(change.added, 4U);
    EXPECT_EQ(model.RowCount(), 4U);
    EXPECT_EQ(model.Entry(0)->seq, log.FirstSeq());

    model.SetPaused(true);
    log.Sent(2000000, ":01 MOE3\r\n", "MO", 1, 1, true);
    change = model.Refresh();
    EXPECT_EQ(change.added, 0U);
    EXPECT_EQ(change.removed, 1U) << "the oldest row left the ring";
    EXPECT_EQ(model.RowCount(), 3U);
    for (std::size_t i = 0; i < model.RowCount(); ++i) {
        EXPECT_NE(model.Entry(i), nullptr);
    }
    model.SetPaused(false);
    change = model.Refresh();
    EXPECT_EQ(change.added, 1U);
    EXPECT_EQ(model.RowCount(), 4U);
    EXPECT_EQ(model.Entry(3)->seq, log.NextSeq() - 1);

    log.Clear();
    change = model.Refresh();
    EXPECT_EQ(change.removed, 4U);
    EXPECT_EQ(model.RowCount(), 0U);
}

TEST(CommLogModel, CopyTakesTheSelectedRowsInOrder) {
    LineLog log(64);
    const StringTable strings(Language::kEnglish);
    CommLogModel model(log, strings);
    FillExchange(log);
    model.Refresh();
    const std::string text = model.CopyText({1, 5});
    const auto first = text.find(":01EEOK1.0XX  checksum  rejected");
    const auto second = text.find(":01EEOK1.0E1  OK  answered  10.500 ms");
    ASSERT_NE(first, std::string::npos) << text;
    ASSERT_NE(second, std::string::npos) << text;
    EXPECT_LT(first, second);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
}

TEST(CommLogModel, SaveWritesTheRowsShownAndAsksBeforeReplacing) {
    LineLog log(64);
    const StringTable strings(Language::kEnglish);
    CommLogModel model(log, strings);
    FillExchange(log);
    model.Refresh();
    model.SetProblemFilter(LineProblem::kTimeouts);
    TempDir dir;
    ScriptedFileChooser chooser;
    ScriptedPrompter prompter;

    chooser.ChooseNext(dir.File("log.csv"));
    ASSERT_TRUE(model.Save(CommLogModel::FileFormat::kCsv, chooser, prompter));
    const std::string csv = model.AllCsv();
    EXPECT_EQ(dir.Read("log.csv"), csv);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 2) << "the header and the time-out";
    EXPECT_EQ(chooser.Requests().back().request.defaultExtension, "csv");

    // The file exists: No keeps it as it was.
    model.SetProblemFilter(LineProblem::kAll);
    chooser.ChooseNext(dir.File("log.csv"));
    prompter.AnswerNo();
    EXPECT_FALSE(model.Save(CommLogModel::FileFormat::kCsv, chooser, prompter));
    EXPECT_TRUE(prompter.WasShown(348));
    EXPECT_NE(dir.Read("log.csv"), model.AllCsv());

    chooser.ChooseNext(dir.File("missing/log.txt"));
    EXPECT_FALSE(model.Save(CommLogModel::FileFormat::kText, chooser, prompter));
    EXPECT_TRUE(prompter.WasShown(ids::IDS_COMMLOG_SAVE_FAILED));

    chooser.CancelNext();
    EXPECT_FALSE(model.Save(CommLogModel::FileFormat::kText, chooser, prompter));
}

TEST(CommLogSummary, NamesTheHintAndHowToLowerTheAdaptersLatency) {
    PortInfo port;
    port.name = "ttyUSB0";
    port.latencyMs = 16;
    port.latencyFile = "/sys/bus/usb-serial/devices/ttyUSB0/latency_timer";
    LineSummary s;
    s.commands = 3;
    s.p50Us = 30000;
    s.p99Us = 31000;
    s.maxUs = 32000;
    s.excessP50Us = 16500;
    s.hint = LineHint::kLatency;
    for (Language language : {Language::kEnglish, Language::kJapanese}) {
        const StringTable strings(language);
        const std::string text = commlog::SummaryText(s, strings, &port);
        EXPECT_NE(text.find(strings.Format(ids::IDS_COMMLOG_HINT_LATENCY, "16.5")),
                  std::string::npos)
            << text;
        EXPECT_NE(text.find(strings.Format(ids::IDS_LATENCY_HINT, "ttyUSB0", 16)),
                  std::string::npos)
            << text;
        EXPECT_NE(text.find("latency_timer"), std::string::npos) << text;
        EXPECT_EQ(commlog::SummaryText(s, strings, nullptr).find("latency_timer"),
                  std::string::npos);
    }
    s.hint = LineHint::kNone;
    s.p50Us = -1;
    const StringTable en(Language::kEnglish);
    EXPECT_EQ(commlog::SummaryText(s, en, nullptr),
              "Commands 3, resends 0, time-outs 0, NG 0, latency p50 - ms, p99 31.0 ms, max "
              "32.0 ms, 0 B/s of 0 B/s");
}

}  // namespace
}  // namespace tavro::test
