#include "tests/ui/Glossary.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace tavro::test {
namespace {

std::string Trim(std::string_view s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return std::string(s.substr(first, s.find_last_not_of(' ') - first + 1));
}

// The cells of a table row "| a | b |"; nothing for a line that is not a row.
std::vector<std::string> Cells(std::string_view line) {
    std::vector<std::string> cells;
    if (!line.starts_with('|')) {
        return cells;
    }
    std::size_t start = 1;
    for (std::size_t bar = line.find('|', start); bar != std::string_view::npos;
         bar = line.find('|', start)) {
        cells.push_back(Trim(line.substr(start, bar - start)));
        start = bar + 1;
    }
    return cells;
}

// The parts of a cell written in backticks.
std::vector<std::string> Quoted(std::string_view cell) {
    std::vector<std::string> parts;
    std::size_t open = cell.find('`');
    while (open != std::string_view::npos) {
        const std::size_t close = cell.find('`', open + 1);
        if (close == std::string_view::npos) {
            break;
        }
        parts.emplace_back(cell.substr(open + 1, close - open - 1));
        open = cell.find('`', close + 1);
    }
    return parts;
}

bool IsLatin(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A full-width Latin letter (U+FF21..U+FF3A, U+FF41..U+FF5A) at text[i] as its ASCII letter,
// else 0; `length` is set to the bytes it takes.
char FullWidthLetter(std::string_view text, std::size_t i, std::size_t& length) {
    length = 1;
    if (static_cast<unsigned char>(text[i]) != 0xEF || i + 2 >= text.size()) {
        return 0;
    }
    const unsigned cp = ((0xEFu & 0x0Fu) << 12) |
                        ((static_cast<unsigned char>(text[i + 1]) & 0x3Fu) << 6) |
                        (static_cast<unsigned char>(text[i + 2]) & 0x3Fu);
    if ((cp >= 0xFF21 && cp <= 0xFF3A) || (cp >= 0xFF41 && cp <= 0xFF5A)) {
        length = 3;
        return static_cast<char>(cp - 0xFF21 + 'A');
    }
    return 0;
}

}  // namespace

std::optional<Glossary> ReadGlossary(const std::string& path, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    Glossary g;
    std::string section;
    std::string line;
    while (std::getline(in, line)) {
        if (line.starts_with("## ")) {
            section = line.substr(3);
            continue;
        }
        const std::vector<std::string> cells = Cells(line);
        if (cells.empty() || cells[0].starts_with("---") || Quoted(line).empty()) {
            continue;  // not a row, the separator, or the heading row
        }
        if (section == "Terms" && cells.size() >= 5) {
            GlossaryTerm t;
            t.meaning = cells[0];
            t.english = Quoted(cells[1]);
            const std::vector<std::string> japanese = Quoted(cells[2]);
            t.japanese = japanese.empty() ? std::string() : japanese.front();
            t.replaced = Quoted(cells[3]);
            for (const std::string& id : Quoted(cells[4])) {
                t.unchecked.push_back(std::stoi(id));
            }
            g.terms.push_back(std::move(t));
        } else if (section == "Technical names" && cells.size() >= 2) {
            for (std::string& name : Quoted(cells[0])) {
                g.technicalNames.insert(std::move(name));
            }
        } else if (section == "Half-width punctuation" && cells.size() >= 2) {
            for (std::string& fragment : Quoted(cells[0])) {
                g.halfWidthFragments.push_back(std::move(fragment));
            }
        }
    }
    if (g.terms.empty() || g.technicalNames.empty() || g.halfWidthFragments.empty()) {
        error = path + " lacks one of its tables (Terms, Technical names, Half-width punctuation)";
        return std::nullopt;
    }
    return g;
}

const Glossary& ProgramGlossary() {
    static const std::optional<Glossary> kGlossary = [] {
        std::string error;
        auto g = ReadGlossary(TAVRO_GLOSSARY, error);
        if (!g) {
            ADD_FAILURE() << error;
        }
        return g;
    }();
    static const Glossary kEmpty;
    return kGlossary ? *kGlossary : kEmpty;
}

bool ContainsWord(std::string_view text, std::string_view phrase) {
    if (phrase.empty()) {
        return false;
    }
    for (std::size_t at = text.find(phrase); at != std::string_view::npos;
         at = text.find(phrase, at + 1)) {
        const bool before = at > 0 && IsLatin(phrase.front()) && IsLatin(text[at - 1]);
        const std::size_t end = at + phrase.size();
        const bool after = end < text.size() && IsLatin(phrase.back()) && IsLatin(text[end]);
        if (!before && !after) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> ForeignWords(std::string_view text, const Glossary& glossary) {
    std::vector<std::string> words;
    std::string word;
    bool option = false;
    const auto flush = [&] {
        if (!word.empty() && !option && glossary.technicalNames.count(word) == 0) {
            words.push_back(word);
        }
        word.clear();
    };
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = 1;
        char letter = IsLatin(text[i]) ? text[i] : FullWidthLetter(text, i, length);
        if (letter != 0) {
            if (word.empty()) {
                option =
                    (i >= 2 && text.substr(i - 2, 2) == "--") || (i >= 1 && text[i - 1] == '&');
            }
            word += letter;
        } else if (!(text[i] == '-' && option && !word.empty())) {
            flush();
        } else {
            word += '-';  // "--port-path": one option name
        }
        i += length;
    }
    flush();
    return words;
}

void PrintTo(const GlossaryTerm& term, std::ostream* os) {
    *os << term.meaning;
}

std::string Without(std::string text, std::string_view part) {
    if (part.empty()) {
        return text;
    }
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at)) {
        text.erase(at, part.size());
    }
    return text;
}

}  // namespace tavro::test
