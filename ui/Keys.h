#pragma once

namespace tavro::ui::key {

// Key codes as the presenters compare them: the usual virtual-key numbers, so a table
// written as "Return (13)" or "Escape (27)" reads the same in code. Digits and letters are
// their upper-case ASCII codes ('0'..'9', 'A'..'Z'); keys without a code here arrive as 0.
inline constexpr int kNone = 0;
inline constexpr int kCancel = 3;  // Ctrl+Break
inline constexpr int kBack = 8;
inline constexpr int kTab = 9;
inline constexpr int kReturn = 13;
inline constexpr int kShift = 16;  // the modifier keys go down like any other key
inline constexpr int kControl = 17;
inline constexpr int kAlt = 18;
inline constexpr int kPause = 19;
inline constexpr int kEscape = 27;
inline constexpr int kSpace = 32;
inline constexpr int kPageUp = 33;
inline constexpr int kPageDown = 34;
inline constexpr int kEnd = 35;
inline constexpr int kHome = 36;
inline constexpr int kLeft = 37;
inline constexpr int kUp = 38;
inline constexpr int kRight = 39;
inline constexpr int kDown = 40;
inline constexpr int kInsert = 45;
inline constexpr int kDelete = 46;
inline constexpr int kF1 = 112;  // F1..F12 are consecutive
inline constexpr int kF12 = 123;

}  // namespace tavro::ui::key
