#pragma once

#include <QString>
#include <QTranslator>

#include "ui/StringTable.h"

namespace tavro::app {

// Qt's own texts (the file dialogs, the edit menus of text fields, standard buttons) in the
// user's language: qtbase's translation, installed into the running application for as long
// as this object lives. English needs none. A QCoreApplication must exist.
class QtTranslations {
  public:
    // `folder`: where "qtbase_<language>.qm" is looked for; empty for Qt's own folder.
    explicit QtTranslations(Language language, const QString& folder = {});
    ~QtTranslations();
    QtTranslations(const QtTranslations&) = delete;
    QtTranslations& operator=(const QtTranslations&) = delete;

    // Whether a translation was found and installed.
    bool Loaded() const { return loaded_; }

    // Qt's translations folder on this system.
    static QString DefaultFolder();

  private:
    QTranslator translator_;
    bool loaded_ = false;
};

}  // namespace tavro::app
