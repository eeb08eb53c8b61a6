#pragma once

#include <QUiLoader>

namespace tavro::qt {

// Builds form files with the program's own widgets: Lamp, CColrBtn, PictureLabel, ReportList
// (also for QTableWidget), SpinButton, and sliders that can colour their channel.
class FormLoader : public QUiLoader {
  public:
    using QUiLoader::QUiLoader;

    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override;
};

}  // namespace tavro::qt
