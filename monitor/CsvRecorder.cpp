#include "monitor/CsvRecorder.h"

#include <cstdio>

#include "monitor/SampleCsv.h"

namespace tavro {

CsvRecorder::~CsvRecorder() {
    // A recording still open keeps its .part name: it was not ended by the user.
    if (file_) {
        Flush();
    }
    loop_.StopTimer(flushTimer_);
}

bool CsvRecorder::Start(const std::string& path) {
    if (file_) {
        Stop();
    }
    path_ = path;
    failed_ = false;
    started_ = false;
    samples_ = 0;
    file_.reset(std::fopen(PartPath().c_str(), "w"));
    if (!file_) {
        failed_ = true;
        return false;
    }
    if (!Write(SampleCsv::Header())) {
        return false;
    }
    Flush();
    flushTimer_ = loop_.StartTimer(kFlushMs, true, [this] { Flush(); });
    return !failed_;
}

bool CsvRecorder::Add(const MonitorSample& sample) {
    if (!file_) {
        return false;
    }
    if (!started_) {
        started_ = true;
        startMs_ = sample.timeMs;
    }
    ++samples_;
    return Write(SampleCsv::Lines(sample, startMs_));
}

bool CsvRecorder::AddEvent(const MonitorSample& at, const std::string& event) {
    if (!file_) {
        return false;
    }
    if (!started_) {
        started_ = true;
        startMs_ = at.timeMs;
    }
    return Write(SampleCsv::EventLine(at, startMs_, event));
}

bool CsvRecorder::Write(const std::string& text) {
    if (std::fwrite(text.data(), 1, text.size(), file_.get()) != text.size()) {
        Abandon();
        return false;
    }
    return true;
}

void CsvRecorder::Flush() {
    if (file_ && std::fflush(file_.get()) != 0) {
        Abandon();
    }
}

void CsvRecorder::Abandon() {
    failed_ = true;
    loop_.StopTimer(flushTimer_);
    flushTimer_ = 0;
    file_.reset();
}

bool CsvRecorder::Stop() {
    loop_.StopTimer(flushTimer_);
    flushTimer_ = 0;
    if (!file_) {
        return false;
    }
    const bool flushed = std::fflush(file_.get()) == 0;
    const bool closed = std::fclose(file_.release()) == 0;
    if (!flushed || !closed || failed_) {
        failed_ = true;
        return false;
    }
    if (std::rename(PartPath().c_str(), path_.c_str()) != 0) {
        failed_ = true;
        return false;
    }
    return true;
}

}  // namespace tavro
