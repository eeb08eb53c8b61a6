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

  private:
    pid_t pid_ = -1;
    int out_ = -1;
};

TEST(QtProgram, StartsSearchesConnectsUploadsAndShowsTheBasicPage) {
    TempDir runtime;
    TempDir settings;
    ChildProcess sim({TAVRO_SIM_EXE, "--id", "1", "--quiet"},
                     {"XDG_RUNTIME_DIR=" + runtime.Path()});
    const std::string port = sim.ReadLine(kStartMs);
    ASSERT_EQ(port.rfind("/dev/", 0), 0U) << "tavro-sim printed \"" << port << "\"";

    CIniRw ini(settings.Path());
    ini.SetComAndSpeed(1, 19200, port);
    ini.SetAuto(1);
    ini.SetSlvAuto(1);
    ini.SetSlvRange(1 * 256 + 1);

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
