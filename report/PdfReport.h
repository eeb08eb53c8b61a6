#pragma once

#include <string>

#include "monitor/RepeatReport.h"

namespace tavro {

// Writes a repeatability report with Qt's PDF writer, one A4 page per target: the controller,
// the step data, the deviations against the cycle with the rated band, their histogram, the
// statistics with the verdict in large type, and a line to sign. Makes a window-less Qt
// application for itself when the program has none.
class PdfReportPrinter : public RepeatReportPrinter {
  public:
    bool Print(const RepeatReport& report, const StringTable& strings, const std::string& path,
               std::string& error) override;
};

}  // namespace tavro
