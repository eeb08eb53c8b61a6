#pragma once

#include <string>
#include <vector>

#include "link/LinkContext.h"
#include "monitor/RepeatRun.h"
#include "monitor/RepeatStats.h"
#include "ui/StringTable.h"

namespace tavro {

// Everything a repeatability report holds, as text and numbers the page writer only lays out.
struct RepeatReport {
    struct Line {
        std::string caption;
        std::string value;
    };
    std::vector<Line> controller;  // ID, version, product number, orientation, date
    int ratedUm = 0;
    int cycles = 0;
    int settleMs = 0;
    RepeatEnd end = RepeatEnd::kRunning;
    std::vector<RepeatTarget> targets;
    std::vector<std::vector<Line>> stepData;  // per target, the fields of its step
    std::vector<RepeatStats> stats;           // per target
    std::vector<RepeatArrival> arrivals;
};

// The report of a run, its controller as this connection read it; `date` as it is to be shown.
RepeatReport MakeRepeatReport(LinkContext& ctx, const RepeatRun& run, const StringTable& strings,
                              const std::string& date);

// The local date and time a report shows, "2026-12-10 15:20".
std::string ReportDateNow();

// The string ID that says how a run ended.
int RepeatEndText(RepeatEnd end);
int VerdictText(RepeatVerdict verdict);

// The deviation of an arrival from its target's reference, µm: the target position, or the
// mean for a relative step.
double DeviationUm(const RepeatReport& report, const RepeatArrival& arrival);

// Every arrival, one line each, written to a temporary file and renamed over `path`. On failure
// `error` says why and `path` is as it was.
bool WriteRepeatCsv(const RepeatReport& report, const std::string& path, std::string& error);

// FILE.pdf -> FILE.csv; any other name gets ".csv" added.
std::string CsvPathFor(const std::string& reportPath);

// Writes the PDF; the application and the Qt build of tavro-cli have one.
class RepeatReportPrinter {
  public:
    virtual ~RepeatReportPrinter() = default;
    virtual bool Print(const RepeatReport& report, const StringTable& strings,
                       const std::string& path, std::string& error) = 0;
};

}  // namespace tavro
