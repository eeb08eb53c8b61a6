#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <array>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/QtDriver.h"
#include "app/QtProgram.h"
#include "link/CIniRw.h"
#include "link/StatusBlock.h"
#include "params/CDlgPwd.h"
#include "shell/CMain.h"
#include "ui/Language.h"
#include "ui/qt/QtForm.h"

// tavro-screenshots: runs the program against a controller on a port (tavro-sim), goes
// through the COM selection, the ID search, every tab of the main window and the Detail
// Parameter Setup window with and without its PID section, and draws each into a PNG file. The
// language follows LANG as in the program.
namespace {

using tavro::app::driver::ChooseItemStartingWith;
using tavro::app::driver::ChooseTab;
using tavro::app::driver::Click;
using tavro::app::driver::IsEnabled;
using tavro::app::driver::SaveImage;
using tavro::app::driver::VisibleWindowWith;

constexpr int kTickMs = 100;
constexpr int kGiveUpMs = 120000;
constexpr int kComPortList = 1200;
constexpr int kComSpeedList = 1203;
constexpr int kComNext = 1003;
constexpr int kSearchStart = 3;
constexpr int kSearchConnect = 1150;
constexpr int kTabs = 1000;
// Ticks to let a page settle (monitor values, layout) before it is drawn.
constexpr int kSettleTicks = 5;

// The Detail Parameter Setup window, opened with each access code.
struct DetailVisit {
    const char* code;
    const char* file;
};
constexpr std::array<DetailVisit, 2> kDetailVisits = {{
    {"615", "detail-1-without-pid.png"},
    {"kzw", "detail-2-with-pid.png"},
}};

struct Tab {
    int index;
    const char* file;
};
constexpr std::array<Tab, 4> kTabs4 = {{
    {1, "main-2-basic-parameter-setup.png"},
    {0, "main-1-io-setup.png"},
    {2, "main-3-step-data-setup.png"},
    {3, "main-4-monitor-test.png"},
}};

const char* kUsage =
    "usage: tavro-screenshots --port PATH --out DIR\n"
    "  --port PATH  the controller's port (the path tavro-sim prints)\n"
    "  --out DIR    where the PNG files go (made when missing)\n";

// The steps of the tour, one per tick.
class Tour {
  public:
    Tour(tavro::app::QtProgram& program, QString portName, QString outDir)
        : program_(program), portName_(std::move(portName)), outDir_(std::move(outDir)) {}

    bool Step() {
        switch (stage_) {
            case 0:
                return ComSelection();
            case 1:
                return SearchReady();
            case 2:
                return SearchDone();
            case 3:
                return MainWindowTabs();
            case 4:
                return DetailPassword();
            case 5:
                return DetailShown();
            default:
                return true;
        }
    }

    bool Failed() const { return failed_; }
    int Stage() const { return stage_; }
    const std::vector<QString>& Files() const { return files_; }

  private:
    bool ComSelection() {
        QWidget* dialog = VisibleWindowWith(kComPortList);
        if (dialog == nullptr || !Settled()) {
            return false;
        }
        Save(dialog, "com-selection.png");
        if (!ChooseItemStartingWith(dialog, kComPortList, portName_)) {
            std::fprintf(stderr, "tavro-screenshots: %s is not in the port list\n",
                         qUtf8Printable(portName_));
            failed_ = true;
        }
        ChooseItemStartingWith(dialog, kComSpeedList, QStringLiteral("19200"));
        Click(dialog, kComNext);
        Next();
        return false;
    }

    bool SearchReady() {
        QWidget* dialog = VisibleWindowWith(kSearchConnect);
        if (dialog == nullptr || !Settled()) {
            return false;
        }
        Save(dialog, "id-search.png");
        Click(dialog, kSearchStart);
        Next();
        return false;
    }

    bool SearchDone() {
        QWidget* dialog = VisibleWindowWith(kSearchConnect);
        if (dialog == nullptr || !IsEnabled(dialog, kSearchConnect) || !Settled()) {
            return false;
        }
        Save(dialog, "id-search-found.png");
        Click(dialog, kSearchConnect);
        Next();
        return false;
    }

    bool MainWindowTabs() {
        tavro::CMain* window = program_.Main();
        const tavro::StatusBlock& s = program_.Context().status;
        if (window == nullptr || (s.flags & tavro::kFlagUploadDone) == 0 ||
            s.linkState != tavro::kLinkOnline || window->ProgressVisible()) {
            settle_ = 0;
            return false;
        }
        auto* form = dynamic_cast<tavro::qt::QtForm*>(window->GetForm());
        QWidget* top = form != nullptr ? form->TopWindow() : nullptr;
        if (top == nullptr || !top->isVisible()) {
            return false;
        }
        if (window->ShownPage() != kTabs4[tab_].index) {
            ChooseTab(top, kTabs, kTabs4[tab_].index);
            settle_ = 0;
            return false;
        }
        if (!Settled()) {
            return false;
        }
        Save(top, kTabs4[tab_].file);
        if (++tab_ < kTabs4.size()) {
            return false;
        }
        OpenDetail();
        return false;
    }

