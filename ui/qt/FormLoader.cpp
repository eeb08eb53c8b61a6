#include "ui/qt/FormLoader.h"

#include <QTabBar>

#include "ui/qt/CColrBtn.h"
#include "ui/qt/Lamp.h"
#include "ui/qt/PaletteSlider.h"
#include "ui/qt/PictureLabel.h"
#include "ui/qt/QtOwnership.h"
#include "ui/qt/ReportList.h"
#include "ui/qt/SpinButton.h"

namespace tavro::qt {

namespace {

template <typename W>
QWidget* Make(QWidget* parent, const QString& name) {
    QWidget* widget = MakeQtOwned<W>(parent);
    widget->setObjectName(name);
    return widget;
}

}  // namespace

QWidget* FormLoader::createWidget(const QString& className, QWidget* parent, const QString& name) {
    if (className == QLatin1String("Lamp")) {
        return Make<Lamp>(parent, name);
    }
    if (className == QLatin1String("CColrBtn")) {
        return Make<CColrBtn>(parent, name);
    }
    if (className == QLatin1String("PictureLabel")) {
        return Make<PictureLabel>(parent, name);
    }
    if (className == QLatin1String("ReportList") || className == QLatin1String("QTableWidget")) {
        return Make<ReportList>(parent, name);
    }
    if (className == QLatin1String("SpinButton")) {
        return Make<SpinButton>(parent, name);
    }
    if (className == QLatin1String("QSlider")) {
        return Make<PaletteSlider>(parent, name);
    }
    if (className == QLatin1String("QTabBar")) {
        return Make<QTabBar>(parent, name);
    }
    return QUiLoader::createWidget(className, parent, name);
}

}  // namespace tavro::qt
