#include "ui/qt/PictureFiles.h"

#include <QFileInfo>

namespace tavro::qt {

QString FindPictureFile(int number, const QStringList& folders) {
    if (number <= 0) {
        return {};
    }
    QStringList places{QStringLiteral(":/pictures")};
    places << folders;
    for (const QString& place : places) {
        for (const char* extension : {"svg", "png"}) {
            const QString path =
                QStringLiteral("%1/%2.%3").arg(place).arg(number).arg(QLatin1String(extension));
            if (QFileInfo::exists(path)) {
                return path;
            }
        }
    }
    return {};
}

}  // namespace tavro::qt
