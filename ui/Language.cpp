#include "ui/Language.h"

#include <array>
#include <cstdlib>

namespace tavro {
namespace {

// Families that Linux desktops ship for Japanese, the first installed one wins.
constexpr std::array<std::string_view, 6> kJapaneseFamilies = {
    "Noto Sans CJK JP", "Noto Sans JP", "IPAexGothic", "IPAGothic", "VL Gothic", "TakaoPGothic",
};

constexpr std::array<FontRule, 2> kFontRules = {{
    {Language::kEnglish, false, 0, {}},
    {Language::kJapanese, true, 128, kJapaneseFamilies},
}};

std::string ReadEnv(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

}  // namespace

LocaleEnvironment LocaleEnvironment::FromProcess() {
    return {ReadEnv("LC_ALL"), ReadEnv("LC_MESSAGES"), ReadEnv("LANG")};
}

Language UiLanguage(const LocaleEnvironment& env) {
    for (const std::string* value : {&env.lcAll, &env.lcMessages, &env.lang}) {
        if (!value->empty()) {
            return value->starts_with("ja") ? Language::kJapanese : Language::kEnglish;
        }
    }
    return Language::kEnglish;
}

const FontRule& FontRuleFor(Language language) {
    for (const FontRule& rule : kFontRules) {
        if (rule.language == language) {
            return rule;
        }
    }
    return kFontRules.front();
}

int FontIndexFor(Language language, int japaneseIndex, int otherIndex) {
    return FontRuleFor(language).japaneseCharset ? japaneseIndex : otherIndex;
}

}  // namespace tavro
