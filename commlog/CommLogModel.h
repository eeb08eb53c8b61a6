#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "link/LineLog.h"
#include "link/PortList.h"
#include "ui/FileChooser.h"
#include "ui/Prompter.h"
#include "ui/StringTable.h"

namespace tavro::commlog {

// The summary line under the log, with the likely cause when the pattern is clear. `port` is
// the open port, for the adapter's latency timer; nullptr when there is none.
std::string SummaryText(const LineSummary& summary, const StringTable& strings,
                        const PortInfo* port);

// What the communication log window shows: the entries of the line log that pass its
// filters, cell by cell, taken in whenever the window refreshes, never from the engine's path.
class CommLogModel {
  public:
    enum Column : int {
        kTime,
        kDirection,
        kId,
        kCommand,
        kData,
        kStatus,
        kLatency,
        kColumnCount,
    };

    CommLogModel(const LineLog& log, const StringTable& strings);
    virtual ~CommLogModel() = default;

    // What the last Refresh changed: rows gone from the front (their entries left the ring)
    // and rows added at the end.
    struct Change {
        std::size_t removed = 0;
        std::size_t added = 0;
        bool reset = false;  // everything changed (a filter, a clear)
    };

    // Takes in what the log holds since the last call; while paused, only drops what left the
    // ring, so that the rows shown stay readable.
    Change Refresh();
    void SetPaused(bool paused) { paused_ = paused; }
    bool Paused() const { return paused_; }
    // "EE", or empty for every command.
    Change SetCodeFilter(std::string code);
    Change SetProblemFilter(LineProblem problem);
    const std::string& CodeFilter() const { return code_; }
    LineProblem ProblemFilter() const { return problem_; }
    // The command codes seen so far, in the order they first came.
    const std::vector<std::string>& Codes() const { return codes_; }

    std::size_t RowCount() const { return rows_.size(); }
    // nullptr once the row's entry has left the ring.
    const LineEntry* Entry(std::size_t row) const;
    std::string Cell(std::size_t row, int column) const;
    std::string Header(int column) const;

    // The rows as text lines, for the clipboard.
    std::string CopyText(const std::vector<std::size_t>& rows) const;
    // Every row shown, as text or CSV.
    std::string AllText() const;
    std::string AllCsv() const;

    // Asks for a file and writes every row shown; false when nothing was written.
    enum class FileFormat { kText, kCsv };
    bool Save(FileFormat format, ui::FileChooser& chooser, ui::Prompter& prompter) const;

  private:
    bool Passes(const LineEntry& e) const;
    Change Rebuild();
    void NoteCode(const LineEntry& e);

    const LineLog& log_;
    const StringTable& strings_;
    std::deque<std::uint64_t> rows_;  // seq of each row
    std::uint64_t next_ = 0;          // the first seq not looked at yet
    std::uint64_t originUs_ = 0;      // time 0 of the table: the first entry's
    bool haveOrigin_ = false;
    bool paused_ = false;
    std::string code_;
    LineProblem problem_ = LineProblem::kAll;
    std::vector<std::string> codes_;
};

}  // namespace tavro::commlog
