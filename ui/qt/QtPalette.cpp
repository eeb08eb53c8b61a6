#include "ui/qt/QtPalette.h"

#include <QFontMetricsF>
#include <QStringList>

#include <algorithm>

#include "ui/FormPalette.h"

namespace tavro::qt {

namespace {

constexpr const char* kJapaneseFamilies[] = {"Noto Sans CJK JP", "Noto Sans JP", "IPAGothic",
                                             "TakaoGothic"};

QColor SystemColour(ui::SystemColour which, const QPalette& p) {
    switch (which) {
        case ui::SystemColour::kWindowText:
            return p.color(QPalette::Active, QPalette::WindowText);
        case ui::SystemColour::kGrayText:
            return p.color(QPalette::Disabled, QPalette::WindowText);
        case ui::SystemColour::kButtonHighlight:
            return p.color(QPalette::Active, QPalette::Light);
        case ui::SystemColour::kHighlight:
            return p.color(QPalette::Active, QPalette::Highlight);
        case ui::SystemColour::kHighlightText:
            return p.color(QPalette::Active, QPalette::HighlightedText);
        case ui::SystemColour::kWindow:
            return p.color(QPalette::Active, QPalette::Base);
        case ui::SystemColour::kButtonFace:
            return p.color(QPalette::Active, QPalette::Button);
        case ui::SystemColour::kNone:
            break;
    }
    return {};
}

}  // namespace

QColor PaletteColour(int index, const QPalette& system) {
    if (index < 0 || index >= static_cast<int>(ui::kPalette.size())) {
        return QColor(0, 0, 0);
    }
    const ui::PaletteEntry& entry = ui::kPalette[static_cast<std::size_t>(index)];
    if (entry.system != ui::SystemColour::kNone) {
        return SystemColour(entry.system, system);
    }
    return QColor(entry.red, entry.green, entry.blue);
}

QFont WithJapanesePreference(QFont font) {
    QStringList families;
    for (const char* family : kJapaneseFamilies) {
        families << QString::fromLatin1(family);
    }
    for (const QString& own : font.families()) {
        if (!families.contains(own)) {
            families << own;
        }
    }
    if (font.families().isEmpty()) {
        families << font.family();
    }
    font.setFamilies(families);
    return font;
}

QFont PaletteFont(int index, const QFont& formFont, bool japanese) {
    QFont font = japanese ? WithJapanesePreference(formFont) : formFont;
    if (index <= 0 || index >= static_cast<int>(ui::kFonts.size())) {
        return font;
    }
    const ui::FontEntry& entry = ui::kFonts[static_cast<std::size_t>(index)];
    const double factor = static_cast<double>(entry.height) / ui::kReferenceFontHeight;
    if (formFont.pointSizeF() > 0) {
        font.setPointSizeF(formFont.pointSizeF() * factor);
    } else if (formFont.pixelSize() > 0) {
        font.setPixelSize(std::max(1, static_cast<int>(formFont.pixelSize() * factor + 0.5)));
    }
    font.setWeight(entry.weight >= 700 ? QFont::Bold : QFont::Normal);
    return font;
}

double MetricsScale(const QFont& formFont) {
    const double height = QFontMetricsF(formFont).height();
    return std::max(1.0, height / ui::kReferenceFontHeight);
}

}  // namespace tavro::qt
