#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

#include "ui/FileChooser.h"

class QFileDialog;

namespace tavro::qt {

// File dialogs: the presenters' filter text turned into the toolkit's, the default extension
// added to a name typed without one, and only existing files accepted for opening. Whether to
// replace an existing file is the presenters' question, not the dialog's.
class QtFileChooser : public ui::FileChooser {
  public:
    explicit QtFileChooser(std::function<QWidget*()> parent = {}) : parent_(std::move(parent)) {}

    std::optional<std::string> ChooseSave(const ui::FileRequest& request) override;
    std::optional<std::string> ChooseOpen(const ui::FileRequest& request) override;

    // The toolkit's name filters for a presenter's filter text.
    static QStringList NameFilters(const std::string& filter);

    // Called with the dialog once it is up (tests fill it in and accept it).
    void SetOnShown(std::function<void(QFileDialog& dialog)> onShown) {
        onShown_ = std::move(onShown);
    }
    // The toolkit's own dialog instead of the desktop's (tests, and desktops whose dialog
    // ignores the default extension).
    void SetUseToolkitDialog(bool on) { toolkitDialog_ = on; }

  private:
    std::optional<std::string> Run(const ui::FileRequest& request, bool save);

    std::function<QWidget*()> parent_;
    std::function<void(QFileDialog&)> onShown_;
    bool toolkitDialog_ = false;
};

}  // namespace tavro::qt
