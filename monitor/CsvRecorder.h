#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "link/EventLoop.h"
#include "monitor/MonitorSample.h"

namespace tavro {

// Writes monitor samples to a CSV file while they come. The file grows as FILE.part and is
// flushed every second, so that a crash leaves at most a second unwritten and the partial
// file easy to find; Stop renames it to FILE.
class CsvRecorder {
  public:
    static constexpr std::int64_t kFlushMs = 1000;
    static constexpr const char* kPartSuffix = ".part";

    explicit CsvRecorder(EventLoop& loop) : loop_(loop) {}
    virtual ~CsvRecorder();
    CsvRecorder(const CsvRecorder&) = delete;
    CsvRecorder& operator=(const CsvRecorder&) = delete;

    // Opens FILE.part and writes the header; false when it cannot be created.
    bool Start(const std::string& path);
    // The sample and its marks; false once writing has failed (the recording has then ended).
    bool Add(const MonitorSample& sample);
    // A line of its own for an event at the time of `at`.
    bool AddEvent(const MonitorSample& at, const std::string& event);
    // Flushes, closes and renames FILE.part to FILE; false when any of it, or any write
    // before it, failed; FILE.part then stays as it is.
    bool Stop();

    bool Recording() const { return file_ != nullptr; }
    const std::string& Path() const { return path_; }
    std::string PartPath() const { return path_ + kPartSuffix; }
    std::uint64_t SamplesWritten() const { return samples_; }
    bool Failed() const { return failed_; }

  private:
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    bool Write(const std::string& text);
    void Flush();
    void Abandon();

    EventLoop& loop_;
    std::unique_ptr<std::FILE, Closer> file_;
    EventLoop::TimerId flushTimer_ = 0;
    std::string path_;
    std::int64_t startMs_ = 0;
    bool started_ = false;  // the first sample has set the start time
    bool failed_ = false;
    std::uint64_t samples_ = 0;
};

}  // namespace tavro
