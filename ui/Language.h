#pragma once

#include <span>
#include <string>
#include <string_view>

#include "ui/StringTable.h"

namespace tavro {

// The locale variables that decide the user-interface language, read once at start-up;
// tests fill it by hand so that the machine's own locale does not matter.
struct LocaleEnvironment {
    std::string lcAll;
    std::string lcMessages;
    std::string lang;

    static LocaleEnvironment FromProcess();
};

// Japanese when the first non-empty of LC_ALL, LC_MESSAGES and LANG starts with "ja".
Language UiLanguage(const LocaleEnvironment& env);

// How fonts follow the language: the Japanese character set and a Japanese font family
// when the interface is Japanese, the toolkit's default font otherwise.
struct FontRule {
    Language language;
    bool japaneseCharset;
    int charset;                                 // 128 Shift-JIS, 0 ANSI
    std::span<const std::string_view> families;  // preferred families, best first
};

const FontRule& FontRuleFor(Language language);

// Per-control font tables name one font index for Japanese and one for other languages.
int FontIndexFor(Language language, int japaneseIndex, int otherIndex);

}  // namespace tavro
