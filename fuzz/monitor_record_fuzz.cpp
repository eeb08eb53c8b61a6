// Arbitrary bytes as a monitor record (a recording or a black box file). A text that reads
// as a record is written again sample by sample, and must read back to the same samples.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "monitor/SampleCsv.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tavro;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto record = SampleCsv::Parse(text);
    if (!record) {
        return 0;
    }
    TAVRO_FUZZ_CHECK(record->samples.size() <= SampleCsv::kMaxLines);
    std::string again = SampleCsv::Header();
    for (const MonitorSample& s : record->samples) {
        again += SampleCsv::Lines(s, 0);
    }
    const auto reread = SampleCsv::Parse(again);
    TAVRO_FUZZ_CHECK(reread.has_value());
    TAVRO_FUZZ_CHECK(reread->samples.size() == record->samples.size());
    for (std::size_t i = 0; i < record->samples.size(); ++i) {
        const MonitorSample& a = record->samples[i];
        const MonitorSample& b = reread->samples[i];
        TAVRO_FUZZ_CHECK(a.timeMs == b.timeMs);
        TAVRO_FUZZ_CHECK(a.controllerId == b.controllerId);
        TAVRO_FUZZ_CHECK(a.status == b.status);
        TAVRO_FUZZ_CHECK(a.values == b.values);
    }
    return 0;
}
