#pragma once

#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tavro::test {

// One row of the glossary's terms: where an English text names the concept, the Japanese
// text says `japanese` and none of `replaced`.
struct GlossaryTerm {
    std::string meaning;
    std::vector<std::string> english;
    std::string japanese;
    std::vector<std::string> replaced;
    std::vector<int> unchecked;  // string IDs whose English uses a phrase for something else
};

// resources/strings/glossary.md as the tests read it.
struct Glossary {
    std::vector<GlossaryTerm> terms;
    std::set<std::string> technicalNames;
    std::vector<std::string> halfWidthFragments;
};

// Nothing when the file cannot be read or one of its three tables is missing or empty.
std::optional<Glossary> ReadGlossary(const std::string& path, std::string& error);
// The glossary of the program's string tables; fails the calling test when it is unreadable.
const Glossary& ProgramGlossary();

// Whether `phrase` occurs in `text` as a whole word: no Latin letter right before or after.
bool ContainsWord(std::string_view text, std::string_view phrase);

// The Latin words of a text (full-width letters count) that are not technical names, in
// order; option names after "--" and accelerator letters after "&" do not count.
std::vector<std::string> ForeignWords(std::string_view text, const Glossary& glossary);

// The text with every occurrence of `part` removed.
std::string Without(std::string text, std::string_view part);

void PrintTo(const GlossaryTerm& term, std::ostream* os);

}  // namespace tavro::test
