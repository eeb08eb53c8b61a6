#pragma once

#include <cstdint>
#include <fstream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "cli/CliOptions.h"
#include "link/LineLog.h"
#include "link/PortList.h"
#include "ui/StringTable.h"

namespace tavro::cli {

// The line log of one session and its readers on the command line: --trace prints each frame
// as it goes, --trace-csv writes the log's CSV (to a temporary file, renamed at the end) and
// --stats prints the summary line at the end.
class LineTrace {
  public:
    LineTrace(const CliOptions& options, std::ostream& err, std::int64_t startMs,
              Language language);
    ~LineTrace();
    LineTrace(const LineTrace&) = delete;
    LineTrace& operator=(const LineTrace&) = delete;

    // nullptr when no option reads the log.
    LineLog* Log() { return log_ ? log_.get() : nullptr; }
    // Creates the CSV's temporary file; false, with message 2127, when it cannot.
    bool OpenCsv();
    // The stats line and the CSV put in place; once.
    void Finish(int baud, const PortInfo* port);

  private:
    void OnEntry(const LineEntry& entry, std::string_view wire);
    void WriteCsv(const LineEntry& entry);
    void SaveFailed();

    const CliOptions& options_;
    std::ostream& err_;
    std::int64_t startMs_;
    StringTable strings_;
    std::unique_ptr<LineLog> log_;
    std::string tmpPath_;
    std::ofstream csv_;
    // An entry is written to the CSV once the next one comes: the engine settles what became
    // of a received frame right after it is appended.
    std::optional<std::uint64_t> pending_;
    std::int64_t originUs_ = -1;
    bool finished_ = false;
};

}  // namespace tavro::cli
