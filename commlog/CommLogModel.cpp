#include "commlog/CommLogModel.h"

#include <sys/stat.h>

#include "link/Numbers.h"
#include "link/PortMessages.h"
#include "link/StringIds.h"
#include "stepdata/StepFile.h"

namespace tavro::commlog {

namespace {

std::string Ms(std::int64_t us) {
    return Format("%.1f", static_cast<double>(us) / 1000.0);
}

std::string MsOrNone(std::int64_t us, const StringTable& strings) {
    return us < 0 ? std::string(strings.Text(ids::IDS_NO_VALUE)) : Ms(us);
}

// The path goes in as text, never as a format: a '%' in a file name stays a '%'.
std::string WithPath(std::string text, const std::string& path) {
    const std::size_t at = text.find("%s");
    if (at != std::string::npos) {
        text.replace(at, 2, path);
    }
    return text;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

std::string SummaryText(const LineSummary& s, const StringTable& strings, const PortInfo* port) {
    std::string text = strings.Format(ids::IDS_COMMLOG_SUMMARY, s.commands, s.resends, s.timeouts,
                                      s.ngs, MsOrNone(s.p50Us, strings), MsOrNone(s.p99Us, strings),
                                      MsOrNone(s.maxUs, strings), Format("%.0f", s.bytesPerSecond),
                                      Format("%.0f", s.lineBytesPerSecond));
    switch (s.hint) {
        case LineHint::kNone:
            break;
        case LineHint::kSilence:
            text += "\n" + std::string(strings.Text(ids::IDS_COMMLOG_HINT_SILENCE));
            break;
        case LineHint::kChecksums:
            text += "\n" + strings.Format(ids::IDS_COMMLOG_HINT_CHECKSUM, s.checksums);
            break;
        case LineHint::kLatency:
            text += "\n" + strings.Format(ids::IDS_COMMLOG_HINT_LATENCY, Ms(s.excessP50Us));
            // The adapter tells its latency timer: how to lower it, as the port dialog says.
            if (port != nullptr && port->latencyMs > 1 && !port->latencyFile.empty()) {
                text += "\n" + strings.Format(ids::IDS_LATENCY_HINT, port->name, port->latencyMs);
                text += "\n    " + LowerLatencyCommand(port->latencyFile);
            }
            break;
    }
    return text;
}

CommLogModel::CommLogModel(const LineLog& log, const StringTable& strings)
    : log_(log), strings_(strings), next_(log.FirstSeq()) {}

bool CommLogModel::Passes(const LineEntry& e) const {
    if (!code_.empty() && e.Code() != code_) {
        return false;
    }
    return e.Is(problem_);
}

void CommLogModel::NoteCode(const LineEntry& e) {
    const std::string_view code = e.Code();
    if (code.empty()) {
        return;
    }
    for (const auto& c : codes_) {
        if (c == code) {
            return;
        }
    }
    codes_.emplace_back(code);
}

CommLogModel::Change CommLogModel::Refresh() {
    Change change;
    const std::uint64_t first = log_.FirstSeq();
    while (!rows_.empty() && rows_.front() < first) {
        rows_.pop_front();
        ++change.removed;
    }
    if (next_ < first) {
        next_ = first;  // cleared, or overrun while paused
    }
    if (paused_) {
        return change;
    }
    for (; next_ < log_.NextSeq(); ++next_) {
        const LineEntry* e = log_.Find(next_);
        if (e == nullptr) {
            continue;
        }
        if (!haveOrigin_) {
            originUs_ = static_cast<std::uint64_t>(e->us);
            haveOrigin_ = true;
        }
        NoteCode(*e);
        if (Passes(*e)) {
            rows_.push_back(next_);
            ++change.added;
        }
    }
    return change;
}

CommLogModel::Change CommLogModel::Rebuild() {
    rows_.clear();
    next_ = log_.FirstSeq();
    const bool paused = paused_;
    paused_ = false;
    Change change = Refresh();
    paused_ = paused;
    change.reset = true;
    return change;
}

CommLogModel::Change CommLogModel::SetCodeFilter(std::string code) {
    code_ = std::move(code);
    return Rebuild();
}

CommLogModel::Change CommLogModel::SetProblemFilter(LineProblem problem) {
    problem_ = problem;
    return Rebuild();
}

const LineEntry* CommLogModel::Entry(std::size_t row) const {
    return row < rows_.size() ? log_.Find(rows_[row]) : nullptr;
}

std::string CommLogModel::Header(int column) const {
    if (column < 0 || column >= kColumnCount) {
        return {};
    }
    return std::string(strings_.Text(ids::IDS_COMMLOG_COL_TIME + column));
}

std::string CommLogModel::Cell(std::size_t row, int column) const {
    const LineEntry* e = Entry(row);
    if (e == nullptr) {
        return {};
    }
    switch (column) {
        case kTime:
            return Format(
                "%.3f", static_cast<double>(e->us - static_cast<std::int64_t>(originUs_)) / 1000.0);
        case kDirection:
            return LineLog::EventName(e->event);
        case kId:
            return e->id >= 0 ? Format("%02X", static_cast<unsigned>(e->id)) : std::string();
        case kCommand: {
            std::string text(e->Code());
            if (e->event == LineEvent::kSent && e->transmission > 1) {
                text += " (" + strings_.Format(ids::IDS_COMMLOG_RESEND, e->transmission) + ")";
            }
            return text;
        }
        case kData:
            switch (e->event) {
                case LineEvent::kTimeout:
                    return std::string(strings_.Text(e->poll ? ids::IDS_COMMLOG_POLL_TIMEOUT
                                                             : ids::IDS_COMMLOG_TIMEOUT));
                case LineEvent::kLost:
                    return std::string(strings_.Text(ids::IDS_COMMLOG_PORT_LOST));
                default:
                    return LineLog::Printable(e->Text()) + (e->Truncated() ? "..." : "");
            }
        case kStatus: {
            std::string text;
            if (e->status != LineStatus::kNone) {
                text = strings_.Text(ids::IDS_COMMLOG_STATUS_FIRST + static_cast<int>(e->status) -
                                     static_cast<int>(LineStatus::kOk));
            }
            if (e->outcome != LineOutcome::kNone) {
                if (!text.empty()) {
                    text += strings_.Text(ids::IDS_COMMLOG_SEPARATOR);
                }
                text +=
                    strings_.Text(ids::IDS_COMMLOG_OUTCOME_FIRST + static_cast<int>(e->outcome) -
                                  static_cast<int>(LineOutcome::kAnswered));
            }
            return text;
        }
        case kLatency:
            return e->latencyUs >= 0 ? Format("%.3f", static_cast<double>(e->latencyUs) / 1000.0)
                                     : std::string();
        default:
            return {};
    }
}

std::string CommLogModel::CopyText(const std::vector<std::size_t>& rows) const {
    std::string text;
    for (std::size_t row : rows) {
        if (const LineEntry* e = Entry(row)) {
            text += LineLog::TextLine(*e, static_cast<std::int64_t>(originUs_)) + "\n";
        }
    }
    return text;
}

std::string CommLogModel::AllText() const {
    std::string text;
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        if (const LineEntry* e = Entry(row)) {
            text += LineLog::TextLine(*e, static_cast<std::int64_t>(originUs_)) + "\n";
        }
    }
    return text;
}

std::string CommLogModel::AllCsv() const {
    std::string text = std::string(LineLog::CsvHeader()) + "\n";
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        if (const LineEntry* e = Entry(row)) {
            text += LineLog::CsvLine(*e, static_cast<std::int64_t>(originUs_)) + "\n";
        }
    }
    return text;
}

bool CommLogModel::Save(FileFormat format, ui::FileChooser& chooser, ui::Prompter& prompter) const {
    ui::FileRequest request;
    const bool csv = format == FileFormat::kCsv;
    request.filter =
        strings_.Text(csv ? ids::IDS_COMMLOG_CSV_FILTER : ids::IDS_COMMLOG_TEXT_FILTER);
    request.defaultExtension = csv ? "csv" : "txt";
    request.title = strings_.Text(csv ? ids::IDS_COMMLOG_SAVE_CSV : ids::IDS_COMMLOG_SAVE_TEXT);
    const auto path = chooser.ChooseSave(request);
    if (!path) {
        return false;
    }
    if (Exists(*path) &&
        !prompter.Confirm(ids::IDS_FILE_REPLACE,
                          WithPath(std::string(strings_.Text(ids::IDS_FILE_REPLACE)), *path))) {
        return false;
    }
    if (!WriteFileReplacing(*path, csv ? AllCsv() : AllText())) {
        prompter.Warn(ids::IDS_COMMLOG_SAVE_FAILED,
                      WithPath(std::string(strings_.Text(ids::IDS_COMMLOG_SAVE_FAILED)), *path));
        return false;
    }
    prompter.Inform(ids::IDS_SAVE_COMPLETE, std::string(strings_.Text(ids::IDS_SAVE_COMPLETE)));
    return true;
}

}  // namespace tavro::commlog
