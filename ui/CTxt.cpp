#include "ui/CTxt.h"

#include <algorithm>

#include "ui/Language.h"

namespace tavro::ui {

namespace {

const FixedColourRow* FindFixed(ControlId control, std::span<const FixedColourRow> fixed) {
    for (const FixedColourRow& row : fixed) {
        if (row.control == control) {
            return &row;
        }
    }
    return nullptr;
}

}  // namespace

const PaletteEntry& CTxt::Colour(int index) {
    if (index < 0 || index >= kColourCount) {
        return kPalette[0];
    }
    return kPalette[static_cast<std::size_t>(index)];
}

ResolvedFont CTxt::Font(int index, Language language) {
    const FontEntry& entry =
        index < 0 || index >= kFontCount ? kFonts[0] : kFonts[static_cast<std::size_t>(index)];
    return {entry.height, entry.weight, FontRuleFor(language).charset};
}

Colours CTxt::ControlColours(ControlId control, bool enabled, std::span<const FixedColourRow> fixed,
                             const StateColourTable* state) {
    if (const FixedColourRow* row = FindFixed(control, fixed)) {
        return {row->background, row->text};
    }
    if (state == nullptr) {
        return {};
    }
    if (!enabled) {
        return {kColourDisabledBackground, kColourDisabledText};
    }
    for (const StateColourRow& row : state->rows) {
        if (row.control != control) {
            continue;
        }
        // A state the row has no entry for draws as default rather than past the lists.
        if (row.stateSlot < 0 || static_cast<std::size_t>(row.stateSlot) >= state->states.size()) {
            return {};
        }
        const int value = state->states[static_cast<std::size_t>(row.stateSlot)];
        const int count = std::min(row.count, static_cast<int>(kMaxColourStates));
        if (value < 0 || value >= count) {
            return {};
        }
        const auto at = static_cast<std::size_t>(value);
        return {row.background[at], row.text[at]};
    }
    return {};
}

std::optional<int> CTxt::FixedFont(ControlId control, std::span<const FixedColourRow> fixed,
                                   Language language) {
    if (const FixedColourRow* row = FindFixed(control, fixed)) {
        return FontIndexFor(language, row->fontJapanese, row->fontOther);
    }
    return std::nullopt;
}

}  // namespace tavro::ui
