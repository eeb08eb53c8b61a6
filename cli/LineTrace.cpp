#include "cli/LineTrace.h"

#include <unistd.h>

#include <cstdio>

#include "commlog/CommLogModel.h"
#include "link/Numbers.h"
#include "link/StringIds.h"

namespace tavro::cli {

LineTrace::LineTrace(const CliOptions& options, std::ostream& err, std::int64_t startMs,
                     Language language)
    : options_(options), err_(err), startMs_(startMs), strings_(language) {
    if (options.trace || options.stats || !options.traceCsv.empty()) {
        log_ = std::make_unique<LineLog>();
        log_->SetListener(
            [this](const LineEntry& entry, std::string_view wire) { OnEntry(entry, wire); });
    }
}

LineTrace::~LineTrace() {
    if (csv_.is_open()) {
        // Finish never ran: the temporary file goes, the old one stays.
        csv_.close();
        std::remove(tmpPath_.c_str());
    }
}

bool LineTrace::OpenCsv() {
    if (options_.traceCsv.empty()) {
        return true;
    }
    tmpPath_ = options_.traceCsv + ".tmp" + std::to_string(::getpid());
    csv_.open(tmpPath_, std::ios::binary | std::ios::trunc);
    if (!csv_) {
        SaveFailed();
        return false;
    }
    csv_ << LineLog::CsvHeader() << '\n';
    return true;
}

void LineTrace::SaveFailed() {
    std::string text(strings_.Text(ids::IDS_COMMLOG_SAVE_FAILED));
    const std::size_t at = text.find("%s");
    if (at != std::string::npos) {
        text.replace(at, 2, options_.traceCsv);
    }
    err_ << ids::IDS_COMMLOG_SAVE_FAILED << ": " << text << '\n';
}

void LineTrace::WriteCsv(const LineEntry& entry) {
    if (originUs_ < 0) {
        originUs_ = entry.us;
    }
    csv_ << LineLog::CsvLine(entry, originUs_) << '\n';
}

void LineTrace::OnEntry(const LineEntry& entry, std::string_view wire) {
    if (csv_.is_open()) {
        if (pending_) {
            if (const LineEntry* before = log_->Find(*pending_)) {
                WriteCsv(*before);
            }
        }
        pending_ = entry.seq;
    }
    if (!options_.trace) {
        return;
    }
    const auto ms = static_cast<long long>(entry.us / 1000 - startMs_);
    switch (entry.event) {
        case LineEvent::kSent:
            err_ << Format("%8lld ms %s ", ms,
                           entry.outcome == LineOutcome::kHeldBack ? "-x" : "->")
                 << LineLog::Printable(wire) << '\n';
            break;
        case LineEvent::kReceived:
            err_ << Format("%8lld ms <- ", ms) << LineLog::Printable(wire) << '\n';
            break;
        case LineEvent::kLost:
            err_ << Format("%8lld ms -- the line is gone (", ms) << entry.Text() << ")\n";
            break;
        case LineEvent::kTimeout:
            return;  // the trace shows what is on the wire
    }
    err_.flush();
}

void LineTrace::Finish(int baud, const PortInfo* port) {
    if (finished_ || !log_) {
        return;
    }
    finished_ = true;
    if (csv_.is_open()) {
        if (pending_) {
            if (const LineEntry* last = log_->Find(*pending_)) {
                WriteCsv(*last);
            }
        }
        csv_.flush();
        const bool written = static_cast<bool>(csv_);
        csv_.close();
        if (!written || std::rename(tmpPath_.c_str(), options_.traceCsv.c_str()) != 0) {
            std::remove(tmpPath_.c_str());
            SaveFailed();
        }
    }
    if (options_.stats) {
        std::string summary = commlog::SummaryText(log_->Summary(baud), strings_, port);
        // One line, as a script reads it; the hints follow after " / ".
        for (std::size_t at = summary.find('\n'); at != std::string::npos;
             at = summary.find('\n', at)) {
            summary.replace(at, 1, " / ");
        }
        err_ << "stats: " << summary << '\n';
    }
}

}  // namespace tavro::cli
