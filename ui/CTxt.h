#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>

#include "ui/FormPalette.h"
#include "ui/FormTypes.h"
#include "ui/StringTable.h"

namespace tavro::ui {

inline constexpr int kColourCount = 17;
inline constexpr int kFontCount = 15;

// What a disabled control of a dialog with a state table is drawn in.
inline constexpr int kColourDisabledBackground = 10;
inline constexpr int kColourDisabledText = 3;

// A control whose font and colours never change.
struct FixedColourRow {
    ControlId control;
    int fontJapanese;
    int fontOther;
    int background;
    int text;
};

inline constexpr std::size_t kMaxColourStates = 4;

// A control whose colours follow one of its dialog's state values: entry `state` of the lists.
struct StateColourRow {
    ControlId control;
    int stateSlot;  // index into the dialog's state values
    int count;      // entries in use
    std::array<int, kMaxColourStates> background;
    std::array<int, kMaxColourStates> text;
};

// A dialog's state-colour rows with the current values of its states.
struct StateColourTable {
    std::span<const StateColourRow> rows;
    std::span<const int> states;
};

struct ResolvedFont {
    int height;   // 0 keeps the form's
    int weight;   // 0 keeps the form's
    int charset;  // 128 Shift-JIS, 0 ANSI
};

// The palette of 17 colours, the 15 fonts derived from a form's font, and the rule that picks
// a control's colours when its dialog paints it.
class CTxt {
  public:
    CTxt() = default;
    virtual ~CTxt() = default;

    // An index outside the palette gives colour 0.
    static const PaletteEntry& Colour(int index);
    // An index outside the fonts gives font 0.
    static ResolvedFont Font(int index, Language language);

    // (background, text) palette indices; (0, 0) means the control's default colours.
    // Without a state table only the fixed rows colour a control.
    static Colours ControlColours(ControlId control, bool enabled,
                                  std::span<const FixedColourRow> fixed,
                                  const StateColourTable* state = nullptr);
    // The font index of a fixed row for the language; nothing when the control has none.
    static std::optional<int> FixedFont(ControlId control, std::span<const FixedColourRow> fixed,
                                        Language language);
};

}  // namespace tavro::ui
