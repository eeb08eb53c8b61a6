#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/QtTranslations.h"
#include "link/LineLog.h"
#include "link/LinkContext.h"
#include "monitor/MonitorLog.h"
#include "report/PdfReport.h"
#include "ui/DialogSupport.h"
#include "ui/StringTable.h"
#include "ui/qt/ChartWindow.h"
#include "ui/qt/CommLogWindow.h"
#include "ui/qt/QtEventLoop.h"
#include "ui/qt/QtFileChooser.h"
#include "ui/qt/QtFormFactory.h"
#include "ui/qt/QtPrompter.h"

namespace tavro {
class CMain;
}

namespace tavro::app {

// The configuration tool on Qt: Qt's event loop drives the core, the forms are the
// program's form files, message boxes and file dialogs are Qt's, the port is the real
// serial port. A QApplication must exist.
class QtProgram {
  public:
    // Alarm black box records go to `alarmFolder`; none are kept when it is empty.
    QtProgram(std::string settingsDir, Language language, std::string alarmFolder = {});
    ~QtProgram();
    QtProgram(const QtProgram&) = delete;
    QtProgram& operator=(const QtProgram&) = delete;

    // Runs the main window until it ends; `beforeRun` sees it once it exists.
    void Run(const std::function<void(CMain&)>& beforeRun = {});

    LinkContext& Context() { return ctx_; }
    // The main window while Run runs, else nullptr.
    CMain* Main() const { return main_; }
    // Every frame of the line since the program started, up to the log's capacity.
    LineLog& Log() { return lineLog_; }
    // Shows the communication log window, made the first time.
    qt::CommLogWindow& OpenCommLog();
    MonitorLog& Samples() { return samples_; }
    // Opens the chart window, made the first time; it lives as long as the program.
    qt::ChartWindow& OpenChart();
    qt::ChartWindow* Chart() const { return chart_.get(); }

  private:
    QtTranslations translations_;
    qt::QtEventLoop loop_;
    LineLog lineLog_;
    LinkContext ctx_;
    StringTable strings_;
    qt::QtFormFactory forms_;
    qt::QtPrompter prompter_;
    qt::QtFileChooser chooser_;
    PdfReportPrinter reportPrinter_;
    ui::DialogServices services_;
    MonitorLog samples_;
    std::unique_ptr<qt::ChartWindow> chart_;
    CMain* main_ = nullptr;
    std::unique_ptr<qt::CommLogWindow> commLog_;
};

// The process: one copy at a time, the toolkit set up in the user's language, then the main
// window until it ends. Exit status 0.
int ProgramMain(int argc, char** argv);

}  // namespace tavro::app
