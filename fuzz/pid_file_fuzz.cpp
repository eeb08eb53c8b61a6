// Arbitrary bytes as "PID.ini": either rejected with the defaults untouched, or every value
// lies within its section's range.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "link/CIniRw.h"

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
    PidDefaults out;
    out.section2[0][0] = 99999;
    if (!CIniRw::ParsePidText(text, out)) {
        Check(out.section2[0][0] == 99999);
        return 0;
    }
    for (const auto& values : out.section1) {
        for (const float v : values) {
            Check(v >= 0.0F && v <= 65535.0F);
        }
    }
    for (const auto& values : out.section2) {
        for (const int v : values) {
            Check(v >= -32767 && v <= 32767);
        }
    }
    for (const auto& values : out.section3) {
        for (const float v : values) {
            Check(v >= 0.0F && v <= 65535.0F);
        }
    }
    return 0;
}
