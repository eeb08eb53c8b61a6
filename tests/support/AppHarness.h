#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/LinkContext.h"
#include "link/VirtualLoop.h"
#include "sim/ControllerOptions.h"
#include "sim/SimBus.h"
#include "tests/support/FakeFormFactory.h"
#include "tests/support/ScriptedFileChooser.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TempDir.h"
#include "ui/DialogSupport.h"
#include "ui/StringTable.h"

namespace tavro {
class CMain;
}

namespace tavro::test {

// What a test puts into "MOTOR-PID.ini" before the program starts.
struct AppSettings {
    std::string port;  // "PORT"; empty: the simulator's port
    int baud = 19200;
    int autoConnect = 0;
    int slvAuto = 0;
    int slvFirst = 1;
    int slvLast = 1;

    AppSettings& Port(std::string path) {
        port = std::move(path);
        return *this;
    }
    AppSettings& Speed(int bps) {
        baud = bps;
        return *this;
    }
    AppSettings& Auto(int on) {
        autoConnect = on;
        return *this;
    }
    AppSettings& SearchAuto(int on) {
        slvAuto = on;
        return *this;
    }
    AppSettings& Range(int first, int last) {
        slvFirst = first;
        slvLast = last;
        return *this;
    }
};

// The whole program headless: the process entry and the main window in virtual time against
// the in-process simulator, with FakeForms from the program's form files and a scripted
// prompter. Modal dialogs are played by scripts that a test sets per template.
class AppHarness {
  public:
    using Player = std::function<void(FakeForm&)>;
    using MainScript = std::function<void(FakeForm& mainForm, CMain& window)>;

    explicit AppHarness(std::vector<sim::ControllerOptions> controllers = {{}},
                        Language language = Language::kEnglish);
    ~AppHarness();
    AppHarness(const AppHarness&) = delete;
    AppHarness& operator=(const AppHarness&) = delete;

    static constexpr const char* kSimPortName = "ttyUSB0";

    // The simulator's port as the port list shows it.
    const std::string& SimPortPath() const { return simPortPath_; }
    // A further listed port ("ttyS1") that no controller is behind: opening it fails.
    std::string AddDeadPort(const std::string& name);

    void WriteSettings(const AppSettings& settings);
    void WritePidFile(const std::string& text);
    std::string SettingsFolder() const { return dir.Path(); }
    std::string LockPath() const { return dir.File("tavro-config.lock"); }

    // The user's part in a dialog of this template; the dialog must run with it during the
    // next Run (or before the harness goes), else the test fails.
    void OnModal(int templateId, Player player) {
        fakeForms.OnModal(templateId, std::move(player));
    }
    // The same for a dialog that this test may or may not see.
    void OnModalIfShown(int templateId, Player player) {
        fakeForms.OnModalIfShown(templateId, std::move(player));
    }
    // Runs once the main window exists and before it starts (a test attaches its views).
    void BeforeStart(std::function<void(CMain&)> hook) { beforeStart_ = std::move(hook); }
    // For tests of the harness: the main window ends before it runs, as it does when the
    // user gives up during its start-up, which itself still runs.
    void EndMainWindowEarly();

    // Runs the program. `script` plays the user while the main window runs; a main window
    // that the script leaves open is ended afterwards. A main window that never runs (so
    // the script does not either) fails the test. Returns the exit status.
    int Run(MainScript script);
    // Runs the program for a test that plays the user in its dialogs alone: a main window
    // that opens is ended at once, and whether it opens is the test's own question.
    int Run();
    // Runs the program when it must end before its main window runs; one that runs fails
    // the test.
    int RunWithoutMainWindow();
    // The main window while Run runs, else nullptr.
    CMain* Main() const { return main_; }

    bool RunUntil(const std::function<bool()>& done, std::int64_t limitMs = 120000);
    void Advance(std::int64_t ms) { loop.Advance(ms); }

    FakeForm* Form(int templateId) const { return fakeForms.Latest(templateId); }
    // How many forms of a template were made so far.
    int Created(int templateId) const;

    // Scripts for the usual moves.
    // COM selection: choose the port with this path (or none) and the speed, then Next.
    Player ChoosePort(std::string path, int speed = 19200);
    Player CancelDialog();
    // ID search: start the search unless it runs, wait for the found IDs and connect to the
    // first one.
    Player ConnectFirstFound();
    // Control-signal type: choose step data (false) or pulse (true), then OK.
    Player ChooseType(bool pulse);
    // Closes the main window with its close box and pumps until it has ended.
    bool CloseMainWindow(FakeForm& mainForm);

    // Destroyed in reverse: forms and the context before the bus and the loop.
    VirtualLoop loop;
    TempDir dir;
    sim::SimBus bus;
    LinkContext ctx;
    StringTable strings;
    ScriptedPrompter prompter;
    ScriptedFileChooser chooser;
    FakeFormFactory fakeForms;

  private:
    class Forms;
    std::unique_ptr<Forms> forms_;

  public:
    ui::DialogServices services;

  private:
    enum class MainWindow { kMustRun, kMayRun, kMustNotRun };
    int RunProgram(MainWindow expected, const MainScript& script);

    std::string simPortPath_;
    CMain* main_ = nullptr;
    std::function<void(CMain&)> beforeStart_;
};

}  // namespace tavro::test
