#include <signal.h>
#include <sys/types.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QIcon>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <array>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/QtDriver.h"
#include "app/QtProgram.h"
#include "dialogs/common/CDlgVer.h"
#include "dialogs/connect/CDlgCom.h"
#include "dialogs/connect/CDlgComSetup.h"
#include "dialogs/connect/CDlgSid.h"
#include "link/CIniRw.h"
#include "link/CTrxData.h"
#include "link/OperationParams.h"
#include "link/Operations.h"
#include "link/StatusBlock.h"
#include "monitor/AlarmBlackBox.h"
#include "monitor/CDlgRepeat.h"
#include "monitor/CPageDrv.h"
#include "params/CDlgPwd.h"
#include "params/CPageBsc.h"
#include "params/CPageIo.h"
#include "shell/CMain.h"
#include "stepdata/CDlgCmp.h"
#include "stepdata/CDlgRef.h"
#include "stepdata/CPageStp.h"
#include "stepdata/StepFile.h"
#include "ui/Language.h"
#include "ui/qt/ChartWindow.h"
#include "ui/qt/QtForm.h"

// tavro-screenshots: runs the program against a controller on a port (tavro-sim), goes
// through the COM selection, the ID search, every tab of the main window, the Detail
// Parameter Setup window with and without its PID section, the other windows and dialogs and
// the question on closing, and draws each into a PNG file. The language follows LANG as in
// the program.
namespace {

using tavro::app::driver::ChooseItemStartingWith;
using tavro::app::driver::ChooseTab;
using tavro::app::driver::Click;
using tavro::app::driver::FindControl;
using tavro::app::driver::IsEnabled;
using tavro::app::driver::SaveImage;
using tavro::app::driver::VisibleWindowWith;

constexpr int kTickMs = 100;
constexpr int kGiveUpMs = 240000;
// Jogs away from the origin and back at speed 10.
constexpr int kJogAway = tavro::PackMotion({17, true, true, 10});
constexpr int kJogBack = tavro::PackMotion({16, true, true, 10});

// What the file to compare changes in what the controller holds: steps 1 to 3.
struct CompareChange {
    int group;
    int parameter;
    float value;
};
constexpr CompareChange kCompareChanges[] = {
    {3, 0, 5000.0F},
    {4, 6, 2.5F},
    {5, 7, 100.0F},
};
constexpr const char* kCommSetupCode = "vbq";
// The tour's stage that enters the Detail window's password; each visit starts there.
constexpr int kStageDetailPassword = 5;
// The repeatability run and its report, after the return to origin (step-data type only).
constexpr int kStageRepeat = 100;
// The Monitor/Test tab after a return to origin, and the chart after the repeatability run.
constexpr int kStageServoOnAtTheOrigin = 4;
// The communication log is shown after the tabs, before any field holds an unsaved change
// that the upload it watches would overwrite.
constexpr int kStageCommLog = 4;
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
    "usage: tavro-screenshots --port PATH --out DIR --sim-pid PID [--sim-control FIFO]\n"
    "  --port PATH    the controller's port (the path tavro-sim prints)\n"
    "  --out DIR      where the PNG files go (made when missing)\n"
    "  --sim-pid PID  tavro-sim's process, killed to show the loss of the port\n"
    "  --sim-control FIFO  what tavro-sim --control reads: an alarm for the black box\n";

// A USB adapter and an on-board UART as sysfs would describe them, beside the simulator.
constexpr const char* kFakeAdapter = "ttyUSB0";

bool WriteText(const QString& path, const char* text) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text) >= 0;
}

bool MakeFakeSysfs(const QString& root) {
    const QString usb = root + QStringLiteral("/sys/devices/pci0000:00/usb1/1-2");
    const QString port = usb + QStringLiteral("/1-2:1.0/ttyUSB0");
    const QString tty = root + QStringLiteral("/sys/class/tty");
    const QString uart = root + QStringLiteral("/sys/devices/platform/serial8250");
    QDir dir;
    bool ok = dir.mkpath(port) && dir.mkpath(tty + QStringLiteral("/ttyUSB0")) &&
              dir.mkpath(tty + QStringLiteral("/ttyS0")) && dir.mkpath(uart) &&
              dir.mkpath(root + QStringLiteral("/dev/serial/by-id"));
    ok = ok && WriteText(usb + QStringLiteral("/idVendor"), "0403\n") &&
         WriteText(usb + QStringLiteral("/idProduct"), "6001\n") &&
         WriteText(usb + QStringLiteral("/manufacturer"), "FTDI\n") &&
         WriteText(usb + QStringLiteral("/product"), "FT232R USB UART\n") &&
         WriteText(usb + QStringLiteral("/serial"), "A50285BI\n") &&
         WriteText(port + QStringLiteral("/latency_timer"), "16\n") &&
         WriteText(tty + QStringLiteral("/ttyS0/type"), "4\n") &&
         WriteText(root + QStringLiteral("/dev/ttyUSB0"), "") &&
         WriteText(root + QStringLiteral("/dev/ttyS0"), "");
    ok = ok && QFile::link(port, tty + QStringLiteral("/ttyUSB0/device")) &&
         QFile::link(uart, tty + QStringLiteral("/ttyS0/device")) &&
         QFile::link(QStringLiteral("../../ttyUSB0"),
                     root + QStringLiteral(
                                "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"));
    return ok;
}

