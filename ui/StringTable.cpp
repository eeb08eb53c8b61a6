#include "ui/StringTable.h"

#include <algorithm>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdio>

namespace tavro {
namespace {

constexpr StringEntry kEnglish[] = {
#include "resources/strings/en.inc"
};

constexpr StringEntry kJapanese[] = {
#include "resources/strings/ja.inc"
};

// Bounds a width or precision, so that no entry can ask for an absurd amount of padding.
constexpr int kMaxField = 1024;

constexpr std::string_view kFlagChars = "-+ #0";
constexpr std::string_view kConversionChars = "diouxXeEfFgGaAcCsSpn";

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads the decimal digits at pos; saturates instead of overflowing.
int ReadNumber(std::string_view f, std::size_t& pos) {
    int value = 0;
    while (pos < f.size() && IsDigit(f[pos])) {
        if (value < kMaxField * 10) {
            value = value * 10 + (f[pos] - '0');
        }
        ++pos;
    }
    return value;
}

// The conversion that starts at f[start] == '%' (which is not "%%").
Conversion ParseOne(std::string_view f, std::size_t start) {
    Conversion c;
    std::size_t pos = start + 1;
    const std::size_t flagsBegin = pos;
    while (pos < f.size() && kFlagChars.find(f[pos]) != std::string_view::npos) {
        ++pos;
    }
    c.flags = f.substr(flagsBegin, pos - flagsBegin);
    if (pos < f.size() && f[pos] == '*') {
        c.width = -2;
        ++pos;
    } else if (pos < f.size() && IsDigit(f[pos])) {
        c.width = ReadNumber(f, pos);
    }
    if (pos < f.size() && f[pos] == '.') {
        ++pos;
        if (pos < f.size() && f[pos] == '*') {
            c.precision = -2;
            ++pos;
        } else {
            c.precision = ReadNumber(f, pos);
        }
    }
    const std::size_t lengthBegin = pos;
    if (pos < f.size() && (f[pos] == 'h' || f[pos] == 'l')) {
        const char first = f[pos];
        ++pos;
        if (pos < f.size() && f[pos] == first) {
            ++pos;
        }
    } else if (pos < f.size() && std::string_view("Lqjzt").find(f[pos]) != std::string_view::npos) {
        ++pos;
    }
    c.length = f.substr(lengthBegin, pos - lengthBegin);
    if (pos < f.size() && kConversionChars.find(f[pos]) != std::string_view::npos) {
        c.conversion = f[pos];
        ++pos;
    }
    c.text = f.substr(start, pos - start);
    return c;
}

int ClampField(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, -kMaxField, kMaxField));
}

// A printf format for exactly one argument, built from parsed parts only.
std::string OneArgFormat(std::string_view flags, int width, int precision, std::string_view length,
                         char conversion) {
    std::string fmt = "%";
    fmt += flags;
    if (width >= 0) {
        fmt += std::to_string(width);
    }
    if (precision >= 0) {
        fmt += '.';
        fmt += std::to_string(precision);
    }
    fmt += length;
    fmt += conversion;
    return fmt;
}

