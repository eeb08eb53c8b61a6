#include "monitor/RepeatReport.h"

#include <unistd.h>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "link/Numbers.h"
#include "link/StringIds.h"
#include "stepdata/ParameterCatalog.h"
#include "stepdata/StepRecord.h"

namespace tavro {

namespace {

// The step fields a report lists: what decides where and how the table arrives.
constexpr int kReportedCells[] = {
    kCellTargetPosition, kCellMovementMode, kCellPositioningTime, kCellSpeed,
    kCellAcceleration,   kCellDeceleration, kCellOperationWord,   kCellInPositionRange,
};

constexpr int kSeriesParameter = 1;
constexpr int kOrientationParameter = 10;

std::string ProductNumber(LinkContext& ctx, const StringTable& strings) {
    std::string series =
        ParameterValueText(0, kSeriesParameter, static_cast<float>(ctx.status.series[0]), strings);
    const std::size_t star = series.find('*');
    if (star != std::string::npos && ctx.status.stroke[0] > 0) {
        series.replace(star, 1, Format("%d", ctx.status.stroke[0]));
    }
    return series;
}

}  // namespace

std::string ReportDateNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::array<char, 32> buf{};
    std::strftime(buf.data(), buf.size(), "%Y-%m-%d %H:%M", &local);
    return buf.data();
}

int RepeatEndText(RepeatEnd end) {
    switch (end) {
        case RepeatEnd::kRunning:
            return ids::IDS_REPEAT_RUNNING;
        case RepeatEnd::kCompleted:
            return ids::IDS_REPEAT_COMPLETED;
        case RepeatEnd::kStopped:
            return ids::IDS_REPEAT_STOPPED;
        case RepeatEnd::kAlarm:
            return ids::IDS_REPEAT_ALARM;
        case RepeatEnd::kNoInPosition:
            return ids::IDS_REPEAT_NO_INP;
        case RepeatEnd::kLinkLost:
            return ids::IDS_REPEAT_LINK_LOST;
    }
    return ids::IDS_REPEAT_STOPPED;
}

int VerdictText(RepeatVerdict verdict) {
    switch (verdict) {
        case RepeatVerdict::kPass:
            return ids::IDS_REPEAT_PASS;
        case RepeatVerdict::kFail:
            return ids::IDS_REPEAT_FAIL;
        case RepeatVerdict::kUnrated:
            break;
    }
    return ids::IDS_REPEAT_UNRATED;
}

RepeatReport MakeRepeatReport(LinkContext& ctx, const RepeatRun& run, const StringTable& strings,
                              const std::string& date) {
    RepeatReport r;
    const auto text = [&](int id) { return std::string(strings.Text(id)); };
    r.controller = {
        {text(ids::IDS_REPORT_ID), Format("%d", ctx.status.controllerId)},
        {text(ids::IDS_REPORT_VERSION),
         Format("%.2f", static_cast<double>(ctx.status.controllerVersion))},
        {text(ids::IDS_REPORT_PRODUCT), ProductNumber(ctx, strings)},
        {text(ids::IDS_REPORT_ORIENTATION),
         ParameterValueText(
             0, kOrientationParameter,
             ctx.image.GetCell(0, kOrientationParameter, ParameterImage::kControllerCopy),
             strings)},
        {text(ids::IDS_REPORT_DATE), date},
    };
    r.ratedUm = run.RatedUm();
    r.cycles = run.Plan().cycles;
    r.settleMs = run.Plan().settleMs;
    r.end = run.End();
    r.targets = run.Targets();
    r.arrivals = run.Arrivals();
    for (std::size_t i = 0; i < r.targets.size(); ++i) {
        const int group = StepImageRow(r.targets[i].step - 1);
        std::vector<RepeatReport::Line> lines;
        for (const int cell : kReportedCells) {
            const float value = ctx.image.GetCell(group, cell, ParameterImage::kControllerCopy);
            lines.push_back({ParameterCaption(group, cell, strings),
                             ParameterValueText(group, cell, value, strings)});
        }
        r.stepData.push_back(std::move(lines));
        r.stats.push_back(run.Stats(i));
    }
    return r;
}

double DeviationUm(const RepeatReport& report, const RepeatArrival& arrival) {
    const auto i = static_cast<std::size_t>(arrival.target);
    if (i >= report.targets.size()) {
        return 0.0;
    }
    const RepeatTarget& t = report.targets[i];
    const double reference = t.absolute || i >= report.stats.size()
                                 ? static_cast<double>(t.targetUm)
                                 : std::round(report.stats[i].mean);
    return static_cast<double>(arrival.positionUm) - reference;
}

std::string CsvPathFor(const std::string& reportPath) {
    constexpr std::string_view kPdf = ".pdf";
    if (reportPath.size() > kPdf.size()) {
        std::string tail = reportPath.substr(reportPath.size() - kPdf.size());
        for (char& c : tail) {
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        }
        if (tail == kPdf) {
            return reportPath.substr(0, reportPath.size() - kPdf.size()) + ".csv";
        }
    }
    return reportPath + ".csv";
}

bool WriteRepeatCsv(const RepeatReport& report, const std::string& path, std::string& error) {
    const std::string tmp = path + ".tmp";
    std::FILE* f = std::fopen(tmp.c_str(), "w");
    if (f == nullptr) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    bool ok = std::fputs("cycle,step,target_mm,position_mm,deviation_mm,move_ms\n", f) >= 0;
    for (const RepeatArrival& a : report.arrivals) {
        const auto i = static_cast<std::size_t>(a.target);
        if (i >= report.targets.size()) {
            continue;
        }
        const RepeatTarget& t = report.targets[i];
        ok = ok &&
             std::fprintf(f, "%d,%d,%.3f,%.3f,%+.3f,%lld\n", a.cycle, t.step,
                          static_cast<double>(t.targetUm) / 1000.0,
                          static_cast<double>(a.positionUm) / 1000.0,
                          DeviationUm(report, a) / 1000.0, static_cast<long long>(a.moveMs)) > 0;
    }
    ok = std::fflush(f) == 0 && ok;
    ok = ::fsync(::fileno(f)) == 0 && ok;
    const int savedErrno = errno;
    ok = std::fclose(f) == 0 && ok;
    if (!ok || std::rename(tmp.c_str(), path.c_str()) != 0) {
        error = path + ": " + std::strerror(ok ? errno : savedErrno);
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

}  // namespace tavro