// The steps of the tour, one per tick.
class Tour {
  public:
    Tour(tavro::app::QtProgram& program, QString portName, QString outDir, pid_t simPid,
         QString simControl, QString alarmFolder)
        : program_(program),
          portName_(std::move(portName)),
          outDir_(std::move(outDir)),
          simPid_(simPid),
          simControl_(std::move(simControl)),
          alarmFolder_(std::move(alarmFolder)) {}

    bool Step() {
        if (stage_ == kStageCommLog && commLogStage_ <= kCommLogDone) {
            return CommLogStep();
        }
        switch (stage_) {
            case 0:
                return ComSelection();
            case 1:
                return SearchReady();
            case 2:
                return SearchDone();
            case 3:
                return MainWindowTabs();
            case kStageServoOnAtTheOrigin:
                return ServoOnAtTheOrigin();
            case kStageDetailPassword:
                return DetailPassword();
            case kStageDetailPassword + 1:
                return DetailShown();
            case kStageDetailPassword + 2:
                return BasicPageInError();
            case kStageDetailPassword + 3:
                return IoPageLeaveField();
            case kStageDetailPassword + 4:
                return SaveAndCloseMessage("io-ovt-out-of-range-message.png");
            case kStageDetailPassword + 5:
                return IoPageInError();
            case kStageDetailPassword + 6:
                return OpenCommSetup();
            case kStageDetailPassword + 7:
                return EnterCommSetupCode();
            case kStageDetailPassword + 8:
                return CommSetupLeaveDelay();
            case kStageDetailPassword + 9:
                return SaveAndCloseMessage("comm-setup-delay-out-of-range-message.png");
            case kStageDetailPassword + 10:
                return CommSetupInError();
            case kStageDetailPassword + 11:
                return OpenAbout();
            case kStageDetailPassword + 12:
                return AboutShown();
            case kStageDetailPassword + 13:
                return OpenBrowser();
            case kStageDetailPassword + 14:
                return BrowserShown();
            case kStageDetailPassword + 15:
                return OpenFileSave();
            case kStageDetailPassword + 16:
                return FileDialogShown();
            case kStageDetailPassword + 17:
                return UploadSteps();
            case kStageDetailPassword + 18:
                return OpenCompare();
            case kStageDetailPassword + 19:
                return ChooseCompareFile();
            case kStageDetailPassword + 20:
                return CompareShown();
            case kStageDetailPassword + 21:
                return CloseMainWindow();
            case kStageDetailPassword + 22:
                return StayOnClosingQuestion();
            case kStageDetailPassword + 23:
                return PullTheCable();
            case kStageDetailPassword + 24:
                return SaveAndCloseMessage("port-disconnected-message.png");
            case kStageDetailPassword + 25:
                return CloseMainWindow();
            case kStageDetailPassword + 26:
                return DiscardChangesOnClosing();
            case kStageRepeat:
                return OpenRepeat();
            case kStageRepeat + 1:
                return StartRepeat();
            case kStageRepeat + 2:
                return RepeatDone();
            case kStageRepeat + 3:
                return ChooseReportFile();
            case kStageRepeat + 4:
                return SaveAndCloseMessage("repeatability-saved-message.png");
            case kStageRepeat + 5:
                return ReportFirstPage();
            default:
                return true;
        }
    }

    bool Failed() const { return failed_; }
    int Stage() const { return stage_; }
    const std::vector<QString>& Files() const { return files_; }

