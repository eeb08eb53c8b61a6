#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

#include "ui/FormTypes.h"

namespace tavro::qt {

// A palette index as a colour: fixed entries as they are, system entries from `system`
// (the palette of the widget being drawn). Indices outside the palette give black.
QColor PaletteColour(int index, const QPalette& system);

// Font `index` of the 15 derived from a form's font: the reference heights scaled to the
// form's font size, the weights as given. With `japanese`, a Japanese family comes first.
QFont PaletteFont(int index, const QFont& formFont, bool japanese);

// The family preference of a Japanese user interface put in front of a font's own.
QFont WithJapanesePreference(QFont font);

// How much larger than the reference layout the form's font is drawn (at least 1), for
// pixel sizes given by presenters (column widths, heights).
double MetricsScale(const QFont& formFont);

}  // namespace tavro::qt
