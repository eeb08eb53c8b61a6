#include "ui/qt/QtFileChooser.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QTimer>

#include "ui/FileFilter.h"

namespace tavro::qt {

QStringList QtFileChooser::NameFilters(const std::string& filter) {
    QStringList filters;
    for (const ui::FilterEntry& entry : ui::ParseFileFilter(filter)) {
        filters << QString::fromStdString(ui::FilterLabel(entry));
    }
    return filters;
}

std::optional<std::string> QtFileChooser::ChooseSave(const ui::FileRequest& request) {
    return Run(request, true);
}

std::optional<std::string> QtFileChooser::ChooseOpen(const ui::FileRequest& request) {
    return Run(request, false);
}

std::optional<std::string> QtFileChooser::Run(const ui::FileRequest& request, bool save) {
    QFileDialog dialog(parent_ ? parent_() : nullptr);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog, toolkitDialog_);
    // The presenter asks about replacing a file, with the full path once the default
    // extension is added; a second question from the dialog would only repeat it.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    const QStringList filters = NameFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
    }
    if (!request.defaultExtension.empty()) {
        dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    }
    if (!request.initialName.empty()) {
        dialog.selectFile(QString::fromStdString(request.initialName));
    }
    if (!request.title.empty()) {
        dialog.setWindowTitle(QString::fromStdString(request.title));
    }
    if (onShown_) {
        QTimer::singleShot(0, &dialog, [this, &dialog] { onShown_(dialog); });
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    std::string path = dialog.selectedFiles().front().toStdString();
    if (save) {
        // Some desktop dialogs ignore the default suffix.
        return ui::WithDefaultExtension(std::move(path), request.defaultExtension);
    }
    if (!QFileInfo(QString::fromStdString(path)).isFile()) {
        return std::nullopt;
    }
    return path;
}

}  // namespace tavro::qt
