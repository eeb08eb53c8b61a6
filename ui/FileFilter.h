#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tavro::ui {

struct FilterEntry {
    std::string description;
    std::vector<std::string> patterns;  // "*.dat"

    friend bool operator==(const FilterEntry&, const FilterEntry&) = default;
};

// Reads a filter written as one string: description and pattern list alternate,
// separated by '|', patterns within a list by ';', the end marked by "||". Spaces around the
// parts do not count. Entries without a pattern are dropped.
std::vector<FilterEntry> ParseFileFilter(std::string_view filter);

// "Step Data File (*.dat)": the description with its own trailing "(...)" replaced by the
// patterns that really apply, the form toolkit dialogs read the patterns from.
std::string FilterLabel(const FilterEntry& entry);

// The path with ".<extension>" appended when its file name has no extension of its own.
std::string WithDefaultExtension(std::string path, std::string_view extension);

}  // namespace tavro::ui