  private:
    bool ComSelection() {
        QWidget* dialog = VisibleWindowWith(tavro::CDlgCom::IDC_PORT);
        if (dialog == nullptr || !Settled()) {
            return false;
        }
        Save(dialog, "com-selection.png");
        // The described USB adapter of the fake sysfs tree, with its latency note.
        if (!ChooseItemStartingWith(dialog, tavro::CDlgCom::IDC_PORT,
                                    QString::fromLatin1(kFakeAdapter))) {
            std::fprintf(stderr, "tavro-screenshots: %s is not in the port list\n", kFakeAdapter);
            failed_ = true;
        }
        QApplication::processEvents();
        Save(dialog, "com-selection-usb-adapter.png");
        if (!ChooseItemStartingWith(dialog, tavro::CDlgCom::IDC_PORT, portName_)) {
            std::fprintf(stderr, "tavro-screenshots: %s is not in the port list\n",
                         qUtf8Printable(portName_));
            failed_ = true;
        }
        ChooseItemStartingWith(dialog, tavro::CDlgCom::IDC_SPEED, QStringLiteral("19200"));
        Click(dialog, tavro::CDlgCom::IDC_NEXT);
        Next();
        return false;
    }

    bool SearchReady() {
        QWidget* dialog = VisibleWindowWith(tavro::CDlgSid::IDC_CONNECT);
        if (dialog == nullptr || !Settled()) {
            return false;
        }
        Save(dialog, "id-search.png");
        // The found list then shows the quick search box checked.
        Click(dialog, tavro::CDlgSid::IDC_QUICK_SEARCH);
        Click(dialog, tavro::CDlgSid::IDC_START);
        Next();
        return false;
    }

    bool SearchDone() {
        QWidget* dialog = VisibleWindowWith(tavro::CDlgSid::IDC_CONNECT);
        if (dialog == nullptr || !IsEnabled(dialog, tavro::CDlgSid::IDC_CONNECT) || !Settled()) {
            return false;
        }
        Save(dialog, "id-search-found.png");
        Click(dialog, tavro::CDlgSid::IDC_CONNECT);
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
            ChooseTab(top, tavro::CMain::IDC_TABS, kTabs4[tab_].index);
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
        Next();
        return false;
    }

    // The password box runs modally, so the menu command is started from its own timer.
    void OpenDetail() {
        tavro::CMain* window = program_.Main();
        QTimer::singleShot(0, [window] { window->OnSystemCommand(tavro::CMain::kMenuPassword); });
        stage_ = kStageDetailPassword;
        settle_ = 0;
    }

