#include "tests/cli/JsonReader.h"

#include <cstdlib>

namespace tavro::cli::test {

namespace {

constexpr int kMaxDepth = 64;

class Reader {
  public:
    explicit Reader(std::string_view text) : s_(text) {}

    std::optional<JsonValue> Document() {
        JsonValue v;
        if (!Value(v, 0)) {
            return std::nullopt;
        }
        Space();
        return pos_ == s_.size() ? std::optional<JsonValue>(std::move(v)) : std::nullopt;
    }

  private:
    void Space() {
        while (pos_ < s_.size() &&
               (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\n' || s_[pos_] == '\r')) {
            ++pos_;
        }
    }

    bool Take(char c) {
        if (pos_ < s_.size() && s_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    bool Word(std::string_view w) {
        if (s_.substr(pos_, w.size()) != w) {
            return false;
        }
        pos_ += w.size();
        return true;
    }

    bool Digits() {
        const std::size_t start = pos_;
        while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') {
            ++pos_;
        }
        return pos_ > start;
    }

    bool Number(JsonValue& v) {
        const std::size_t start = pos_;
        Take('-');
        if (Take('0')) {
            // no leading zeros
        } else if (!Digits()) {
            return false;
        }
        if (Take('.') && !Digits()) {
            return false;
        }
        if (Take('e') || Take('E')) {
            if (!Take('+')) {
                Take('-');
            }
            if (!Digits()) {
                return false;
            }
        }
        v.kind = JsonValue::Kind::kNumber;
        v.number = std::strtod(std::string(s_.substr(start, pos_ - start)).c_str(), nullptr);
        return true;
    }

    bool String(std::string& out) {
        if (!Take('"')) {
            return false;
        }
        while (pos_ < s_.size()) {
            const char c = s_[pos_++];
            if (c == '"') {
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) {
                return false;
            }
            out += c;
            if (c != '\\') {
                continue;
            }
            if (pos_ >= s_.size()) {
                return false;
            }
            const char e = s_[pos_++];
            out += e;
            if (e == 'u') {
                for (int i = 0; i < 4; ++i) {
                    if (pos_ >= s_.size() ||
                        std::string_view("0123456789abcdefABCDEF").find(s_[pos_]) ==
                            std::string_view::npos) {
                        return false;
                    }
                    out += s_[pos_++];
                }
            } else if (std::string_view("\"\\/bfnrt").find(e) == std::string_view::npos) {
                return false;
            }
        }
        return false;
    }

    bool Value(JsonValue& v, int depth) {
        if (depth > kMaxDepth) {
            return false;
        }
        Space();
        if (pos_ >= s_.size()) {
            return false;
        }
        switch (s_[pos_]) {
            case '{':
                return Object(v, depth);
            case '[':
                return Array(v, depth);
            case '"':
                v.kind = JsonValue::Kind::kString;
                return String(v.text);
            case 't':
                v.kind = JsonValue::Kind::kBool;
                v.boolean = true;
                return Word("true");
            case 'f':
                v.kind = JsonValue::Kind::kBool;
                return Word("false");
            case 'n':
                return Word("null");
            default:
                return Number(v);
        }
    }

    bool Array(JsonValue& v, int depth) {
        v.kind = JsonValue::Kind::kArray;
        Take('[');
        Space();
        if (Take(']')) {
            return true;
        }
        do {
            JsonValue item;
            if (!Value(item, depth + 1)) {
                return false;
            }
            v.items.push_back(std::move(item));
            Space();
        } while (Take(','));
        return Take(']');
    }

    bool Object(JsonValue& v, int depth) {
        v.kind = JsonValue::Kind::kObject;
        Take('{');
        Space();
        if (Take('}')) {
            return true;
        }
        do {
            Space();
            std::string key;
            if (!String(key)) {
                return false;
            }
            Space();
            if (!Take(':')) {
                return false;
            }
            JsonValue member;
            if (!Value(member, depth + 1)) {
                return false;
            }
            v.members.emplace_back(std::move(key), std::move(member));
            Space();
        } while (Take(','));
        return Take('}');
    }

    std::string_view s_;
    std::size_t pos_ = 0;
};

}  // namespace

const JsonValue* JsonValue::Find(std::string_view key) const {
    for (const auto& [k, v] : members) {
        if (k == key) {
            return &v;
        }
    }
    return nullptr;
}

std::optional<JsonValue> ParseJson(std::string_view text) {
    return Reader(text).Document();
}

}  // namespace tavro::cli::test
