#include "app/preview/FormPreview.h"

#include <QApplication>
#include <QDir>
#include <QSize>
#include <QWidget>

#include "app/preview/PreviewContent.h"

namespace tavro::preview {

namespace {

constexpr int kMainWindow = 202;
constexpr int kPages[] = {210, 211, 212, 213};
constexpr int kFirstPageShown = 211;
constexpr int kDetail = 204;
constexpr ui::ControlId kPidSection = 1873;
constexpr ui::ControlId kTabs = 1000;
constexpr QSize kDesktop(1920, 1080);

bool IsPage(int templateId) {
    for (const int page : kPages) {
        if (page == templateId) {
            return true;
        }
    }
    return false;
}

void Settle() {
    for (int i = 0; i < 3; ++i) {
        QApplication::processEvents();
    }
}

}  // namespace

PreviewScene::~PreviewScene() = default;

std::unique_ptr<PreviewScene> PreviewScene::Build(qt::QtFormFactory& factory, int templateId,
                                                  int controlType, const StringTable& strings,
                                                  std::string& error) {
    std::unique_ptr<PreviewScene> scene(new PreviewScene());
    const auto create = [&](int id, ui::Form* parent, ui::FormKind kind) {
        auto form = factory.Create(id, parent, kind);
        std::unique_ptr<qt::QtForm> qtForm(dynamic_cast<qt::QtForm*>(form.get()));
        if (qtForm != nullptr) {
            form.release();
        } else {
            error = "form " + std::to_string(id) + " cannot be built";
        }
        return qtForm;
    };
    if (templateId != kMainWindow && !IsPage(templateId)) {
        scene->own_ = create(templateId, nullptr, ui::FormKind::kModeless);
        if (scene->own_ == nullptr) {
            return nullptr;
        }
        FillForm(templateId, *scene->own_, controlType, strings);
        scene->form_ = scene->own_.get();
        return scene;
    }
    scene->main_ = create(kMainWindow, nullptr, ui::FormKind::kModeless);
    if (scene->main_ == nullptr) {
        return nullptr;
    }
    FillForm(kMainWindow, *scene->main_, controlType, strings);
    const int shown = templateId == kMainWindow ? kFirstPageShown : templateId;
    for (std::size_t i = 0; i < std::size(kPages); ++i) {
        auto page = create(kPages[i], scene->main_.get(), ui::FormKind::kPage);
        if (page == nullptr) {
            return nullptr;
        }
        FillForm(kPages[i], *page, controlType, strings);
        page->SetWindowVisible(kPages[i] == shown);
        if (kPages[i] == shown) {
            scene->main_->SetCurrentItem(kTabs, static_cast<int>(i));
            scene->form_ = page.get();
        }
        scene->pages_.push_back(std::move(page));
    }
    if (templateId == kMainWindow) {
        scene->form_ = scene->main_.get();
    }
    return scene;
}

void PreviewScene::Show() {
    QWidget& window = Window();
    window.show();
    Settle();
    // The size a new window gets on a full-HD desktop: what its layout asks for, up to two
    // thirds of the screen, never below what its layout needs. The offscreen screen is
    // smaller than any desktop, so this does not follow it.
    const QSize wanted = window.sizeHint().boundedTo(kDesktop * 2 / 3);
    window.resize(wanted.expandedTo(window.minimumSizeHint()).expandedTo(window.minimumSize()));
    Settle();
}

QImage PreviewScene::Grab() {
    Settle();
    return Window().grab().toImage();
}

std::vector<QString> RenderPreviews(const PreviewOptions& options,
                                    std::vector<std::string>& errors) {
    qt::QtFormOptions formOptions;
    formOptions.formsFolder = QString::fromStdString(options.formsDir);
    formOptions.japanese = options.language == Language::kJapanese;
    qt::QtFormFactory factory(formOptions);
    const StringTable strings(options.language);
    const QDir out(QString::fromStdString(options.outDir));
    std::vector<QString> written;
    const auto save = [&](PreviewScene& scene, const QString& name) {
        const QString path = out.filePath(name);
        if (scene.Grab().save(path, "PNG")) {
            written.push_back(path);
        } else {
            errors.push_back("cannot write " + path.toStdString());
        }
    };
    const std::span<const int> templates =
        options.templates.empty() ? PreviewTemplates() : std::span<const int>(options.templates);
    for (const int id : templates) {
        std::string error;
        auto scene = PreviewScene::Build(factory, id, options.controlType, strings, error);
        if (scene == nullptr) {
            errors.push_back(error);
            continue;
        }
        scene->Show();
        save(*scene, QStringLiteral("%1.png").arg(id));
        if (id == kDetail) {
            // Without the PID section, as the first access code opens it.
            scene->Form().SetVisible(kPidSection, false);
            scene->Show();
            save(*scene, QStringLiteral("%1-level0.png").arg(id));
        }
    }
    return written;
}

}  // namespace tavro::preview