    bool DetailPassword() {
        QWidget* dialog = VisibleWindowWith(tavro::CDlgPwd::IDC_PASSWORD);
        if (dialog == nullptr || !Settled()) {
            return false;
        }
        if (visit_ == 0) {
            Save(dialog, "password.png");
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
        return false;
    }

    // The Monitor/Test tab once more, with the servo on after a return to origin.
    bool ServoOnAtTheOrigin() {
        tavro::CMain* window = program_.Main();
        const tavro::StatusBlock& s = program_.Context().status;
        auto* form =
            window != nullptr ? dynamic_cast<tavro::qt::QtForm*>(window->GetForm()) : nullptr;
        QWidget* top = form != nullptr ? form->TopWindow() : nullptr;
        if (top == nullptr || s.linkState != tavro::kLinkOnline) {
            settle_ = 0;
            return false;
        }
        switch (motion_) {
            case 0:
                if (Click(top, tavro::CPageDrv::IDC_SERVO)) {
                    ++motion_;
                }
                return false;
            case 1:
                if (window->DrivePage() != nullptr && window->DrivePage()->ServoDisplay() == 1 &&
                    Settled() && Click(top, tavro::CPageDrv::IDC_ORIGIN)) {
                    ++motion_;
                    settle_ = 0;
                }
                return false;
            case 2:
                if ((s.flags & tavro::kFlagOriginDone) == 0 || !Settled()) {
                    return false;
                }
                Save(top, "main-5-monitor-test-origin.png");
                if (program_.Context().status.controlType == 2) {
                    StartChartMove();  // the pulse type runs no steps
                } else {
                    stage_ = kStageRepeat;  // which comes back here for the chart
                    settle_ = 0;
                }
                return false;
            default:
                return ChartShots();
        }
    }

    // The chart of a jog away from the origin and back, then the black box of an alarm that
    // the simulator raises.
    void StartChartMove() {
        program_.OpenChart().SetSpan(0);
        tavro::CTrxData(program_.Context()).Run(tavro::OP_JOG, kJogAway, 0);
        ++motion_;
        settle_ = 0;
    }

    bool ChartShots() {
        tavro::qt::ChartWindow* chart = program_.Chart();
        const tavro::StatusBlock& s = program_.Context().status;
        if (chart == nullptr) {
            return Fail("the chart window is missing");
        }
        switch (motion_) {
            case 3:  // jog away for 1.5 s, then back for 1 s
            case 5:
                if (++settle_ < 15 - (motion_ - 3) * 2 || s.linkState != tavro::kLinkOnline) {
                    return false;
                }
                tavro::CTrxData(program_.Context()).Run(tavro::OP_STOP, 0, 0);
                ++motion_;
                settle_ = 0;
                return false;
            case 4:
                if (++settle_ < 8 || s.linkState != tavro::kLinkOnline) {
                    return false;
                }
                tavro::CTrxData(program_.Context()).Run(tavro::OP_JOG, kJogBack, 0);
                ++motion_;
                settle_ = 0;
                return false;
            case 6:
                if (++settle_ < 20) {
                    return false;
                }
                Save(chart, "chart-1-move.png");
                if (simControl_.isEmpty()) {
                    chart->hide();
                    OpenDetail();
                    return false;
                }
                if (!SimCommand("alarm 5\n")) {
                    return Fail("cannot reach the simulator's control input");
                }
                ++motion_;
                settle_ = 0;
                return false;
            case 7: {
                const auto names = tavro::AlarmBlackBox::List(alarmFolder_.toStdString());
                if (names.empty()) {
                    return false;
                }
                chart->RefreshRecords();
                if (!chart->OpenRecord(alarmFolder_.toStdString() + "/" + names.front())) {
                    return Fail("the black box record does not open");
                }
                ++motion_;
                settle_ = 0;
                return false;
            }
            default:
                if (!Settled()) {
                    return false;
                }
                Save(chart, "chart-2-black-box.png");
                SimCommand("clear\n");
                chart->ShowLive();
                chart->hide();
                OpenDetail();
                return false;
        }
    }

    bool SimCommand(const char* line) const {
        // A FIFO cannot seek, so QFile's append mode would complain; a stream does not.
        std::ofstream control(simControl_.toStdString(), std::ios::app);
        control << line;
        control.flush();
        return static_cast<bool>(control);
    }

    // The repeatability window is modal: it is opened from its own timer.
    bool OpenRepeat() {
        QWidget* top = MainTop();
        if (top == nullptr || !Settled()) {
            return false;
        }
        QTimer::singleShot(0, top, [top] { Click(top, tavro::CPageDrv::IDC_REPEATABILITY); });
        Next();
        return false;
    }

    bool StartRepeat() {
        QWidget* dialog = VisibleWindowWith(tavro::CDlgRepeat::IDC_START);
        if (dialog == nullptr || !Settled()) {
            return false;
        }
        auto* cycles = qobject_cast<QLineEdit*>(FindControl(dialog, tavro::CDlgRepeat::IDC_CYCLES));
        if (cycles == nullptr) {
            return Fail("the repeatability window has no cycle count");
        }
        cycles->setText(QStringLiteral("8"));
        Click(dialog, tavro::CDlgRepeat::IDC_START);
        Next();
        return false;
    }

    bool RepeatDone() {
        QWidget* dialog = VisibleWindowWith(tavro::CDlgRepeat::IDC_START);
        if (dialog == nullptr || !IsEnabled(dialog, tavro::CDlgRepeat::IDC_SAVE) || !Settled()) {
            return false;
        }
        Save(dialog, "repeatability-run.png");
        QTimer::singleShot(0, dialog, [dialog] { Click(dialog, tavro::CDlgRepeat::IDC_SAVE); });
        Next();
        return false;
    }

    bool ChooseReportFile() {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !Settled()) {
            return false;
        }
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (name == nullptr || !compareDir_.isValid()) {
            return Fail("the file dialog has no name field");
        }
        reportFile_ = compareDir_.filePath(QStringLiteral("repeatability.pdf"));
        name->setText(reportFile_);
        QTimer::singleShot(0, dialog, [dialog] { static_cast<QDialog*>(dialog)->accept(); });
        Next();
        return false;
    }

    // The report's first page as poppler draws it, then the window is closed.
    bool ReportFirstPage() {
        QWidget* dialog = VisibleWindowWith(tavro::CDlgRepeat::IDC_START);
        if (dialog == nullptr || MessageUp() || !Settled()) {
            return false;
        }
        const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
        if (pdftoppm.isEmpty()) {
            return Fail("pdftoppm (poppler-utils) is not installed");
        }
        const QString stem = outDir_ + QStringLiteral("/repeatability-report");
        QProcess render;
        render.start(pdftoppm, {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("80"),
                                QStringLiteral("-singlefile"), reportFile_, stem});
        if (!render.waitForFinished(30000) || render.exitCode() != 0) {
            return Fail("pdftoppm could not draw the report");
        }
        files_.push_back(stem + QStringLiteral(".png"));
        QTimer::singleShot(0, dialog, [dialog] { Click(dialog, tavro::CDlgRepeat::IDC_CLOSE); });
        stage_ = kStageServoOnAtTheOrigin;
        StartChartMove();
        return false;
    }

