#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavro {

// Reading and writing INI files the way the Windows profile functions do: sections and
// keys matched without regard to case, the first occurrence wins, a number is its leading
// integer. Writes go to a temporary file that replaces the old one, so a failed write
// never leaves a damaged file behind.
class ProfileFile {
  public:
    explicit ProfileFile(std::string path) : path_(std::move(path)) {}
    virtual ~ProfileFile() = default;

    const std::string& Path() const { return path_; }

    // The value's text, or nullopt when the file, section or key is missing.
    std::optional<std::string> GetString(const std::string& section, const std::string& key) const;

    // The leading decimal integer of the value; `fallback` when the key is missing; 0 for a
    // value that is negative or does not start with a digit; saturated when too large.
    int GetInt(const std::string& section, const std::string& key, int fallback) const;

    bool WriteString(const std::string& section, const std::string& key, const std::string& value);
    bool WriteInt(const std::string& section, const std::string& key, int value) {
        return WriteString(section, key, std::to_string(value));
    }

    // The same on a file's text: the value of the key, and the text with the key set.
    static std::optional<std::string> Lookup(std::string_view content, const std::string& section,
                                             const std::string& key);
    static std::string Replace(std::string_view content, const std::string& section,
                               const std::string& key, const std::string& value);

    // Leading-integer semantics on their own, for tests and other readers.
    static int LeadingInt(const std::string& text);

  private:
    std::string path_;
};

}  // namespace tavro
