#include "cli/Json.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace tavro::cli {

namespace {

class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}

    JsonParse Run() {
        JsonParse result;
        JsonValue v;
        SkipSpace();
        if (Value(v, 0)) {
            SkipSpace();
            if (pos_ == text_.size()) {
                result.value = std::move(v);
                return result;
            }
        }
        result.errorAt = pos_ + 1;
        return result;
    }

  private:
    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }

    void SkipSpace() {
        while (!AtEnd() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\n' || Peek() == '\r')) {
            ++pos_;
        }
    }

    bool Literal(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word) {
            return false;
        }
        pos_ += word.size();
        return true;
    }

    bool Value(JsonValue& v, int depth) {
        if (depth > kJsonMaxDepth) {
            return false;
        }
        switch (Peek()) {
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
                return Literal("true");
            case 'f':
                v.kind = JsonValue::Kind::kBool;
                return Literal("false");
            case 'n':
                return Literal("null");
            default:
                return Number(v);
        }
    }

    bool Object(JsonValue& v, int depth) {
        v.kind = JsonValue::Kind::kObject;
        ++pos_;
        SkipSpace();
        if (Peek() == '}') {
            ++pos_;
            return true;
        }
        while (true) {
            SkipSpace();
            std::string key;
            if (Peek() != '"' || !String(key)) {
                return false;
            }
            SkipSpace();
            if (Peek() != ':') {
                return false;
            }
            ++pos_;
            SkipSpace();
            JsonValue member;
            if (!Value(member, depth + 1)) {
                return false;
            }
            v.members.push_back({std::move(key), std::move(member)});
            SkipSpace();
            if (Peek() == ',') {
                ++pos_;
                continue;
            }
            if (Peek() == '}') {
                ++pos_;
                return true;
            }
            return false;
        }
    }

    bool Array(JsonValue& v, int depth) {
        v.kind = JsonValue::Kind::kArray;
        ++pos_;
        SkipSpace();
        if (Peek() == ']') {
            ++pos_;
            return true;
        }
        while (true) {
            SkipSpace();
            JsonValue item;
            if (!Value(item, depth + 1)) {
                return false;
            }
            v.items.push_back(std::move(item));
            SkipSpace();
            if (Peek() == ',') {
                ++pos_;
                continue;
            }
            if (Peek() == ']') {
                ++pos_;
                return true;
            }
            return false;
        }
    }

    bool Hex4(std::uint32_t& out) {
        if (pos_ + 4 > text_.size()) {
            return false;
        }
        out = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[pos_++];
            out <<= 4U;
            if (c >= '0' && c <= '9') {
                out |= static_cast<std::uint32_t>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                out |= static_cast<std::uint32_t>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                out |= static_cast<std::uint32_t>(c - 'A' + 10);
            } else {
                return false;
            }
        }
        return true;
    }

    static void AppendUtf8(std::string& out, std::uint32_t cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    bool Escape(std::string& out) {
        const char c = Peek();
        ++pos_;
        switch (c) {
            case '"':
            case '\\':
            case '/':
                out += c;
                return true;
            case 'b':
                out += '\b';
                return true;
            case 'f':
                out += '\f';
                return true;
            case 'n':
                out += '\n';
                return true;
            case 'r':
                out += '\r';
                return true;
            case 't':
                out += '\t';
                return true;
            case 'u': {
                std::uint32_t cp = 0;
                if (!Hex4(cp)) {
                    return false;
                }
                if (cp >= 0xD800 && cp <= 0xDBFF) {
                    std::uint32_t low = 0;
                    if (!Literal("\\u") || !Hex4(low) || low < 0xDC00 || low > 0xDFFF) {
                        return false;
                    }
                    cp = 0x10000 + ((cp - 0xD800) << 10U) + (low - 0xDC00);
                } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
                    return false;
                }
                AppendUtf8(out, cp);
                return true;
            }
            default:
                return false;
        }
    }

    bool String(std::string& out) {
        ++pos_;  // the opening quote
        while (!AtEnd()) {
            const char c = text_[pos_];
            if (c == '"') {
                ++pos_;
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) {
                return false;
            }
            if (c == '\\') {
                ++pos_;
                if (!Escape(out)) {
                    return false;
                }
                continue;
            }
            out += c;
            ++pos_;
        }
        return false;
    }

    bool Number(JsonValue& v) {
        const std::size_t start = pos_;
        if (Peek() == '-') {
            ++pos_;
        }
        if (Peek() == '0') {
            ++pos_;
        } else if (Peek() >= '1' && Peek() <= '9') {
            while (Peek() >= '0' && Peek() <= '9') {
                ++pos_;
            }
        } else {
            return false;
        }
        if (Peek() == '.') {
            ++pos_;
            if (!(Peek() >= '0' && Peek() <= '9')) {
                return false;
            }
            while (Peek() >= '0' && Peek() <= '9') {
                ++pos_;
            }
        }
        if (Peek() == 'e' || Peek() == 'E') {
            ++pos_;
            if (Peek() == '+' || Peek() == '-') {
                ++pos_;
            }
            if (!(Peek() >= '0' && Peek() <= '9')) {
                return false;
            }
            while (Peek() >= '0' && Peek() <= '9') {
                ++pos_;
            }
        }
        double d = 0.0;
        const char* first = text_.data() + start;
        const char* last = text_.data() + pos_;
        const auto [end, ec] = std::from_chars(first, last, d);
        if (ec != std::errc() || end != last || !std::isfinite(d)) {
            pos_ = start;
            return false;
        }
        v.kind = JsonValue::Kind::kNumber;
        v.number = d;
        return true;
    }

    std::string_view text_;
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

JsonParse ParseJson(std::string_view text) {
    return Reader(text).Run();
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    static constexpr char kHex[] = "0123456789abcdef";
                    out += "\\u00";
                    out += kHex[c >> 4U];
                    out += kHex[c & 0x0FU];
                } else {
                    out += ch;
                }
        }
    }
    out += '"';
    return out;
}

std::string JsonFloat(float value) {
    if (!std::isfinite(value)) {
        return "0";
    }
    std::array<char, 32> buf{};
    const auto [end, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    return ec == std::errc() ? std::string(buf.data(), end) : std::string("0");
}

}  // namespace tavro::cli
