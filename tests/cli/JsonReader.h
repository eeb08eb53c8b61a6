#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tavro::cli::test {

// A JSON value as a strict reader found it, so a test can check that the tool's output is
// valid JSON and what it holds.
struct JsonValue {
    enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };
    Kind kind = Kind::kNull;
    bool boolean = false;
    double number = 0.0;
    std::string text;  // a string's characters, escapes kept as written
    std::vector<JsonValue> items;
    std::vector<std::pair<std::string, JsonValue>> members;

    // The member with this key, or nullptr.
    const JsonValue* Find(std::string_view key) const;
};

// The whole text as one JSON value (white space around it allowed); nullopt when anything
// in it is not JSON.
std::optional<JsonValue> ParseJson(std::string_view text);

}  // namespace tavro::cli::test
