#include "ui/FileFilter.h"

namespace tavro::ui {

namespace {

std::string_view Trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

std::vector<std::string_view> Split(std::string_view s, char sep) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const auto at = s.find(sep, start);
        if (at == std::string_view::npos) {
            parts.push_back(s.substr(start));
            return parts;
        }
        parts.push_back(s.substr(start, at - start));
        start = at + 1;
    }
}

}  // namespace

std::vector<FilterEntry> ParseFileFilter(std::string_view filter) {
    std::vector<FilterEntry> entries;
    const auto fields = Split(filter, '|');
    for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
        FilterEntry entry;
        entry.description = std::string(Trim(fields[i]));
        for (std::string_view pattern : Split(fields[i + 1], ';')) {
            pattern = Trim(pattern);
            if (!pattern.empty()) {
                entry.patterns.emplace_back(pattern);
            }
        }
        if (entry.patterns.empty()) {
            continue;
        }
        if (entry.description.empty()) {
            entry.description = entry.patterns.front();
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::string FilterLabel(const FilterEntry& entry) {
    std::string_view description = entry.description;
    if (!description.empty() && description.back() == ')') {
        const auto open = description.rfind('(');
        if (open != std::string_view::npos) {
            description = Trim(description.substr(0, open));
        }
    }
    std::string label(description);
    if (!label.empty()) {
        label += ' ';
    }
    label += '(';
    for (std::size_t i = 0; i < entry.patterns.size(); ++i) {
        if (i > 0) {
            label += ' ';
        }
        label += entry.patterns[i];
    }
    label += ')';
    return label;
}

std::string WithDefaultExtension(std::string path, std::string_view extension) {
    while (!extension.empty() && extension.front() == '.') {
        extension.remove_prefix(1);
    }
    const auto slash = path.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (extension.empty() || nameStart >= path.size()) {
        return path;
    }
    // A leading dot names a hidden file; it is not an extension.
    const auto dot = path.find('.', nameStart + 1);
    if (dot != std::string::npos) {
        return path;
    }
    path += '.';
    path += extension;
    return path;
}

}  // namespace tavro::ui
