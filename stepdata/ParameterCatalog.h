#pragma once

#include <string>

#include "ui/StringTable.h"

// What each controller parameter g/p is called and how the page that edits it shows its
// value: for the compare window and for the command-line tool's backups.
namespace tavro {

// Which step or group a parameter belongs to: "Step 3" (the number the lists show) or
// "Group 0".
std::string ParameterWhere(int group, int parameter, int controlType, const StringTable& strings);

// The parameter's name, "Target position" or "Kp of STA"; a parameter without a name of its
// own is called by its address, "g/p".
std::string ParameterCaption(int group, int parameter, const StringTable& strings);

// The value in the page's units and words: 5000 in a target position is "5.000", 32774 in
// an operation word "Push, pushing speed 6". A value no page offers keeps its number.
std::string ParameterValueText(int group, int parameter, float value, const StringTable& strings);

}  // namespace tavro