    QWidget* MainTop() const {
        tavro::CMain* window = program_.Main();
        auto* form =
            window != nullptr ? dynamic_cast<tavro::qt::QtForm*>(window->GetForm()) : nullptr;
        return form != nullptr ? form->TopWindow() : nullptr;
    }

    // The product number set back to "Select": both combos in their warning colours.
    bool BasicPageInError() {
        tavro::CMain* window = program_.Main();
        QWidget* top = MainTop();
        if (window == nullptr || top == nullptr || window->BasicPage() == nullptr) {
            return Fail("the Basic page is missing");
        }
        if (window->ShownPage() != tavro::kPageBasic) {
            ChooseTab(top, tavro::CMain::IDC_TABS, tavro::kPageBasic);
            settle_ = 0;
            return false;
        }
        if (settle_ == 0) {
            tavro::CPageBsc& page = *window->BasicPage();
            page.GetForm().SetCurrentItem(tavro::CPageBsc::IDC_SERIES, 0);
            page.OnSelectionChanged(tavro::CPageBsc::IDC_SERIES);
        }
        if (!Settled()) {
            return false;
        }
        Save(top, "basic-product-not-selected.png");
        Next();
        return false;
    }

    // OVT typed as 80 and left: the message comes up in a nested loop of its own.
    bool IoPageLeaveField() {
        tavro::CMain* window = program_.Main();
        QWidget* top = MainTop();
        if (window == nullptr || top == nullptr || window->IoPage() == nullptr) {
            return Fail("the I/O page is missing");
        }
        if (window->ShownPage() != tavro::kPageIo) {
            ChooseTab(top, tavro::CMain::IDC_TABS, tavro::kPageIo);
            settle_ = 0;
            return false;
        }
        if (program_.Context().status.linkState != tavro::kLinkOnline || !Settled()) {
            return false;
        }
        tavro::CPageIo* page = window->IoPage();
        page->GetForm().SetText(tavro::CPageIo::IDC_OVT, "80");
        QTimer::singleShot(0, [page] { page->OnFocusOut(tavro::CPageIo::IDC_OVT); });
        Next();
        return false;
    }

    // The main window runs modal too; only a message box counts.
    static bool MessageUp() {
        return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr;
    }

