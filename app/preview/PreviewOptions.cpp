#include "app/preview/PreviewOptions.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace tavro::preview {

namespace {

// Dialogs first, then the main window, its pages and the expert dialogs.
constexpr std::array kTemplates{200, 157, 214, 202, 210, 211, 212,
                                213, 205, 100, 206, 203, 138, 204};

std::optional<int> ParseNumber(std::string_view text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::span<const int> PreviewTemplates() {
    return kTemplates;
}

bool IsPreviewTemplate(int templateId) {
    return std::find(kTemplates.begin(), kTemplates.end(), templateId) != kTemplates.end();
}

std::string_view PreviewUsage() {
    return "usage: tavro-form-preview --out DIR [--lang en|ja] [--type 1|2] [--forms DIR] "
           "[TEMPLATE...]\n"
           "Draws each form offscreen with its captions, lists and sample contents and writes\n"
           "DIR/<template>.png (and DIR/204-level0.png, the detail dialog without its PID "
           "section).\n";
}

std::optional<PreviewOptions> ParsePreviewArgs(std::span<const std::string_view> args,
                                               std::string& error) {
    PreviewOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const auto value = [&]() -> std::optional<std::string_view> {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                error = std::string(arg) + " needs a value";
                return std::nullopt;
            }
            return args[++i];
        };
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--lang") {
            const auto v = value();
            if (!v) {
                return std::nullopt;
            }
            if (*v == "en") {
                options.language = Language::kEnglish;
            } else if (*v == "ja") {
                options.language = Language::kJapanese;
            } else {
                error = "--lang takes en or ja, not '" + std::string(*v) + "'";
                return std::nullopt;
            }
        } else if (arg == "--type") {
            const auto v = value();
            if (!v) {
                return std::nullopt;
            }
            const auto type = ParseNumber(*v);
            if (!type || (*type != 1 && *type != 2)) {
                error = "--type takes 1 (step data) or 2 (pulse), not '" + std::string(*v) + "'";
                return std::nullopt;
            }
            options.controlType = *type;
        } else if (arg == "--out" || arg == "--forms") {
            const auto v = value();
            if (!v) {
                return std::nullopt;
            }
            (arg == "--out" ? options.outDir : options.formsDir) = std::string(*v);
        } else if (arg.starts_with("-")) {
            error = "unknown option '" + std::string(arg) + "'";
            return std::nullopt;
        } else {
            const auto id = ParseNumber(arg);
            if (!id || !IsPreviewTemplate(*id)) {
                error = "'" + std::string(arg) + "' is not a form the preview knows";
                return std::nullopt;
            }
            if (std::find(options.templates.begin(), options.templates.end(), *id) ==
                options.templates.end()) {
                options.templates.push_back(*id);
            }
        }
    }
    if (!options.help && options.outDir.empty()) {
        error = "--out DIR is required";
        return std::nullopt;
    }
    return options;
}

}  // namespace tavro::preview
