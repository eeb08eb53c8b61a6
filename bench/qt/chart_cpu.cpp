// tavro-chart-cpu: the configuration tool connected to a controller (tavro-sim) with the
// Monitor/Test tab and the chart window open, polling; prints the share of one core the
// process used over a stretch of time after a warm-up, and the chart's redraws a second.

#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/QtDriver.h"
#include "app/QtProgram.h"
#include "dialogs/connect/CDlgCom.h"
#include "dialogs/connect/CDlgSid.h"
#include "link/CIniRw.h"
#include "link/SettingsDir.h"
#include "link/StatusBlock.h"
#include "shell/CMain.h"
#include "ui/Language.h"
#include "ui/qt/QtForm.h"

namespace {

using tavro::app::driver::ChooseItemStartingWith;
using tavro::app::driver::ChooseTab;
using tavro::app::driver::Click;
using tavro::app::driver::IsEnabled;
using tavro::app::driver::VisibleWindowWith;

const char* kUsage =
    "usage: tavro-chart-cpu --port PATH [--seconds N] [--warmup N] [--span 0|1|2]\n"
    "  --port PATH  the controller's port (the path tavro-sim prints)\n"
    "  --seconds N  the measured stretch (default 60)\n"
    "  --warmup N   seconds with the chart open before it (default 60)\n"
    "  --span I     the chart's window: 0 10 s, 1 1 min (default), 2 10 min; -1 leaves the\n"
    "               chart closed, for the figure without it\n";

double CpuSeconds() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    std::string port;
    int seconds = 60;
    int warmup = 60;
    int span = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--port") {
            port = argv[i + 1];
        } else if (arg == "--seconds") {
            seconds = std::atoi(argv[i + 1]);
        } else if (arg == "--warmup") {
            warmup = std::atoi(argv[i + 1]);
        } else if (arg == "--span") {
            span = std::atoi(argv[i + 1]);
        }
    }
    if (port.empty() || seconds <= 0 || warmup < 0 || span < -1 || span > 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const std::string settings =
        std::string(std::getenv("TMPDIR") != nullptr ? std::getenv("TMPDIR") : "/tmp") +
        "/tavro-chart-cpu-" + std::to_string(::getpid());
    tavro::EnsureDirectory(settings);
    tavro::CIniRw ini(settings);
    ini.SetComAndSpeed(1, 19200, port);
    ini.SetAuto(0);
    ini.SetSlvAuto(0);
    ini.SetSlvRange(1 * 256 + 1);
    tavro::app::QtProgram program(settings, tavro::Language::kEnglish);
    QString portName = QString::fromStdString(port);
    if (portName.startsWith(QLatin1String("/dev/"))) {
        portName = portName.mid(5);
    }

    int stage = 0;
    QElapsedTimer clock;
    double cpuStart = 0.0;
    int redrawsStart = 0;
    int status = 1;
    tavro::app::driver::Ticker ticker(100, [&] {
        switch (stage) {
            case 0:
                if (QWidget* d = VisibleWindowWith(tavro::CDlgCom::IDC_PORT)) {
                    ChooseItemStartingWith(d, tavro::CDlgCom::IDC_PORT, portName);
                    ChooseItemStartingWith(d, tavro::CDlgCom::IDC_SPEED, QStringLiteral("19200"));
                    Click(d, tavro::CDlgCom::IDC_NEXT);
                    ++stage;
                }
                return false;
            case 1:
                if (QWidget* d = VisibleWindowWith(tavro::CDlgSid::IDC_CONNECT)) {
                    Click(d, tavro::CDlgSid::IDC_START);
                    ++stage;
                }
                return false;
            case 2:
                if (QWidget* d = VisibleWindowWith(tavro::CDlgSid::IDC_CONNECT);
                    d != nullptr && IsEnabled(d, tavro::CDlgSid::IDC_CONNECT)) {
                    Click(d, tavro::CDlgSid::IDC_CONNECT);
                    ++stage;
                }
                return false;
            case 3: {
                const tavro::StatusBlock& s = program.Context().status;
                tavro::CMain* window = program.Main();
                if (window == nullptr || (s.flags & tavro::kFlagUploadDone) == 0 ||
                    s.linkState != tavro::kLinkOnline) {
                    return false;
                }
                auto* form = dynamic_cast<tavro::qt::QtForm*>(window->GetForm());
                if (form != nullptr) {
                    ChooseTab(form->TopWindow(), tavro::CMain::IDC_TABS, tavro::kPageDrive);
                }
                if (span >= 0) {
                    program.OpenChart().SetSpan(span);
                }
                clock.start();
                ++stage;
                return false;
            }
            case 4:
                if (clock.elapsed() < warmup * 1000LL) {
                    return false;
                }
                cpuStart = CpuSeconds();
                redrawsStart = program.Chart() != nullptr ? program.Chart()->Redraws() : 0;
                clock.restart();
                ++stage;
                return false;
            default: {
                if (clock.elapsed() < seconds * 1000LL) {
                    return false;
                }
                const double wall = static_cast<double>(clock.elapsed()) / 1000.0;
                const double cpu = CpuSeconds() - cpuStart;
                const int redraws =
                    program.Chart() != nullptr ? program.Chart()->Redraws() - redrawsStart : 0;
                std::printf(
                    "chart window %d, %zu samples in the ring: %.2f %% of a core over %.1f s, "
                    "%.1f redraws/s\n",
                    span, program.Samples().Ring().Size(), 100.0 * cpu / wall, wall,
                    static_cast<double>(redraws) / wall);
                std::fflush(stdout);
                status = 0;
                program.Main()->PostClose();
                return true;
            }
        }
    });
    program.Run();
    std::error_code ec;
    std::filesystem::remove_all(settings, ec);
    return status;
}
