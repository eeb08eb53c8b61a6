#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ui/StringTable.h"

namespace tavro::preview {

// What tavro-form-preview is asked to draw and where the pictures go.
struct PreviewOptions {
    Language language = Language::kEnglish;
    int controlType = 1;
    std::string outDir;
    std::string formsDir;        // empty: the forms built into the program
    std::vector<int> templates;  // empty: every form
    bool help = false;
};

// The forms the preview knows, in the order it draws them.
std::span<const int> PreviewTemplates();
bool IsPreviewTemplate(int templateId);

// Reads the command line (without the program name). Anything it does not understand gives
// nothing and a one-line reason in `error`.
std::optional<PreviewOptions> ParsePreviewArgs(std::span<const std::string_view> args,
                                               std::string& error);

std::string_view PreviewUsage();

}  // namespace tavro::preview