    bool SaveAndCloseMessage(const char* file) {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !Settled()) {
            return false;
        }
        Save(box, file);
        if (QAbstractButton* ok = box->defaultButton()) {
            ok->click();
        } else {
            box->accept();
        }
        Next();
        return false;
    }

    bool IoPageInError() {
        QWidget* top = MainTop();
        if (top == nullptr || MessageUp() || !Settled()) {
            return false;
        }
        Save(top, "io-setup-ovt-error.png");
        Next();
        return false;
    }

    bool OpenCommSetup() {
        tavro::CMain* window = program_.Main();
        if (window == nullptr) {
            return Fail("the main window is gone");
        }
        QTimer::singleShot(0, [window] { window->OnSystemCommand(tavro::CMain::kMenuCommSetup); });
        Next();
        return false;
    }

    bool EnterCommSetupCode() {
        QWidget* dialog = VisibleWindowWith(tavro::CDlgPwd::IDC_PASSWORD);
        if (dialog == nullptr || !Settled()) {
            return false;
        }
        if (auto* edit =
                qobject_cast<QLineEdit*>(FindControl(dialog, tavro::CDlgPwd::IDC_PASSWORD))) {
            edit->setText(QLatin1String(kCommSetupCode));
        }
        Click(dialog, tavro::CDlgPwd::IDC_OK);
        Next();
        return false;
    }

    // The window as it opens, then the change allowed and a delay of 0.04 ms left.
    bool CommSetupLeaveDelay() {
        tavro::CMain* window = program_.Main();
        QWidget* dialog = VisibleWindowWith(tavro::CDlgComSetup::IDC_CHANGE);
        if (window == nullptr || dialog == nullptr || !Settled()) {
            return false;
        }
        Save(dialog, "comm-setup.png");
        Click(dialog, tavro::CDlgComSetup::IDC_CHANGE);
        tavro::CDlgComSetup* presenter = window->CommSetup().Presenter();
        if (presenter == nullptr) {
            return Fail("the ID/communication window has no presenter");
        }
        window->CommSetup().GetForm()->SetText(tavro::CDlgComSetup::IDC_DELAY, "0.04");
        QTimer::singleShot(0,
                           [presenter] { presenter->OnFocusOut(tavro::CDlgComSetup::IDC_DELAY); });
        Next();
        return false;
    }

    bool CommSetupInError() {
        tavro::CMain* window = program_.Main();
        QWidget* dialog = VisibleWindowWith(tavro::CDlgComSetup::IDC_CHANGE);
        if (window == nullptr || dialog == nullptr || MessageUp() || !Settled()) {
            return false;
        }
        Save(dialog, "comm-setup-delay-error.png");
        window->CommSetup().RequestClose();
        Next();
        return false;
    }

    // About runs modally: opened from a timer of its own, as the password box.
    bool OpenAbout() {
        tavro::CMain* window = program_.Main();
        if (window == nullptr || MessageUp() || !Settled()) {
            return false;
        }
        QTimer::singleShot(0, [window] { window->OnSystemCommand(tavro::CMain::kMenuAbout); });
        Next();
        return false;
    }

    // With the controller's version asked for by "Details".
    bool AboutShown() {
        QWidget* dialog = VisibleWindowWith(tavro::ui::CDlgVer::IDC_INITIALIZE);
        if (dialog == nullptr || !Settled()) {
            return false;
        }
        if (!aboutDetails_) {
            aboutDetails_ = Click(dialog, tavro::ui::CDlgVer::IDC_DETAILS);
            settle_ = 0;
            return false;
        }
        Save(dialog, "about.png");
        Click(dialog, tavro::ui::CDlgVer::IDC_OK);
        Next();
        return false;
    }

    // The step browser from the Monitor/Test tab's single step.
    bool OpenBrowser() {
        QWidget* top = MainTop();
        tavro::CMain* window = program_.Main();
        if (top == nullptr || window == nullptr ||
            VisibleWindowWith(tavro::ui::CDlgVer::IDC_INITIALIZE) != nullptr) {
            return false;
        }
        if (window->ShownPage() != tavro::kPageDrive) {
            ChooseTab(top, tavro::CMain::IDC_TABS, tavro::kPageDrive);
            settle_ = 0;
            return false;
        }
        if (!Settled()) {
            return false;
        }
        // The next-step browser shows the pseudo steps too. The pulse type runs no steps from
        // here and has no browser.
        if (!Click(top, tavro::CPageDrv::IDC_ROW_BROWSE) &&
            !Click(top, tavro::CPageDrv::IDC_STEP_BROWSE)) {
            Next();
        }
        Next();
        return false;
    }

    // The browser's window, not the main window, which has a control of the same ID.
    QWidget* Browser() const {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            QWidget* list =
                window->isVisible() ? FindControl(window, tavro::IDC_BROWSE_LIST) : nullptr;
            if (list != nullptr && list->window() != MainTop() && list->window()->isVisible()) {
                return list->window();
            }
        }
        return nullptr;
    }

    bool BrowserShown() {
        QWidget* browser = Browser();
        if (browser == nullptr || !Settled()) {
            return false;
        }
        Save(browser, "step-browser.png");
        QTimer::singleShot(0, browser, [browser] { browser->close(); });
        Next();
        return false;
    }

    // Qt's own file dialog, in the language of its translation.
    bool OpenFileSave() {
        QWidget* top = MainTop();
        tavro::CMain* window = program_.Main();
        if (top == nullptr || window == nullptr || Browser() != nullptr) {
            return false;
        }
        if (window->ShownPage() != tavro::kPageStep) {
            ChooseTab(top, tavro::CMain::IDC_TABS, tavro::kPageStep);
            settle_ = 0;
            return false;
        }
        if (!Settled()) {
            return false;
        }
        // The dialog runs in a nested loop, which must not start inside this step.
        QTimer::singleShot(0, top, [top] { Click(top, tavro::IDC_SAVE); });
        Next();
        return false;
    }

    bool FileDialogShown() {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !Settled()) {
            return false;
        }
        Save(dialog, "step-file-save-dialog.png");
        dialog->reject();
        Next();
        return false;
    }

    // The compare window against a file with a few changes from what the controller holds,
    // whose step data the Step tab reads first.
    bool UploadSteps() {
        QWidget* top = MainTop();
        tavro::CMain* window = program_.Main();
        if (top == nullptr || window == nullptr || QApplication::activeModalWidget() != top ||
            !Settled()) {
            return false;
        }
        QTimer::singleShot(0, top, [top] { Click(top, tavro::IDC_UPLOAD); });
        Next();
        return false;
    }

    bool OpenCompare() {
        QWidget* top = MainTop();
        const tavro::LinkContext& ctx = program_.Context();
        if (top == nullptr || ctx.status.linkState != tavro::kLinkOnline ||
            (ctx.status.flags & tavro::kFlagStepDataMoved) == 0 || !Settled()) {
            return false;
        }
        tavro::ParameterImage image = program_.Context().image;
        for (const auto& c : kCompareChanges) {
            image.SetCell(c.group, c.parameter, c.value, tavro::ParameterImage::kEditCopy);
        }
        compareFile_ =
            compareDir_.isValid() ? compareDir_.filePath(QStringLiteral("changed.dat")) : QString();
        if (compareFile_.isEmpty() ||
            !tavro::WriteFileReplacing(
                compareFile_.toStdString(),
                tavro::ComposeStepFile(tavro::StepFileMode::kPage, image, ctx.status, "2.20"))) {
            return Fail("cannot write the file to compare");
        }
        QTimer::singleShot(0, top, [top] { Click(top, tavro::IDC_COMPARE); });
        Next();
        return false;
    }

    bool ChooseCompareFile() {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !Settled()) {
            return false;
        }
        // Typed as a user would: the dialog takes a whole path in its name field.
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (name == nullptr) {
            return Fail("the file dialog has no name field");
        }
        name->setText(compareFile_);
        QTimer::singleShot(0, dialog, [dialog] { static_cast<QDialog*>(dialog)->accept(); });
        Next();
        return false;
    }

    bool CompareShown() {
        QWidget* compare = VisibleWindowWith(tavro::CDlgCmp::IDC_LIST);
        auto* list =
            compare != nullptr
                ? qobject_cast<QTableWidget*>(FindControl(compare, tavro::CDlgCmp::IDC_LIST))
                : nullptr;
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            return Fail(qUtf8Printable(QStringLiteral("a message instead of the compare window: ") +
                                       box->text()));
        }
        if (list == nullptr || !Settled()) {
            return false;
        }
        for (int row = 0; row < list->rowCount() && row < 2; ++row) {
            if (QTableWidgetItem* item = list->item(row, 0)) {
                item->setCheckState(Qt::Checked);
            }
        }
        Save(compare, "compare-with-file.png");
        QTimer::singleShot(0, compare, [compare] { Click(compare, tavro::CDlgCmp::IDC_CLOSE); });
        Next();
        return false;
    }

    // The simulator goes away as an unplugged adapter does: the terminal hangs up.
    bool PullTheCable() {
        if (QApplication::activeModalWidget() != MainTop() || !Settled()) {
            return false;
        }
        if (simPid_ <= 0 || ::kill(simPid_, SIGKILL) != 0) {
            return Fail("no simulator to take away (--sim-pid)");
        }
        Next();
        return false;
    }

    bool CloseMainWindow() {
        QWidget* top = MainTop();
        if (top == nullptr || QApplication::activeModalWidget() != top || !Settled()) {
            return false;
        }
        Next();
        // The closing sequence ends the program; its questions come up in nested loops,
        // which must not start inside this step.
        QTimer::singleShot(0, top, [top] { top->close(); });
        return false;
    }

    // The fields put in error are unsaved changes; the closing sequence asks about them, page
    // by page. Answered No, the window stays open and connected, for the loss of its port;
    // offline nothing is asked any more.
    bool StayOnClosingQuestion() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box != nullptr) {
            if (!closingQuestionSaved_) {
                if (!Settled()) {
                    return false;
                }
                Save(box, "closing-question.png");
                closingQuestionSaved_ = true;
            }
            if (QAbstractButton* no = box->button(QMessageBox::No)) {
                no->click();
            } else {
                box->reject();
            }
            settle_ = 0;
            return false;
        }
        if (!closingQuestionSaved_ || QApplication::activeModalWidget() != MainTop() ||
            !Settled()) {
            return false;
        }
        Next();
        return false;
    }

    bool DiscardChangesOnClosing() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box != nullptr) {
            if (!closingQuestionSaved_) {
                if (!Settled()) {
                    return false;
                }
                Save(box, "closing-question.png");
                closingQuestionSaved_ = true;
            }
            if (QAbstractButton* yes = box->button(QMessageBox::Yes)) {
                yes->click();
            } else {
                box->accept();
            }
        }
        return false;
    }

    // The communication log during a detail upload whose controller falls silent for a
    // while (the simulator is stopped): time-outs, resends and a late reply held and dropped.
    static constexpr int kCommLogDone = 3;
    static constexpr std::int64_t kSilenceMs = 1800;

    bool CommLogStep() {
        tavro::LinkContext& ctx = program_.Context();
        switch (commLogStage_) {
            case 0: {
                if (MessageUp() || !Settled() || ctx.trx.currentOp != tavro::OP_IDLE ||
                    ctx.trx.InFlight()) {
                    return false;
                }
                program_.Log().Clear();
                commLog_ = &program_.OpenCommLog();
                tavro::CTrxData(ctx).Run(tavro::OP_DETAIL_UPLOAD, 1, 0);
                if (simPid_ > 0 && ::kill(simPid_, SIGSTOP) == 0) {
                    const pid_t pid = simPid_;
                    QTimer::singleShot(kSilenceMs, [pid] { ::kill(pid, SIGCONT); });
                }
                break;
            }
            case 1:
                if (ctx.trx.currentOp != tavro::OP_IDLE || ctx.trx.InFlight() ||
                    ctx.trx.late.holding || MessageUp() || !Settled()) {
                    return false;
                }
                commLog_->Refresh();
                Save(commLog_, "comm-log.png");
                break;
            case 2:
                commLog_->ShowProblems(tavro::LineProblem::kAnyProblem);
                break;
            case 3:
                if (!Settled()) {
                    return false;
                }
                Save(commLog_, "comm-log-problems.png");
                commLog_->close();
                break;
            default:
                break;
        }
        ++commLogStage_;
        settle_ = 0;
        return false;
    }

    bool Fail(const char* what) {
        std::fprintf(stderr, "tavro-screenshots: %s\n", what);
        failed_ = true;
        if (QWidget* top = MainTop()) {
            top->close();
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
    pid_t simPid_;
    QString simControl_;  // tavro-sim's control input; empty: no alarm is raised
    QString alarmFolder_;
    int stage_ = 0;
    int settle_ = 0;
    int commLogStage_ = 0;
    tavro::qt::CommLogWindow* commLog_ = nullptr;
    std::size_t tab_ = 0;
    int motion_ = 0;
    std::size_t visit_ = 0;
    bool aboutDetails_ = false;
    bool closingQuestionSaved_ = false;
    bool failed_ = false;
    QTemporaryDir compareDir_;
    QString compareFile_;
    QString reportFile_;
    std::vector<QString> files_;
};

}  // namespace

