#pragma once

#include <QImage>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "app/preview/PreviewOptions.h"
#include "ui/StringTable.h"
#include "ui/qt/QtForm.h"
#include "ui/qt/QtFormFactory.h"

namespace tavro::preview {

// One form as the program shows it, filled for a preview: a dialog in its own window, or a
// page inside the main window beside the other three pages, the way the pages share their
// place.
class PreviewScene {
  public:
    // nullptr when a form cannot be built; `error` says which.
    static std::unique_ptr<PreviewScene> Build(qt::QtFormFactory& factory, int templateId,
                                               int controlType, const StringTable& strings,
                                               std::string& error);
    ~PreviewScene();
    PreviewScene(const PreviewScene&) = delete;
    PreviewScene& operator=(const PreviewScene&) = delete;

    qt::QtForm& Form() { return *form_; }
    QWidget& Window() { return *form_->TopWindow(); }
    // Shows the window at the size its layout asks for and lets it settle.
    void Show();
    QImage Grab();

  private:
    PreviewScene() = default;

    std::unique_ptr<qt::QtForm> main_;                // pages only
    std::vector<std::unique_ptr<qt::QtForm>> pages_;  // pages only
    std::unique_ptr<qt::QtForm> own_;                 // dialogs only
    qt::QtForm* form_ = nullptr;
};

// Draws every form asked for into PNG files; returns the files written, and a line per form
// that could not be drawn in `errors`.
std::vector<QString> RenderPreviews(const PreviewOptions& options,
                                    std::vector<std::string>& errors);

}  // namespace tavro::preview