    // The password box runs modally, so the menu command is started from its own timer.
    void OpenDetail() {
        tavro::CMain* window = program_.Main();
        QTimer::singleShot(0, [window] { window->OnSystemCommand(tavro::CMain::kMenuPassword); });
        stage_ = 4;
        settle_ = 0;
    }

    bool DetailPassword() {
        QWidget* dialog = VisibleWindowWith(tavro::CDlgPwd::IDC_PASSWORD);
        if (dialog == nullptr || !Settled()) {
            return false;
        }
        auto* edit = qobject_cast<QLineEdit*>(
            tavro::app::driver::FindControl(dialog, tavro::CDlgPwd::IDC_PASSWORD));
        if (edit == nullptr) {
            failed_ = true;
            return true;
        }
        edit->setText(QString::fromLatin1(kDetailVisits[visit_].code));
        Click(dialog, tavro::CDlgPwd::IDC_OK);
        Next();
        return false;
    }

    bool DetailShown() {
        tavro::CMain* window = program_.Main();
        const tavro::StatusBlock& s = program_.Context().status;
        auto* form = dynamic_cast<tavro::qt::QtForm*>(window->Detail().GetForm());
        QWidget* detail = form != nullptr ? form->TopWindow() : nullptr;
        if (detail == nullptr || !detail->isVisible() || s.linkState != tavro::kLinkOnline ||
            window->ProgressVisible()) {
            settle_ = 0;
            return false;
        }
        if (!Settled()) {
            return false;
        }
        Save(detail, kDetailVisits[visit_].file);
        window->Detail().RequestClose();
        if (++visit_ < kDetailVisits.size()) {
            OpenDetail();
            return false;
        }
        Next();
        auto* main = dynamic_cast<tavro::qt::QtForm*>(window->GetForm());
        if (QWidget* top = main != nullptr ? main->TopWindow() : nullptr) {
            top->close();  // the closing sequence ends the program
        }
        return true;
    }

    bool Settled() { return ++settle_ > kSettleTicks; }

    void Next() {
        ++stage_;
        settle_ = 0;
    }

    void Save(QWidget* window, const char* name) {
        const QString path = outDir_ + QLatin1Char('/') + QLatin1String(name);
        if (SaveImage(window, path)) {
            files_.push_back(path);
        } else {
            std::fprintf(stderr, "tavro-screenshots: cannot write %s\n", qUtf8Printable(path));
            failed_ = true;
        }
    }

    tavro::app::QtProgram& program_;
    QString portName_;
    QString outDir_;
    int stage_ = 0;
    int settle_ = 0;
    std::size_t tab_ = 0;
    std::size_t visit_ = 0;
    bool failed_ = false;
    std::vector<QString> files_;
};

}  // namespace

int main(int argc, char** argv) {
    std::string port;
    std::string out;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--port" || arg == "--out") && i + 1 < argc) {
            (arg == "--port" ? port : out) = argv[++i];
        } else {
            std::fputs(kUsage, arg == "--help" ? stdout : stderr);
            return arg == "--help" ? 0 : 2;
        }
    }
    if (port.empty() || out.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/100.svg")));
    const QString outDir = QString::fromStdString(out);
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "tavro-screenshots: cannot create %s\n", out.c_str());
        return 1;
    }
    QTemporaryDir settings;
    if (!settings.isValid()) {
        std::fputs("tavro-screenshots: cannot make a settings folder\n", stderr);
        return 1;
    }
    // The COM selection shows, the search waits for its button, IDs 1 to 3 are searched.
    tavro::CIniRw ini(settings.path().toStdString());
    ini.SetComAndSpeed(1, 19200, port);
    ini.SetAuto(0);
    ini.SetSlvAuto(0);
    ini.SetSlvRange(1 * 256 + 3);

    const tavro::Language language = tavro::UiLanguage(tavro::LocaleEnvironment::FromProcess());
    tavro::app::QtProgram program(settings.path().toStdString(), language);
    QString portName = QString::fromStdString(port);
    if (portName.startsWith(QLatin1String("/dev/"))) {
        portName = portName.mid(5);
    }
    Tour tour(program, portName, outDir);
    tavro::app::driver::Ticker ticker(kTickMs, [&tour] { return tour.Step(); });
    QTimer::singleShot(kGiveUpMs, [&tour] {
        std::fprintf(stderr, "tavro-screenshots: the tour did not finish in time (stage %d)\n",
                     tour.Stage());
        std::_Exit(1);
    });
    program.Run();
    for (const QString& file : tour.Files()) {
        std::printf("%s\n", qUtf8Printable(file));
    }
    return tour.Failed() || tour.Files().size() != 3 + kTabs4.size() + kDetailVisits.size() ? 1 : 0;
}