int main(int argc, char** argv) {
    std::string port;
    std::string out;
    std::string simControl;
    pid_t simPid = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--port" || arg == "--out") && i + 1 < argc) {
            (arg == "--port" ? port : out) = argv[++i];
        } else if (arg == "--sim-control" && i + 1 < argc) {
            simControl = argv[++i];
        } else if (arg == "--sim-pid" && i + 1 < argc) {
            simPid = static_cast<pid_t>(std::atoi(argv[++i]));
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
    // Black box records of the tour's alarm go to a folder of its own.
    const QString alarms = settings.path() + QStringLiteral("/alarms");
    tavro::app::QtProgram program(settings.path().toStdString(), language, alarms.toStdString());
    QTemporaryDir fakeSysfs;
    if (!fakeSysfs.isValid() || !MakeFakeSysfs(fakeSysfs.path())) {
        std::fputs("tavro-screenshots: cannot make the fake sysfs tree\n", stderr);
        return 1;
    }
    program.Context().port.scan.sysClassTty = (fakeSysfs.path() + "/sys/class/tty").toStdString();
    program.Context().port.scan.devDir = (fakeSysfs.path() + "/dev").toStdString();
    QString portName = QString::fromStdString(port);
    if (portName.startsWith(QLatin1String("/dev/"))) {
        portName = portName.mid(5);
    }
    Tour tour(program, portName, outDir, simPid, QString::fromStdString(simControl), alarms);
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
    // The connection dialogs (the COM selection twice), the tabs, the Monitor/Test tab after a
    // return to origin, the Detail window at both access levels, and the Basic, I/O and
    // ID/communication windows with a field in error (the last two with their messages); the
    // password box, About, the step browser (step-data type only), the file dialog, the compare
    // window, the question on closing and the message of the lost port; the communication log,
    // twice; the chart with a move and, when the simulator takes commands, with the black box of
    // an alarm; for the step-data type also the repeatability run, its saved message and its
    // report's first page.
    const std::size_t extraFiles =
        (program.Context().status.controlType == 2 ? 12 : 16) + 2 + (simControl.empty() ? 1 : 2);
    return tour.Failed() ||
                   tour.Files().size() != 4 + kTabs4.size() + 1 + kDetailVisits.size() + extraFiles
               ? 1
               : 0;
}
