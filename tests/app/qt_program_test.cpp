#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/QtDriver.h"
#include "app/QtProgram.h"
#include "link/CIniRw.h"
#include "link/StatusBlock.h"
#include "monitor/CPageDrv.h"
#include "shell/CMain.h"
#include "shell/InstanceLock.h"
#include "tests/support/TempDir.h"
#include "ui/qt/QtForm.h"

// The real Qt program, offscreen, against tavro-sim on a pseudo-terminal.
namespace tavro::test {
namespace {

// Generous bounds for real time on a busy machine; nothing waits this long when it works.
constexpr int kStartMs = 10000;
constexpr int kGiveUpMs = 60000;
constexpr int kTickMs = 50;

// A program as a child process, with its standard output kept; stopped with SIGTERM.
class ChildProcess {
  public:
    ChildProcess(std::vector<std::string> args, const std::vector<std::string>& environment) {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(out[1], STDERR_FILENO);
            for (const std::string& e : environment) {
                ::putenv(const_cast<char*>(e.c_str()));
            }
            std::vector<char*> argv;
            for (auto& a : args) {
                argv.push_back(a.data());
            }
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        out_ = out[0];
    }

    ~ChildProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            Wait(kStartMs);
        }
        if (out_ >= 0) {
            ::close(out_);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Output until a line is complete, the output ends or the time is up.
    std::string ReadLine(int timeoutMs) {
        std::string text;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (text.find('\n') == std::string::npos && std::chrono::steady_clock::now() < end) {
            pollfd p{out_, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) {
                continue;
            }
            char buf[256];
            const ssize_t n = ::read(out_, buf, sizeof buf);
            if (n <= 0) {
                break;
            }
            text.append(buf, static_cast<std::size_t>(n));
        }
        return text.substr(0, text.find('\n'));
    }

    // The exit status once the child has ended, -1 when it did not end in time (it is then
    // killed).
    int Wait(int timeoutMs) {
        int status = 0;
        for (int waited = 0; waited < timeoutMs; waited += 50) {
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            ::usleep(50000);
        }
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return -1;
    }

    // All the output that comes within `quietMs` of the last.
    std::string ReadAvailable(int quietMs) {
        std::string text;
        for (;;) {
            pollfd p{out_, POLLIN, 0};
            if (::poll(&p, 1, quietMs) <= 0) {
                return text;
            }
            char buf[4096];
            const ssize_t n = ::read(out_, buf, sizeof buf);
            if (n <= 0) {
                return text;
            }
            text.append(buf, static_cast<std::size_t>(n));
        }
    }

  private:
    pid_t pid_ = -1;
    int out_ = -1;
};

// The requests of a tavro-sim --verbose log ("    123 ms -> :01 OE 0 1 1F5\r\n"), as command
// texts without ID and checksum.
std::vector<std::string> RequestsInLog(const std::string& log) {
    std::vector<std::string> out;
    std::size_t at = 0;
    const std::string arrow = "-> :";
    while ((at = log.find(arrow, at)) != std::string::npos) {
        const std::size_t start = at + arrow.size() + 3;  // past "01 "
        const std::size_t end = log.find("\\r", start);
        if (end == std::string::npos || end < start + 2) {
            break;
        }
        out.push_back(log.substr(start, end - start - 2));  // the checksum off
        at = end;
    }
    return out;
}

// Settings that open the simulator's port at once and search ID 1 by themselves.
void RememberPort(const TempDir& settings, const std::string& port) {
    CIniRw ini(settings.Path());
    ini.SetComAndSpeed(1, 19200, port);
    ini.SetAuto(1);
    ini.SetSlvAuto(1);
    ini.SetSlvRange(1 * 256 + 1);
}

TEST(QtProgram, StartsSearchesConnectsUploadsAndShowsTheBasicPage) {
    TempDir runtime;
    TempDir settings;
    ChildProcess sim({TAVRO_SIM_EXE, "--id", "1", "--quiet"},
                     {"XDG_RUNTIME_DIR=" + runtime.Path()});
    const std::string port = sim.ReadLine(kStartMs);
    ASSERT_EQ(port.rfind("/dev/", 0), 0U) << "tavro-sim printed \"" << port << "\"";
    RememberPort(settings, port);

    app::QtProgram program(settings.Path(), Language::kEnglish);
    bool searched = false;
    bool shown = false;
    int tab = -1;
    bool basicVisible = false;
    bool aboutByKeyboard = false;
    std::string title;
    app::driver::Ticker ticker(kTickMs, [&] {
        if (QWidget* search = app::driver::VisibleWindowWith(1150)) {
            if (app::driver::IsEnabled(search, 1150)) {
                searched = true;
                app::driver::Click(search, 1150);
            }
            return false;
        }
        CMain* window = program.Main();
        const StatusBlock& s = program.Context().status;
        if (window == nullptr || (s.flags & kFlagUploadDone) == 0 || s.linkState != kLinkOnline) {
            return false;
        }
        auto* form = dynamic_cast<qt::QtForm*>(window->GetForm());
        if (form == nullptr || !form->TopWindow()->isVisible()) {
            return false;
        }
        shown = true;
        tab = form->CurrentItem(CMain::IDC_TABS);
        basicVisible = window->BasicPage()->GetForm().IsWindowVisible();
        title = form->Title();
        // The window's menu by keyboard: Alt+A opens About, which is closed from inside its
        // own modal loop.
        QWidget* top = form->TopWindow();
        top->activateWindow();
        QTimer::singleShot(200, [&] {
            if (QWidget* about = app::driver::VisibleWindowWith(1215)) {
                aboutByKeyboard = true;
                app::driver::Click(about, 1);
            }
        });
        QTest::keyClick(top, Qt::Key_A, Qt::AltModifier);
        top->close();
        return true;
    });
    QTimer::singleShot(kGiveUpMs, [] {
        std::fputs("the program did not connect and show its pages in time\n", stderr);
        std::_Exit(1);
    });
    program.Run();

    EXPECT_TRUE(searched);
    ASSERT_TRUE(shown);
    EXPECT_EQ(tab, kPageBasic);
    EXPECT_TRUE(aboutByKeyboard);
    EXPECT_TRUE(basicVisible);
    EXPECT_EQ(program.Context().status.controllerId, 1);
    const std::string name = port.substr(5);
    EXPECT_EQ(title, "Tavro Motor Controller Configuration Software <<" + name +
                         " / Controller ID1 / Communication speed19200>>");
}

// The servo is switched off 80 ms after "Return to Origin", while the reply to that command is
// still due (every "OE" is answered 300 ms late): the servo off reaches the controller, the
// lamp and the button agree, and the monitor poll goes on.
TEST(QtProgram, ServoOffWhileTheOriginReplyIsDueReachesTheController) {
    TempDir runtime;
    TempDir settings;
    ChildProcess sim({TAVRO_SIM_EXE, "--id", "1", "--quiet", "--byte-timing", "--verbose",
                      "--fault", "delay:*,code=OE,ms=300"},
                     {"XDG_RUNTIME_DIR=" + runtime.Path()});
    const std::string port = sim.ReadLine(kStartMs);
    ASSERT_EQ(port.rfind("/dev/", 0), 0U) << "tavro-sim printed \"" << port << "\"";
    RememberPort(settings, port);

    app::QtProgram program(settings.Path(), Language::kEnglish);
    enum class Phase { kConnect, kServoOn, kOrigin, kServoOff, kSettle, kDone };
    Phase phase = Phase::kConnect;
    int settleTicks = 0;
    bool servoOffClicked = false;
    std::string log;
    int servoDisplay = -1;
    std::uint16_t lamps = 0xFFFF;
    app::driver::Ticker ticker(kTickMs, [&] {
        if (QWidget* search = app::driver::VisibleWindowWith(1150)) {
            if (app::driver::IsEnabled(search, 1150)) {
                app::driver::Click(search, 1150);
            }
            return false;
        }
        CMain* window = program.Main();
        const StatusBlock& s = program.Context().status;
        if (window == nullptr || (s.flags & kFlagUploadDone) == 0) {
            return false;
        }
        auto* form = dynamic_cast<qt::QtForm*>(window->GetForm());
        if (form == nullptr || !form->TopWindow()->isVisible()) {
            return false;
        }
        QWidget* top = form->TopWindow();
        const bool idle = s.linkState == kLinkOnline && program.Context().trx.currentOp == OP_IDLE;
        switch (phase) {
            case Phase::kConnect:
                if (idle && app::driver::ChooseTab(top, CMain::IDC_TABS, kPageDrive)) {
                    phase = Phase::kServoOn;
                }
                return false;
            case Phase::kServoOn:
                if (idle && app::driver::Click(top, CPageDrv::IDC_SERVO)) {
                    phase = Phase::kOrigin;
                }
                return false;
            case Phase::kOrigin:
                if (idle && window->DrivePage()->ServoDisplay() == 1 &&
                    app::driver::Click(top, CPageDrv::IDC_ORIGIN)) {
                    QTimer::singleShot(80, [&, top] {
                        servoOffClicked = app::driver::Click(top, CPageDrv::IDC_SERVO);
                    });
                    phase = Phase::kServoOff;
                }
                return false;
            case Phase::kServoOff:
                if (servoOffClicked && idle) {
                    phase = Phase::kSettle;
                }
                return false;
            case Phase::kSettle:
                // A second for the poll to show the controller's state.
                if (++settleTicks < 1000 / kTickMs) {
                    return false;
                }
                servoDisplay = window->DrivePage()->ServoDisplay();
                lamps = window->DrivePage()->StatusBits();
                // What reached the controller before the goodbye of the close.
                log = sim.ReadAvailable(200);
                phase = Phase::kDone;
                top->close();
                return true;
            case Phase::kDone:
                return true;
        }
        return true;
    });
    QTimer::singleShot(kGiveUpMs, [] {
        std::fputs("the servo off did not complete in time\n", stderr);
        std::_Exit(1);
    });
    program.Run();

    ASSERT_EQ(phase, Phase::kDone);
    EXPECT_TRUE(servoOffClicked);
    EXPECT_EQ(servoDisplay, 0);
    EXPECT_EQ(lamps & (1U << 4), 0U) << "the SVON lamp is lit";
    const std::vector<std::string> requests = RequestsInLog(log);
    std::vector<std::string> motion;
    std::size_t pollsAfterStop = 0;
    for (const std::string& r : requests) {
        if (r.rfind("OE ", 0) == 0 && (r == "OE 0 1 1" || !motion.empty())) {
            motion.push_back(r);
        } else if (r == "MO" && motion.size() >= 2) {
            ++pollsAfterStop;
        }
    }
    EXPECT_EQ(motion, (std::vector<std::string>{"OE 0 1 1", "OE 0 0 0"}));
    EXPECT_GE(pollsAfterStop, 3U) << "the monitor poll stopped";
}

TEST(QtProgram, SecondCopyExitsAtOnceWithoutOutput) {
    TempDir runtime;
    const std::string lockPath = runtime.File("tavro-config.lock");
    const std::optional<InstanceLock> first = InstanceLock::Acquire(lockPath);
    ASSERT_TRUE(first.has_value() && first->Holds());
    ChildProcess second({TAVRO_CONFIG_EXE},
                        {"XDG_RUNTIME_DIR=" + runtime.Path(), "QT_QPA_PLATFORM=offscreen",
                         "XDG_CONFIG_HOME=" + runtime.Path()});
    EXPECT_EQ(second.Wait(kStartMs), 0);
    EXPECT_EQ(second.ReadLine(100), "");
}

}  // namespace
}  // namespace tavro::test

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
