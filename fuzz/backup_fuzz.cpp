// Arbitrary bytes as a controller backup. A backup that is accepted is written again and must
// then read back to the same parameters.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "cli/Backup.h"

namespace {

void Check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tavro;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const StringTable strings(Language::kEnglish);
    const cli::BackupRead read = cli::ParseBackup(text, strings);
    Check(read.backup.has_value() != !read.reason.empty());
    if (!read.backup) {
        return 0;
    }
    const cli::BackupRead again = cli::ParseBackup(cli::ComposeBackup(*read.backup), strings);
    Check(again.backup.has_value());
    Check(again.backup->parameters.size() == read.backup->parameters.size());
    for (std::size_t i = 0; i < read.backup->parameters.size(); ++i) {
        const auto& a = read.backup->parameters[i];
        const auto& b = again.backup->parameters[i];
        Check(a.group == b.group && a.parameter == b.parameter && a.value == b.value);
    }
    return 0;
}
