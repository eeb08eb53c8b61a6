#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The JSON the command-line tool prints and the backups it reads back: a strict reader
// that survives any input, and the few writing helpers the commands share.
namespace tavro::cli {

struct JsonMember;

struct JsonValue {
    enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };
    Kind kind = Kind::kNull;
    bool boolean = false;
    double number = 0.0;
    std::string text;  // a string, escapes decoded to UTF-8
    std::vector<JsonValue> items;
    // Not a std::pair: a pair of a type still incomplete here does not build with clang.
    std::vector<JsonMember> members;

    // The first member with this key, or nullptr (also for a value that is not an object).
    const JsonValue* Find(std::string_view key) const;
    bool IsNumber() const { return kind == Kind::kNumber; }
    bool IsString() const { return kind == Kind::kString; }
};

struct JsonMember {
    std::string key;
    JsonValue value;
};

struct JsonParse {
    std::optional<JsonValue> value;
    std::size_t errorAt = 0;  // 1-based character where the text stopped being JSON
};

// The whole text as one value. Nesting deeper than kMaxDepth, numbers that do not fit a
// double and strings with broken escapes or control characters are refused.
inline constexpr int kJsonMaxDepth = 32;
JsonParse ParseJson(std::string_view text);

// A string literal with the escapes JSON needs.
std::string JsonString(std::string_view text);
// The shortest decimal that reads back as the same float; 0 for what is not finite.
std::string JsonFloat(float value);

}  // namespace tavro::cli
