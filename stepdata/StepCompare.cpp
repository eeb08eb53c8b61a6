#include "stepdata/StepCompare.h"

#include <algorithm>
#include <utility>

#include "stepdata/ParameterCatalog.h"

namespace tavro {

namespace {

bool ShownAlike(const CompareRow& row, const StringTable& strings) {
    if (!row.left || !row.right) {
        return false;
    }
    return *row.left == *row.right ||
           ParameterValueText(row.group, row.parameter, *row.left, strings) ==
               ParameterValueText(row.group, row.parameter, *row.right, strings);
}

const StepFileValue* Find(const StepFileContents& file, int group, int parameter) {
    const auto it = std::find_if(file.values.begin(), file.values.end(), [&](const auto& v) {
        return v.group == group && v.parameter == parameter;
    });
    return it == file.values.end() ? nullptr : &*it;
}

// In the order of the groups and their parameters: the basic settings, then step by step.
std::vector<CompareRow> Sorted(std::vector<CompareRow> rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const CompareRow& a, const CompareRow& b) {
        return std::pair(a.group, a.parameter) < std::pair(b.group, b.parameter);
    });
    return rows;
}

}  // namespace

std::vector<CompareRow> CompareWithController(const StepFileContents& file, ParameterImage& image,
                                              const StringTable& strings) {
    std::vector<CompareRow> rows;
    for (const StepFileValue& v : file.values) {
        // What this connection has not read is no value of the controller's; the views read
        // everything their downloads write, so only a cell no operation moves stays out.
        if (!image.ControllerRead(v.group, v.parameter)) {
            continue;
        }
        const CompareRow row{v.group, v.parameter,
                             image.GetCell(v.group, v.parameter, ParameterImage::kControllerCopy),
                             v.value};
        if (!ShownAlike(row, strings)) {
            rows.push_back(row);
        }
    }
    return Sorted(std::move(rows));
}

std::vector<CompareRow> CompareFiles(const StepFileContents& first, const StepFileContents& second,
                                     const StringTable& strings) {
    std::vector<CompareRow> rows;
    for (const StepFileValue& v : first.values) {
        CompareRow row{v.group, v.parameter, v.value, std::nullopt};
        if (const StepFileValue* other = Find(second, v.group, v.parameter)) {
            row.right = other->value;
        }
        if (!ShownAlike(row, strings)) {
            rows.push_back(row);
        }
    }
    for (const StepFileValue& v : second.values) {
        if (Find(first, v.group, v.parameter) == nullptr) {
            rows.push_back({v.group, v.parameter, std::nullopt, v.value});
        }
    }
    return Sorted(std::move(rows));
}

std::string CompareSideText(const CompareRow& row, const std::optional<float>& side,
                            std::string_view missing, const StringTable& strings) {
    if (!side) {
        return std::string(missing);
    }
    return ParameterValueText(row.group, row.parameter, *side, strings);
}

}  // namespace tavro
