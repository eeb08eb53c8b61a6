// Arbitrary bytes as a step-data file, read in every mode and control-signal type. A file that
// passes is stored, written again, and must then read back to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "link/VirtualLoop.h"
#include "stepdata/StepFile.h"

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
    constexpr StepFileMode kModes[] = {StepFileMode::kPage, StepFileMode::kDetail,
                                       StepFileMode::kDetailWithPid};
    for (const StepFileMode mode : kModes) {
        for (int type = kControlTypeUnset; type <= kControlTypePulse; ++type) {
            VirtualLoop loop;
            LinkContext ctx(loop, "/nonexistent");
            ctx.status.controlType = type;
            const StepFileContents read = ParseStepFile(text, mode, type, ctx.image);
            if (read.error != StepFileError::kNone) {
                Check(read.values.empty());
                continue;
            }
            StoreStepFile(read, ctx.image, ctx.status);
            const std::string written = ComposeStepFile(mode, ctx.image, ctx.status, "2.20");
            const StepFileContents again = ParseStepFile(written, mode, type, ctx.image);
            Check(again.error == StepFileError::kNone);
            StoreStepFile(again, ctx.image, ctx.status);
            Check(ComposeStepFile(mode, ctx.image, ctx.status, "2.20") == written);
        }
    }
    return 0;
}
