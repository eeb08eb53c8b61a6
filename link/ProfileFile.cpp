#include "link/ProfileFile.h"

#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <fstream>
#include <string_view>
#include <vector>

namespace tavro {

namespace {

// Settings files are a few hundred bytes; anything far larger is not ours and is not read.
constexpr std::streamoff kMaxFileSize = 1 << 20;

std::string Trim(const std::string& s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) {
        ++b;
    }
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) {
        --e;
    }
    return s.substr(b, e - b);
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

struct Lines {
    std::vector<std::string> lines;  // without line ends
    bool crlf = false;
};

Lines SplitLines(std::string_view content) {
    Lines result;
    std::string line;
    for (const char c : content) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
                result.crlf = true;
            }
            result.lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) {
        // A last line cut after its CR ends like the others, so that the file is written
        // back with the line ends it had, and writing it again changes nothing.
        if (line.back() == '\r') {
            line.pop_back();
            result.crlf = true;
        }
        result.lines.push_back(line);
    }
    return result;
}

// The file's text; nullopt when it is missing, unreadable or far too large to be ours.
std::optional<std::string> ReadContent(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || size > kMaxFileSize) {
        return std::nullopt;
    }
    in.seekg(0, std::ios::beg);
    std::string content(static_cast<std::size_t>(size), '\0');
    in.read(content.data(), static_cast<std::streamsize>(size));
    return content;
}

// "[name]" gives name; anything else gives nullopt.
std::optional<std::string> SectionName(const std::string& line) {
    const std::string t = Trim(line);
    if (t.size() >= 2 && t.front() == '[') {
        const auto close = t.find(']');
        if (close != std::string::npos) {
            return Trim(t.substr(1, close - 1));
        }
    }
    return std::nullopt;
}

bool KeyOf(const std::string& line, std::string& key, std::string& value) {
    const std::string t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') {
        return false;
    }
    const auto eq = line.find('=');
    if (eq == std::string::npos) {
        return false;
    }
    key = Trim(line.substr(0, eq));
    value = Trim(line.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return true;
}

}  // namespace

int ProfileFile::LeadingInt(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    if (i < text.size() && (text[i] == '-')) {
        return 0;  // negative values read as 0, as the profile functions return them
    }
    if (i < text.size() && text[i] == '+') {
        ++i;
    }
    long long value = 0;
    bool any = false;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        any = true;
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) {
            value = INT_MAX;
        }
        ++i;
    }
    return any ? static_cast<int>(value) : 0;
}

std::optional<std::string> ProfileFile::GetString(const std::string& section,
                                                  const std::string& key) const {
    const std::optional<std::string> content = ReadContent(path_);
    if (!content) {
        return std::nullopt;
    }
    return Lookup(*content, section, key);
}

std::optional<std::string> ProfileFile::Lookup(std::string_view content, const std::string& section,
                                               const std::string& key) {
    const Lines file = SplitLines(content);
    bool inSection = false;
    for (const std::string& line : file.lines) {
        if (auto name = SectionName(line)) {
            inSection = EqualNoCase(*name, section);
            continue;
        }
        std::string k;
        std::string v;
        if (inSection && KeyOf(line, k, v) && EqualNoCase(k, key)) {
            return v;
        }
    }
    return std::nullopt;
}

int ProfileFile::GetInt(const std::string& section, const std::string& key, int fallback) const {
    const auto value = GetString(section, key);
    if (!value) {
        return fallback;
    }
    return LeadingInt(*value);
}

std::string ProfileFile::Replace(std::string_view content, const std::string& section,
                                 const std::string& key, const std::string& value) {
    Lines file = SplitLines(content);
    std::vector<std::string>& lines = file.lines;
    const std::string entry = key + "=" + value;

    bool inSection = false;
    bool sectionSeen = false;
    std::size_t insertAt = lines.size();
    bool done = false;
    for (std::size_t i = 0; i < lines.size() && !done; ++i) {
        if (auto name = SectionName(lines[i])) {
            if (inSection) {
                break;  // end of our section: insert before the next one
            }
            inSection = EqualNoCase(*name, section);
            if (inSection && !sectionSeen) {
                sectionSeen = true;
                insertAt = i + 1;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        std::string k;
        std::string v;
        if (KeyOf(lines[i], k, v)) {
            if (EqualNoCase(k, key)) {
                lines[i] = entry;
                done = true;
            }
        }
        if (!Trim(lines[i]).empty()) {
            insertAt = i + 1;
        }
    }
    if (!done) {
        if (!sectionSeen) {
            if (!lines.empty() && !Trim(lines.back()).empty()) {
                lines.emplace_back();
            }
            lines.push_back("[" + section + "]");
            lines.push_back(entry);
        } else {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
        }
    }

    const std::string eol = file.crlf ? "\r\n" : "\n";
    std::string out;
    for (const std::string& l : lines) {
        out += l;
        out += eol;
    }
    return out;
}

bool ProfileFile::WriteString(const std::string& section, const std::string& key,
                              const std::string& value) {
    const std::string out =
        Replace(ReadContent(path_).value_or(std::string()), section, key, value);
    const std::string tmp = path_ + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
        if (!f) {
            return false;
        }
        f.write(out.data(), static_cast<std::streamsize>(out.size()));
        f.flush();
        if (!f) {
            f.close();
            std::remove(tmp.c_str());
            return false;
        }
    }
    if (std::rename(tmp.c_str(), path_.c_str()) != 0) {
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

}  // namespace tavro
