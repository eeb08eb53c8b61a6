#include "tests/support/AppHarness.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <set>

#include "link/CIniRw.h"
#include "link/Numbers.h"
#include "link/PortList.h"
#include "params/CBinding.h"
#include "shell/CApp.h"
#include "shell/CMain.h"
#include "sim/InMemoryLine.h"
#include "ui/CCtrlBatch.h"

namespace tavro::test {

namespace {

using ui::ControlKind;

// --- stand-in forms for templates whose form file is not in the tree ---

struct KindRow {
    ui::ControlId id;
    ControlKind kind;
};

struct TemplateControls {
    int templateId;
    std::vector<KindRow> controls;
    bool fromTables;  // also every control the presentation and binding tables name
};

std::vector<KindRow> Range(ui::ControlId first, ui::ControlId last, ControlKind kind) {
    std::vector<KindRow> rows;
    for (ui::ControlId id = first; id <= last; ++id) {
        rows.push_back({id, kind});
    }
    return rows;
}

std::vector<KindRow> Join(std::initializer_list<std::vector<KindRow>> parts) {
    std::vector<KindRow> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

const std::vector<TemplateControls>& StandInTemplates() {
    static const std::vector<TemplateControls> kTemplates = {
        {200,
         {{1201, ControlKind::kLabel},
          {1200, ControlKind::kDropDown},
          {1202, ControlKind::kLabel},
          {1203, ControlKind::kDropDown},
          {1003, ControlKind::kPushButton},
          {2, ControlKind::kPushButton}},
         false},
        {157,
         {{1013, ControlKind::kLabel},
          {1145, ControlKind::kLabel},
          {1146, ControlKind::kEditCombo},
          {1147, ControlKind::kLabel},
          {1148, ControlKind::kEditCombo},
          {3, ControlKind::kPushButton},
          {1153, ControlKind::kCheckBox},
          {1154, ControlKind::kLabel},
          {1149, ControlKind::kLabel},
          {1143, ControlKind::kDropDown},
          {1150, ControlKind::kPushButton},
          {1151, ControlKind::kProgress},
          {1152, ControlKind::kLabel},
          {1156, ControlKind::kLabel},
          {4, ControlKind::kPushButton},
          {2, ControlKind::kPushButton}},
         false},
        {202, {{1000, ControlKind::kTabStrip}}, false},
        {203,
         {{1100, ControlKind::kLabel},
          {1950, ControlKind::kEdit},
          {1951, ControlKind::kPushButton},
          {1952, ControlKind::kPushButton}},
         false},
        {214,
         {{1125, ControlKind::kRadio},
          {1126, ControlKind::kRadio},
          {1004, ControlKind::kPushButton},
          {2, ControlKind::kPushButton}},
         false},
        {100,
         {{1210, ControlKind::kEdit},
          {1211, ControlKind::kEdit},
          {1213, ControlKind::kLabel},
          {1214, ControlKind::kFrame},
          {1, ControlKind::kPushButton},
          {1212, ControlKind::kPushButton},
          {1215, ControlKind::kPushButton}},
         false},
        {206, {{1042, ControlKind::kProgress}, {1044, ControlKind::kPushButton}}, false},
        {138,
         {{1022, ControlKind::kCheckBox},
          {1017, ControlKind::kLabel},
          {1019, ControlKind::kDropDown},
          {1015, ControlKind::kLabel},
          {1020, ControlKind::kDropDown},
          {1016, ControlKind::kLabel},
          {1018, ControlKind::kEdit},
          {1014, ControlKind::kPushButton},
          {1026, ControlKind::kLabel}},
         false},
        {205, {{1030, ControlKind::kList}}, true},
        {210,
         Join({Range(1410, 1422, ControlKind::kPicture),
               {{1428, ControlKind::kPicture},
                {1400, ControlKind::kPushButton},
                {1401, ControlKind::kPushButton}},
               Range(1402, 1405, ControlKind::kPushButton),
               Range(1430, 1433, ControlKind::kCheckBox),
               Range(1028, 1031, ControlKind::kSpin),
               {{1454, ControlKind::kLabel}, {1425, ControlKind::kLabel}}}),
         true},
        {211,
         {{1500, ControlKind::kPushButton},
          {1501, ControlKind::kPushButton},
          {1514, ControlKind::kDropDown},
          {1545, ControlKind::kPicture}},
         true},
        {212,
         Join({Range(1601, 1604, ControlKind::kPushButton),
               {{1611, ControlKind::kPushButton},
                {1612, ControlKind::kPushButton},
                {1621, ControlKind::kPushButton},
                {1622, ControlKind::kPushButton}}}),
         true},
        {213,
         Join({Range(1700, 1710, ControlKind::kLamp),
               {{1033, ControlKind::kSlider},       {1755, ControlKind::kSlider},
                {1754, ControlKind::kSpin},         {1760, ControlKind::kSpin},
                {1753, ControlKind::kEdit},         {1759, ControlKind::kEdit},
                {1720, ControlKind::kEdit},         {1774, ControlKind::kEdit},
                {1781, ControlKind::kEdit},         {1740, ControlKind::kColourButton},
                {1784, ControlKind::kColourButton}, {1721, ControlKind::kPushButton},
                {1763, ControlKind::kPushButton},   {1772, ControlKind::kPushButton},
                {1782, ControlKind::kPushButton},   {1783, ControlKind::kPushButton},
                {1012, ControlKind::kLabel},        {1013, ControlKind::kLabel},
                {1766, ControlKind::kLabel},        {1767, ControlKind::kLabel}},
               Range(1730, 1734, ControlKind::kLabel),
               {{1741, ControlKind::kCheckBox},
                {1751, ControlKind::kCheckBox},
                {1752, ControlKind::kCheckBox},
                {1757, ControlKind::kCheckBox},
                {1758, ControlKind::kCheckBox},
                {1764, ControlKind::kCheckBox},
                {1765, ControlKind::kCheckBox},
                {1722, ControlKind::kCheckBox},
                {1723, ControlKind::kCheckBox},
                {1787, ControlKind::kCheckBox},
                {1788, ControlKind::kCheckBox}}}),
         true},
        {204,
         {{1906, ControlKind::kDropDown},
          {1884, ControlKind::kDropDown},
          {1908, ControlKind::kDropDown},
          {1810, ControlKind::kPushButton},
          {1800, ControlKind::kLabel},
          {1801, ControlKind::kLabel}},
         true},
    };
    return kTemplates;
}

// The fixed items of a form file's lists.
const std::map<std::pair<int, ui::ControlId>, std::vector<std::string>>& StandInItems() {
    static const std::map<std::pair<int, ui::ControlId>, std::vector<std::string>> kItems = [] {
        const std::vector<std::string> speeds = {"2400", "9600", "19200", "38400", "57600"};
        const std::vector<std::string> strokes = {"-", "10", "20", "30", "50"};
        std::vector<std::string> masses;
        for (int m = 0; m <= 1000; m += 50) {
            masses.push_back(Format("%d", m));
        }
        return std::map<std::pair<int, ui::ControlId>, std::vector<std::string>>{
            {{200, 1203}, speeds},  {{138, 1020}, speeds}, {{211, 1514}, strokes},
            {{204, 1908}, strokes}, {{212, 1670}, masses}, {{204, 1861}, masses},
        };
    }();
    return kItems;
}

// The view index of a page's or dialog's binding table.
int ViewOf(int templateId) {
    switch (templateId) {
        case 210:
            return kViewIo;
        case 211:
            return kViewBasic;
        case 212:
            return kViewStep;
        case 204:
            return kViewDetail;
        case 138:
            return kViewCommSetup;
        default:
            return -1;
    }
}

ControlKind KindOf(const BindingDescriptor& d) {
    switch (d.kind) {
        case kBindList:
            return ControlKind::kDropDown;
        case kBindRadio:
            return ControlKind::kRadio;
        default:
            return ControlKind::kEdit;
    }
}

std::vector<ControlDecl> StandInDeclarations(const TemplateControls& t) {
    std::map<ui::ControlId, ControlDecl> controls;
    const auto put = [&](ui::ControlId id, ControlKind kind, int group = 0) {
        ControlDecl& decl = controls[id];
        decl.id = id;
        decl.kind = kind;
        decl.group = group;
    };
    if (t.fromTables) {
        for (const ui::CaptionRow& row : ui::CCtrlBatch::PageRows()) {
            if (row.dialog == t.templateId) {
                put(row.control, ControlKind::kLabel);
            }
        }
        for (const ui::ComboRow& row : ui::CCtrlBatch::ComboRows()) {
            if (row.dialog == t.templateId) {
                put(row.control, ControlKind::kDropDown);
            }
        }
        for (const ui::ListRow& row : ui::CCtrlBatch::ListRows()) {
            if (row.dialog == t.templateId) {
                put(row.control, ControlKind::kList);
            }
        }
        if (const int view = ViewOf(t.templateId); view >= 0) {
            int group = 1;
            for (const BindingDescriptor& d : CBinding::Table(view)) {
                const ui::ControlId last = d.kind == kBindRadio ? d.lastControl : d.control;
                for (ui::ControlId id = d.control; id <= last; ++id) {
                    put(id, KindOf(d), d.kind == kBindRadio ? group : 0);
                }
                ++group;
            }
        }
    }
    int radioGroup = 100;
    for (const KindRow& row : t.controls) {
        put(row.id, row.kind, row.kind == ControlKind::kRadio ? radioGroup : 0);
    }
    std::vector<ControlDecl> declarations;
    for (auto& [id, decl] : controls) {
        declarations.push_back(decl);
    }
    // Return clicks these buttons.
    for (ControlDecl& decl : declarations) {
        decl.isDefault =
            (t.templateId == 200 && decl.id == 1003) || (t.templateId == 203 && decl.id == 1951) ||
            (t.templateId == 214 && decl.id == 1004) || (t.templateId == 100 && decl.id == 1);
    }
    return declarations;
}

bool FormFileExists(int templateId) {
    struct stat st {};
    const std::string path =
        std::string(TAVRO_FORMS_DIR) + "/" + std::to_string(templateId) + ".ui";
    return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

// Hands out the fake factory's forms, with the fixed list items a stand-in form needs.
class AppHarness::Forms : public ui::FormFactory {
  public:
    explicit Forms(FakeFormFactory& fakes) : fakes_(fakes) {
        for (const TemplateControls& t : StandInTemplates()) {
            if (!FormFileExists(t.templateId)) {
                fakes_.Declare(t.templateId, StandInDeclarations(t));
                standIns_.insert(t.templateId);
            }
        }
    }

    std::unique_ptr<ui::Form> Create(int templateId, ui::Form* parent, ui::FormKind kind) override {
        auto form = fakes_.Create(templateId, parent, kind);
        if (form && standIns_.count(templateId) != 0) {
            for (const auto& [key, items] : StandInItems()) {
                if (key.first != templateId) {
                    continue;
                }
                for (const std::string& item : items) {
                    form->AddItem(key.second, item);
                }
                form->SetCurrentItem(key.second, 0);
            }
        }
        ++created_[templateId];
        return form;
    }

    int Created(int templateId) const {
        const auto it = created_.find(templateId);
        return it == created_.end() ? 0 : it->second;
    }

  private:
    FakeFormFactory& fakes_;
    std::set<int> standIns_;
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

int AppHarness::Run(MainScript script) {
    fakeForms.OnModal(CMain::kTemplate, [this, script](FakeForm& mainForm) {
        if (script && main_ != nullptr) {
            script(mainForm, *main_);
        }
        if (!mainForm.Ended()) {
            mainForm.EndModal(ui::kIdCancel);
        }
    });
    return CApp::Run(LockPath(), [this] {
        CMain window(ctx, services);
        main_ = &window;
        if (beforeStart_) {
            beforeStart_(window);
        }
        window.Run();
        main_ = nullptr;
    });
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
