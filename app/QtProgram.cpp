#include "app/QtProgram.h"

#include <QApplication>
#include <QIcon>
#include <clocale>

#include "link/SettingsDir.h"
#include "link/StringIds.h"
#include "monitor/AlarmBlackBox.h"
#include "report/PdfReport.h"
#include "shell/CApp.h"
#include "shell/CMain.h"
#include "shell/InstanceLock.h"
#include "ui/Language.h"

namespace tavro::app {

namespace {

constexpr const char* kIcon = ":/pictures/100.svg";

QWidget* MessageBoxParent() {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    return QApplication::activeWindow();
}

qt::QtFormOptions FormOptions(Language language) {
    qt::QtFormOptions options;
    options.japanese = language == Language::kJapanese;
    return options;
}

}  // namespace

QtProgram::QtProgram(std::string settingsDir, Language language, std::string alarmFolder)
    : translations_(language),
      ctx_(loop_, std::move(settingsDir)),
      strings_(language),
      forms_(FormOptions(language)),
      prompter_(MessageBoxParent),
      chooser_(MessageBoxParent),
      services_{forms_, prompter_, strings_},
      samples_(loop_, SystemWallClock(), std::move(alarmFolder)) {
    ctx_.lineLog = &lineLog_;
    if (AlarmBlackBox* box = samples_.BlackBox()) {
        // Whether or not the chart is open, a record that cannot be saved is said.
        box->SetOnSaved([this](const std::string& path) {
            if (chart_) {
                chart_->RefreshRecords();
            }
            if (path.empty() && samples_.BlackBox() != nullptr) {
                std::string text(strings_.Text(ids::IDS_CHART_SAVE_FAILED));
                const std::size_t at = text.find("%s");
                if (at != std::string::npos) {
                    text.replace(at, 2, samples_.BlackBox()->Folder());
                }
                prompter_.Warn(ids::IDS_CHART_SAVE_FAILED, text);
            }
        });
    }
    prompter_.SetButtonTexts({std::string(strings_.Text(ids::IDS_BUTTON_OK)),
                              std::string(strings_.Text(ids::IDS_BUTTON_YES)),
                              std::string(strings_.Text(ids::IDS_BUTTON_NO))});
}

QtProgram::~QtProgram() {
    ctx_.lineLog = nullptr;
}

qt::CommLogWindow& QtProgram::OpenCommLog() {
    if (!commLog_) {
        qt::CommLogLink link;
        link.baud = [this] { return ctx_.status.baudRate; };
        link.port = [this]() -> const PortInfo* {
            return ctx_.port.transport && !ctx_.port.opened.path.empty() ? &ctx_.port.opened
                                                                         : nullptr;
        };
        commLog_ = std::make_unique<qt::CommLogWindow>(lineLog_, strings_, chooser_, prompter_,
                                                       std::move(link));
    }
    commLog_->show();
    commLog_->raise();
    commLog_->activateWindow();
    commLog_->Refresh();
    return *commLog_;
}

void QtProgram::Run(const std::function<void(CMain&)>& beforeRun) {
    CMain window(ctx_, services_, chooser_);
    window.SetReportPrinter(&reportPrinter_);
    main_ = &window;
    window.SetCommLogOpener([this] { OpenCommLog(); });
    window.AttachChart(&samples_, [this] { OpenChart(); });
    if (beforeRun) {
        beforeRun(window);
    }
    window.Run();
    window.AttachChart(nullptr, {});
    // A recording still running when the window closes is finished, not left as FILE.part.
    if (samples_.Recorder().Recording()) {
        samples_.Recorder().Stop();
    }
    main_ = nullptr;
    commLog_.reset();
}

qt::ChartWindow& QtProgram::OpenChart() {
    if (!chart_) {
        chart_ = std::make_unique<qt::ChartWindow>(
            samples_, [this](int id) { return std::string(strings_.Text(id)); }, chooser_,
            prompter_);
    }
    chart_->show();
    chart_->raise();
    chart_->activateWindow();
    return *chart_;
}

int ProgramMain(int argc, char** argv) {
    const std::string name = InstanceLock::ProgramName(argc > 0 ? argv[0] : "");
    return CApp::Run(InstanceLock::DefaultPath(name), [&] {
        QApplication application(argc, argv);
        // The toolkit has set the user's locale; numbers on the line and in files keep '.'.
        std::setlocale(LC_NUMERIC, "C");
        QApplication::setWindowIcon(QIcon(QString::fromLatin1(kIcon)));
        // Ties the window to its menu entry (icon and name) on Wayland desktops.
        QGuiApplication::setDesktopFileName(QStringLiteral("tavro-config"));
        QtProgram program(DefaultSettingsDir(), UiLanguage(LocaleEnvironment::FromProcess()),
                          AlarmBlackBox::DefaultFolder());
        program.Run();
    });
}

}  // namespace tavro::app
