#pragma once

#include <optional>
#include <string>
#include <vector>

#include "link/ParameterImage.h"
#include "stepdata/StepFile.h"
#include "ui/StringTable.h"

// What a step-data file would change: the fields whose values differ between the controller
// (the values read in this connection) and a file, or between two files.
namespace tavro {

// One field of the comparison; a side without a value holds nothing.
struct CompareRow {
    int group = 0;
    int parameter = 0;
    std::optional<float> left;   // the controller's value, or the first file's
    std::optional<float> right;  // the file's value, or the second file's
};

// The file's values against the controller copies, by group and parameter. A value the
// controller was not read for in this connection is left out. Values that the page shows
// alike (formatted with its units and decimals) do not differ.
std::vector<CompareRow> CompareWithController(const StepFileContents& file, ParameterImage& image,
                                              const StringTable& strings);

// The two files' values, by group and parameter; a value only one file carries is a
// difference.
std::vector<CompareRow> CompareFiles(const StepFileContents& first, const StepFileContents& second,
                                     const StringTable& strings);

// The value of one side as the page shows it; `missing` for a side without one.
std::string CompareSideText(const CompareRow& row, const std::optional<float>& side,
                            std::string_view missing, const StringTable& strings);

}  // namespace tavro
