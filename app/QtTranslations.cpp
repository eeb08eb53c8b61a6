#include "app/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace tavro::app {

QtTranslations::QtTranslations(Language language, const QString& folder) {
    if (language != Language::kJapanese) {
        return;
    }
    const QString from = folder.isEmpty() ? DefaultFolder() : folder;
    loaded_ = translator_.load(QStringLiteral("qtbase_ja"), from) &&
              QCoreApplication::installTranslator(&translator_);
}

QtTranslations::~QtTranslations() {
    if (loaded_) {
        QCoreApplication::removeTranslator(&translator_);
    }
}

QString QtTranslations::DefaultFolder() {
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

}  // namespace tavro::app
