#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QString>
#include <QWidget>
#include <string>

#include "ui/StringTable.h"
#include "ui/qt/QtFormFactory.h"

namespace tavro::test {

// The program's own form file of a dialog template.
inline QString PageFormFile(int templateId) {
    return QStringLiteral(TAVRO_RESOURCE_FORMS_DIR "/%1.ui").arg(templateId);
}

// The program's pictures, and the fonts of the language.
inline qt::QtFormOptions PageFormOptions(Language language) {
    qt::QtFormOptions options;
    options.pictureFolders << QStringLiteral(TAVRO_RESOURCE_PICTURES_DIR);
    options.japanese = language == Language::kJapanese;
    return options;
}

// The window as drawn once the pending events ran, saved as "<name>.png" beside the tests.
inline QImage Shot(QWidget& window, const std::string& name) {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
    }
    const QImage image = window.grab().toImage();
    const QString path =
        QStringLiteral(TAVRO_TEST_OUTPUT_DIR "/%1.png").arg(QString::fromStdString(name));
    QFile::remove(path);
    EXPECT_TRUE(image.save(path)) << path.toStdString();
    return image;
}

}  // namespace tavro::test
