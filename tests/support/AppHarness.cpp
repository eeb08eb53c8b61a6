#include "tests/support/AppHarness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "link/CIniRw.h"
#include "link/Numbers.h"
#include "shell/CApp.h"
#include "shell/CMain.h"
#include "sim/InMemoryLine.h"
#include "tests/support/KnownMisuse.h"

namespace tavro::test {

// The fake factory's forms, counted per template.
class AppHarness::Forms : public ui::FormFactory {
  public:
    explicit Forms(FakeFormFactory& fakes) : fakes_(fakes) {}

    std::unique_ptr<ui::Form> Create(int templateId, ui::Form* parent, ui::FormKind kind) override {
        ++created_[templateId];
        return fakes_.Create(templateId, parent, kind);
    }

    int Created(int templateId) const {
        const auto it = created_.find(templateId);
        return it == created_.end() ? 0 : it->second;
    }

  private:
    FakeFormFactory& fakes_;
    std::map<int, int> created_;
};

AppHarness::AppHarness(std::vector<sim::ControllerOptions> controllers, Language language)
    : bus(loop),
      ctx(loop, dir.Path()),
      strings(language),
      fakeForms(TAVRO_FORMS_DIR),
      forms_(std::make_unique<Forms>(fakeForms)),
      services{*forms_, prompter, strings} {
    for (const sim::ControllerOptions& options : controllers) {
        bus.AddController(options);
    }
    std::filesystem::create_directories(dir.File("sys"));
    std::filesystem::create_directories(dir.File("dev"));
    std::filesystem::create_directories(dir.File("ports"));
    ctx.port.scan.sysClassTty = dir.File("sys");
    ctx.port.scan.devDir = dir.File("dev");
    ctx.port.scan.registryDir = dir.File("ports");
    simPortPath_ = AddDeadPort(kSimPortName);
    ctx.openPort = sim::MakeSimPortOpener(loop, bus, simPortPath_);
    ExcuseKnownMisuse(fakeForms, ctx.status);
}

AppHarness::~AppHarness() = default;

std::string AppHarness::AddDeadPort(const std::string& name) {
    // A serial device as the system lists it: its class entry with a device, and its node.
    std::filesystem::create_directories(dir.File("sys/" + name + "/device"));
    dir.Write("dev/" + name, "");
    return dir.File("dev/" + name);
}

void AppHarness::WriteSettings(const AppSettings& settings) {
    CIniRw ini(ctx);
    ini.SetComAndSpeed(1, settings.baud, settings.port.empty() ? simPortPath_ : settings.port);
    ini.SetAuto(settings.autoConnect);
    ini.SetSlvAuto(settings.slvAuto);
    ini.SetSlvRange((settings.slvFirst & 0xFF) * 256 + (settings.slvLast & 0xFF));
}

void AppHarness::WritePidFile(const std::string& text) {
    dir.Write("PID.ini", text);
}

int AppHarness::Created(int templateId) const {
    return forms_->Created(templateId);
}

void AppHarness::EndMainWindowEarly() {
    BeforeStart([](CMain& window) { window.GetForm()->EndModal(ui::kIdCancel); });
}

int AppHarness::Run(MainScript script) {
    return RunProgram(MainWindow::kMustRun, script);
}

int AppHarness::Run() {
    return RunProgram(MainWindow::kMayRun, {});
}

int AppHarness::RunWithoutMainWindow() {
    return RunProgram(MainWindow::kMustNotRun, {});
}

int AppHarness::RunProgram(MainWindow expected, const MainScript& script) {
    // RunModal skips the player of a window ended before it runs, as a program that ends
    // during its start-up does; the run is counted, not assumed.
    bool ran = false;
    fakeForms.OnModalIfShown(CMain::kTemplate, [this, &ran, &script](FakeForm& mainForm) {
        ran = true;
        if (script && main_ != nullptr) {
            script(mainForm, *main_);
        }
        if (!mainForm.Ended()) {
            mainForm.EndModal(ui::kIdCancel);
        }
    });
    const int status = CApp::Run(LockPath(), [this] {
        CMain window(ctx, services, chooser);
        main_ = &window;
        if (beforeStart_) {
            beforeStart_(window);
        }
        window.Run();
        main_ = nullptr;
    });
    fakeForms.OnModalIfShown(CMain::kTemplate, {});
    if (expected == MainWindow::kMustRun && !ran) {
        ADD_FAILURE() << "the main window never ran, so the test's script did not run";
    } else if (expected == MainWindow::kMustNotRun && ran) {
        ADD_FAILURE() << "the main window ran, but the program was to end before it";
    }
    fakeForms.CheckPlayers();
    return status;
}

bool AppHarness::RunUntil(const std::function<bool()>& done, std::int64_t limitMs) {
    return loop.RunUntil(done, limitMs);
}

AppHarness::Player AppHarness::ChoosePort(std::string path, int speed) {
    return [this, path = std::move(path), speed](FakeForm& form) {
        int index = -1;
        for (int i = 0; i < form.ItemCount(1200); ++i) {
            if (form.ItemText(1200, i).rfind(std::filesystem::path(path).filename().string(), 0) ==
                0) {
                index = i;
            }
        }
        if (index >= 0) {
            form.Choose(1200, index);
        }
        form.ChooseText(1203, Format("%d", speed));
        form.Click(1003);
    };
}

AppHarness::Player AppHarness::CancelDialog() {
    return [](FakeForm& form) { form.Click(ui::kIdCancel); };
}

AppHarness::Player AppHarness::ConnectFirstFound() {
    return [this](FakeForm& form) {
        if (!form.IsEnabled(1150) && form.IsEnabled(3)) {
            form.Click(3);
        }
        ASSERT_TRUE(RunUntil([&] { return form.IsEnabled(1150); })) << "no controller found";
        form.Click(1150);
        ASSERT_TRUE(RunUntil([&] { return form.Ended(); })) << "not connected";
    };
}

AppHarness::Player AppHarness::ChooseType(bool pulse) {
    return [pulse](FakeForm& form) {
        form.Click(pulse ? 1126 : 1125);
        form.Click(1004);
    };
}

bool AppHarness::CloseMainWindow(FakeForm& mainForm) {
    mainForm.Close();
    return RunUntil([&] { return mainForm.Ended(); });
}

}  // namespace tavro::test