template <typename T>
void AppendPrintf(std::string& out, const std::string& fmt, T value) {
    char small[128];
    const int n = std::snprintf(small, sizeof small, fmt.c_str(), value);
    if (n < 0) {
        return;
    }
    if (static_cast<std::size_t>(n) < sizeof small) {
        out.append(small, static_cast<std::size_t>(n));
        return;
    }
    std::string big(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(big.data(), big.size(), fmt.c_str(), value);
    big.resize(static_cast<std::size_t>(n));
    out += big;
}

// The files, the protocol and the tables want '.', whatever locale the toolkit has set.
void NormalizeDecimalPoint(std::string& out, std::size_t from) {
    const std::lconv* lc = std::localeconv();
    const std::string_view point =
        lc != nullptr && lc->decimal_point != nullptr ? lc->decimal_point : ".";
    if (point.empty() || point == ".") {
        return;
    }
    const std::size_t pos = out.find(point, from);
    if (pos != std::string::npos) {
        out.replace(pos, point.size(), ".");
    }
}

void AppendUtf8(std::string& out, std::int64_t code) {
    if (code < 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        code = 0xFFFD;
    }
    const auto cp = static_cast<std::uint32_t>(code);
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

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// At most max bytes of text, never cutting a UTF-8 sequence in two.
std::string_view Utf8Prefix(std::string_view text, std::size_t max) {
    if (text.size() <= max) {
        return text;
    }
    std::size_t end = max;
    while (end > 0 && IsContinuationByte(text[end])) {
        --end;
    }
    return text.substr(0, end);
}

void AppendPadded(std::string& out, std::string_view body, int width, bool left) {
    const std::size_t w = width > 0 ? static_cast<std::size_t>(width) : 0;
    const std::size_t pad = body.size() < w ? w - body.size() : 0;
    if (!left) {
        out.append(pad, ' ');
    }
    out += body;
    if (left) {
        out.append(pad, ' ');
    }
}

std::string ArgAsText(const FormatArg& arg) {
    switch (arg.kind()) {
        case FormatArg::Kind::kText:
            return std::string(arg.text());
        case FormatArg::Kind::kChar: {
            std::string s;
            if (arg.AsInt() != 0) {
                s += static_cast<char>(arg.AsInt());
            }
            return s;
        }
        case FormatArg::Kind::kInt:
            return std::to_string(arg.AsInt());
        case FormatArg::Kind::kDouble: {
            std::string s;
            AppendPrintf(s, "%g", arg.AsDouble());
            NormalizeDecimalPoint(s, 0);
            return s;
        }
    }
    return {};
}

std::string_view TableText(std::span<const StringEntry> table, int id) {
    const auto it = std::lower_bound(table.begin(), table.end(), id,
                                     [](const StringEntry& e, int key) { return e.id < key; });
    if (it == table.end() || it->id != id) {
        return {};
    }
    return it->text;
}

bool TableHas(std::span<const StringEntry> table, int id) {
    return std::binary_search(
        table.begin(), table.end(), StringEntry{id, {}},
        [](const StringEntry& a, const StringEntry& b) { return a.id < b.id; });
}

}  // namespace

std::int64_t FormatArg::AsInt() const {
    if (kind_ != Kind::kDouble) {
        return int_;
    }
    if (std::isnan(double_)) {
        return 0;
    }
    if (double_ >= 9.2e18) {
        return INT64_MAX;
    }
    if (double_ <= -9.2e18) {
        return INT64_MIN;
    }
    return static_cast<std::int64_t>(double_);
}

double FormatArg::AsDouble() const {
    return kind_ == Kind::kDouble ? double_ : static_cast<double>(int_);
}

std::vector<Conversion> ParseConversions(std::string_view format) {
    std::vector<Conversion> result;
    std::size_t pos = 0;
    while ((pos = format.find('%', pos)) != std::string_view::npos) {
        if (pos + 1 < format.size() && format[pos + 1] == '%') {
            pos += 2;
            continue;
        }
        result.push_back(ParseOne(format, pos));
        pos += result.back().text.size();
    }
    return result;
}

std::string FormatArgs(std::string_view format, std::span<const FormatArg> args) {
    std::string out;
    std::size_t next = 0;
    const auto take = [&]() -> const FormatArg* {
        return next < args.size() ? &args[next++] : nullptr;
    };
    std::size_t pos = 0;
    while (pos < format.size()) {
        const std::size_t pct = format.find('%', pos);
        if (pct == std::string_view::npos) {
            out += format.substr(pos);
            break;
        }
        out += format.substr(pos, pct - pos);
        if (pct + 1 < format.size() && format[pct + 1] == '%') {
            out += '%';
            pos = pct + 2;
            continue;
        }
        const Conversion c = ParseOne(format, pct);
        pos = pct + c.text.size();
        if (c.conversion == 0) {
            out += c.text;
            continue;
        }

        std::string flags(c.flags);
        int width = c.width;
        int precision = c.precision;
        if (width == -2) {
            const FormatArg* w = take();
            width = -1;
            if (w != nullptr) {
                // A negative width from the arguments means left-justified, as in printf.
                width = ClampField(w->AsInt());
                if (width < 0) {
                    flags += '-';
                    width = -width;
                }
            }
        }
        if (precision == -2) {
            const FormatArg* p = take();
            precision = p != nullptr ? ClampField(p->AsInt()) : -1;
            if (precision < 0) {
                precision = -1;
            }
        }
        width = std::min(width, kMaxField);
        precision = std::min(precision, kMaxField);
        const bool left = flags.find('-') != std::string::npos;

        const FormatArg* arg = take();
        if (arg == nullptr || c.conversion == 'n' || c.conversion == 'p') {
            continue;
        }
        const char conv = c.conversion;
        if (arg->kind() == FormatArg::Kind::kText && conv != 's' && conv != 'S' && conv != 'c' &&
            conv != 'C') {
            // A text where a number is expected is shown as it is rather than lost.
            AppendPadded(out, arg->text(), width, left);
            continue;
        }
        switch (conv) {
            case 'd':
            case 'i':
                std::erase(flags, '#');  // undefined for these conversions
                AppendPrintf(out, OneArgFormat(flags, width, precision, "ll", conv),
                             static_cast<long long>(arg->AsInt()));
                break;
            case 'o':
            case 'u':
            case 'x':
            case 'X': {
                if (conv == 'u') {
                    std::erase(flags, '#');
                }
                const std::int64_t v = arg->AsInt();
                // A negative int prints as its 32-bit pattern, as printf does for an int.
                const unsigned long long u =
                    v < 0 && v >= INT_MIN
                        ? static_cast<unsigned long long>(static_cast<unsigned int>(v))
                        : static_cast<unsigned long long>(v);
                AppendPrintf(out, OneArgFormat(flags, width, precision, "ll", conv), u);
                break;
            }
            case 'e':
            case 'E':
            case 'f':
            case 'F':
            case 'g':
            case 'G':
            case 'a':
            case 'A': {
                const std::size_t from = out.size();
                AppendPrintf(out, OneArgFormat(flags, width, precision, "", conv), arg->AsDouble());
                NormalizeDecimalPoint(out, from);
                break;
            }
            case 'c':
            case 'C': {
                std::string body;
                if (arg->kind() == FormatArg::Kind::kText) {
                    const std::string_view t = arg->text();
                    std::size_t len = t.empty() ? 0 : 1;
                    while (len < t.size() && IsContinuationByte(t[len])) {
                        ++len;
                    }
                    body = t.substr(0, len);
                } else if (arg->kind() == FormatArg::Kind::kChar) {
                    if (arg->AsInt() != 0) {
                        body += static_cast<char>(arg->AsInt());
                    }
                } else if (arg->AsInt() != 0) {
                    AppendUtf8(body, arg->AsInt());
                }
                AppendPadded(out, body, width, left);
                break;
            }
            default: {  // 's', 'S'
                const std::string text = ArgAsText(*arg);
                const std::string_view body =
                    precision >= 0 ? Utf8Prefix(text, static_cast<std::size_t>(precision))
                                   : std::string_view(text);
                AppendPadded(out, body, width, left);
                break;
            }
        }
    }
    return out;
}

std::string_view StringTable::Text(int id) const {
    return LookupString(language_, id);
}

std::span<const StringEntry> StringTable::Entries(Language language) {
    if (language == Language::kJapanese) {
        return kJapanese;
    }
    return kEnglish;
}

std::vector<int> StringTable::Ids(Language language) {
    std::vector<int> ids;
    for (const StringEntry& e : Entries(language)) {
        ids.push_back(e.id);
    }
    return ids;
}

std::string_view LookupString(Language language, int id) {
    return TableText(StringTable::Entries(language), id);
}

bool HasString(int id) {
    return TableHas(kEnglish, id) && TableHas(kJapanese, id);
}

std::vector<int> MissingStrings(std::span<const int> ids) {
    std::vector<int> missing;
    for (const int id : ids) {
        if (!HasString(id)) {
            missing.push_back(id);
        }
    }
    return missing;
}

}  // namespace tavro
