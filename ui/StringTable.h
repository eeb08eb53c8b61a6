#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tavro {

enum class Language { kEnglish, kJapanese };

struct StringEntry {
    int id;
    std::string_view text;
};

// One argument of a printf-style string-table entry, implicitly made from a number or a text;
// the formatter converts it to the type the conversion wants, so a mismatch never reaches printf.
class FormatArg {
  public:
    enum class Kind { kInt, kDouble, kText, kChar };

    template <typename T>
    requires std::is_integral_v<T> FormatArg(T value) {
        if constexpr (std::is_same_v<T, char>) {
            kind_ = Kind::kChar;
            int_ = static_cast<unsigned char>(value);
        } else if constexpr (std::is_unsigned_v<T> && sizeof(T) >= sizeof(std::int64_t)) {
            kind_ = Kind::kInt;
            int_ = value > static_cast<T>(INT64_MAX) ? INT64_MAX : static_cast<std::int64_t>(value);
        } else {
            kind_ = Kind::kInt;
            int_ = static_cast<std::int64_t>(value);
        }
    }
    FormatArg(double value) : kind_(Kind::kDouble), double_(value) {}
    FormatArg(float value) : kind_(Kind::kDouble), double_(value) {}
    FormatArg(long double value) : kind_(Kind::kDouble), double_(static_cast<double>(value)) {}
    FormatArg(std::string_view text) : kind_(Kind::kText), text_(text) {}
    FormatArg(const char* text)
        : kind_(Kind::kText),
          text_(text != nullptr ? std::string_view(text) : std::string_view()) {}
    FormatArg(const std::string& text) : kind_(Kind::kText), text_(text) {}

    Kind kind() const { return kind_; }
    std::int64_t AsInt() const;
    double AsDouble() const;
    std::string_view text() const { return text_; }

  private:
    Kind kind_;
    std::int64_t int_ = 0;
    double double_ = 0.0;
    std::string_view text_;
};

// One conversion of a printf format, "%%" excluded.
struct Conversion {
    std::string_view text;  // the whole conversion, from '%' to the conversion character
    std::string_view flags;
    int width = -1;      // -1: none; -2: '*'
    int precision = -1;  // -1: none; -2: '*'
    std::string_view length;
    char conversion = 0;  // 0 when the conversion is malformed
};

// The conversions of a format in order. A '%' that does not start a well-formed
// conversion yields an entry with conversion 0 covering the characters that were read.
std::vector<Conversion> ParseConversions(std::string_view format);

// printf semantics for the conversions the tables use, made safe: missing arguments expand
// to nothing, surplus ones are ignored, "%n" writes nothing, malformed conversions are
// copied as they stand, numbers always use '.' whatever the process locale.
std::string FormatArgs(std::string_view format, std::span<const FormatArg> args);

template <typename... Args>
std::string FormatPrintf(std::string_view format, const Args&... args) {
    const std::array<FormatArg, sizeof...(Args)> list{FormatArg(args)...};
    return FormatArgs(format, list);
}

// Both string tables, English and Japanese, with the same IDs; a view in one language.
class StringTable {
  public:
    explicit StringTable(Language language) : language_(language) {}

    Language language() const { return language_; }

    // The text of an ID; empty for an ID that is not in the table.
    std::string_view Text(int id) const;

    template <typename... Args>
    std::string Format(int id, const Args&... args) const {
        return FormatPrintf(Text(id), args...);
    }

    static std::span<const StringEntry> Entries(Language language);
    static std::vector<int> Ids(Language language);

  private:
    Language language_;
};

std::string_view LookupString(Language language, int id);

// True when both tables hold the ID.
bool HasString(int id);

// The IDs of a list that one of the tables lacks, in the order given; for checking the IDs
// that a page or dialog uses.
std::vector<int> MissingStrings(std::span<const int> ids);

}  // namespace tavro
