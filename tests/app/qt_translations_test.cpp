#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QPushButton>
#include <QString>

#include "app/QtTranslations.h"

// Qt's own texts follow the user's language once qtbase's translation is loaded.
namespace tavro::test {
namespace {

QString QtText(const char* source) {
    return QCoreApplication::translate("QPlatformTheme", source);
}

TEST(QtTranslations, JapaneseInstallsQtbaseAndRemovesItAgain) {
    {
        app::QtTranslations translations(Language::kJapanese, QStringLiteral(TAVRO_TEST_QM_DIR));
        ASSERT_TRUE(translations.Loaded());
        EXPECT_EQ(QtText("Cancel"), QStringLiteral("キャンセル"));
        // What the toolkit builds itself, as in a file dialog.
        QDialogButtonBox box(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
        EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
        EXPECT_EQ(box.button(QDialogButtonBox::Save)->text(), QStringLiteral("保存"));
    }
    EXPECT_EQ(QtText("Cancel"), QStringLiteral("Cancel"));
}

TEST(QtTranslations, EnglishAndAMissingFileInstallNothing) {
    app::QtTranslations english(Language::kEnglish, QStringLiteral(TAVRO_TEST_QM_DIR));
    EXPECT_FALSE(english.Loaded());
    app::QtTranslations missing(Language::kJapanese, QStringLiteral("/nonexistent"));
    EXPECT_FALSE(missing.Loaded());
    EXPECT_EQ(QtText("Cancel"), QStringLiteral("Cancel"));
}

// The translation the system installs (Debian's qt6-translations-l10n) in Qt's own folder.
TEST(QtTranslations, TheSystemsJapaneseTranslationIsFound) {
    if (!QFile::exists(app::QtTranslations::DefaultFolder() + QStringLiteral("/qtbase_ja.qm"))) {
        GTEST_SKIP() << "qtbase_ja.qm is not installed in "
                     << qPrintable(app::QtTranslations::DefaultFolder());
    }
    app::QtTranslations translations(Language::kJapanese);
    ASSERT_TRUE(translations.Loaded());
    EXPECT_NE(QtText("Cancel"), QStringLiteral("Cancel"));
}

}  // namespace
}  // namespace tavro::test
