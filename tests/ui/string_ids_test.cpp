#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "ui/StringTable.h"

namespace tavro {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

const std::regex kDeclaration(R"(constexpr\s+int\s+(IDS_\w+)\s*=\s*(\d+)\s*;)");

TEST(StringIds, EveryNamedIdIsInBothTablesOnceUnderOneName) {
    const std::string header = ReadFile(fs::path(TAVRO_SOURCE_DIR) / "link/StringIds.h");
    std::map<std::string, int> byName;
    std::map<int, std::string> byId;
    for (auto it = std::sregex_iterator(header.begin(), header.end(), kDeclaration);
         it != std::sregex_iterator(); ++it) {
        const std::string name = (*it)[1];
        const int id = std::stoi((*it)[2]);
        EXPECT_TRUE(byName.emplace(name, id).second) << name << " is named twice";
        EXPECT_TRUE(byId.emplace(id, name).second) << id << " has two names";
        EXPECT_FALSE(LookupString(Language::kEnglish, id).empty()) << name << " = " << id;
        EXPECT_FALSE(LookupString(Language::kJapanese, id).empty()) << name << " = " << id;
    }
    EXPECT_GT(byName.size(), 100U) << "the header was not read";
}

// A name declared beside the code that shows it would be a second home for the ID.
TEST(StringIds, NoOtherSourceNamesAnId) {
    const fs::path top(TAVRO_SOURCE_DIR);
    std::vector<std::string> found;
    for (const char* folder : {"product", "link", "sim", "commlog", "report", "ui", "dialogs",
                               "params", "stepdata", "detail", "monitor", "shell", "cli", "app"}) {
        for (const auto& entry : fs::recursive_directory_iterator(top / folder)) {
            const fs::path& path = entry.path();
            if (path.extension() != ".h" && path.extension() != ".cpp") {
                continue;
            }
            if (path == top / "link/StringIds.h") {
                continue;
            }
            const std::string text = ReadFile(path);
            std::smatch match;
            if (std::regex_search(text, match, kDeclaration)) {
                found.push_back(fs::relative(path, top).string() + ": " + match.str());
            }
        }
    }
    EXPECT_TRUE(found.empty()) << found.front();
}

}  // namespace
}  // namespace tavro
