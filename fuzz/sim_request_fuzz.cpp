// Arbitrary bytes in arbitrary chunks as requests to the simulated controller, with virtual
// time passing between the chunks so that motions started on the way run. Every reply is one
// well-formed frame with a right checksum, no more replies come than frames were sent, and
// every parameter the controller holds stays a finite number.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "link/Frame.h"
#include "link/FrameAssembler.h"
#include "link/ParameterImage.h"
#include "link/VirtualLoop.h"
#include "sim/SimBus.h"

namespace {

using namespace tavro;

bool UpperHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

void CheckReply(const std::string& bytes) {
    TAVRO_FUZZ_CHECK(bytes.size() >= 11 && bytes.front() == ':');
    TAVRO_FUZZ_CHECK(bytes.substr(bytes.size() - 2) == "\r\n");
    const std::string text = bytes.substr(1, bytes.size() - 3);
    TAVRO_FUZZ_CHECK(text.find_first_of(":\r\n") == std::string::npos);
    TAVRO_FUZZ_CHECK(UpperHex(text[0]) && UpperHex(text[1]));
    for (std::size_t i = 2; i < 4; ++i) {
        TAVRO_FUZZ_CHECK(text[i] > 0x20 && text[i] < 0x7F);
    }
    const std::string status = text.substr(4, 2);
    TAVRO_FUZZ_CHECK(status == "OK" || status == "NG");
    const std::string body = text.substr(0, text.size() - 2);
    TAVRO_FUZZ_CHECK(UpperHex(text[text.size() - 2]) && UpperHex(text[text.size() - 1]));
    TAVRO_FUZZ_CHECK(ParseHexField(text.substr(text.size() - 2)) ==
                     static_cast<int>(Checksum(body)));
    if (text.substr(2, 4) == "MOOK") {
        TAVRO_FUZZ_CHECK(text.size() == 8 + 28);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ByteReader in(data, size);
    VirtualLoop loop;
    sim::SimBus bus(loop);
    sim::ControllerOptions options;
    options.id = 1 + in.Below(3);
    options.series = 1 + in.Below(3);
    constexpr int kStrokes[] = {10, 20, 30, 50};
    options.stroke = kStrokes[in.Below(4)];
    options.controlType = in.Below(3);
    options.knowsVersion = in.Below(8) != 0;
    options.version = in.Flag() ? "2.40" : "2.60";
    options.workpieceMm = in.Flag() ? 5.0 : -1.0;
    sim::SimController& controller = bus.AddController(options);
    bus.SetByteTiming(in.Flag());
    bus.SetSpeedCheck(false);
    bus.SetLogLimit(in.Flag() ? 0 : 8);

    std::vector<std::string> replies;
    bus.Attach([&](std::string_view bytes) { replies.emplace_back(bytes); });

    // Chunks: a length byte, a pause byte (tens of ms), then the bytes.
    std::string sent;
    while (!in.Empty()) {
        const std::size_t length = in.Byte();
        const int pauseMs = in.Below(256) * 10;
        const std::string chunk = in.Text(length);
        bus.FromHost(chunk);
        sent += chunk;
        loop.Advance(pauseMs);
    }
    loop.Advance(5000);

    std::size_t frames = 0;
    FrameAssembler count([&](std::string_view) { ++frames; });
    count.Feed(sent);
    TAVRO_FUZZ_CHECK(replies.size() <= frames);
    for (const std::string& r : replies) {
        CheckReply(r);
    }
    for (int g = 0; g < ParameterImage::kGroupCount; ++g) {
        for (int p = 0; p < ParameterImage::CellCount(g); ++p) {
            TAVRO_FUZZ_CHECK(std::isfinite(controller.Parameter(g, p)));
        }
    }
    TAVRO_FUZZ_CHECK(std::isfinite(controller.Position()));
    TAVRO_FUZZ_CHECK(std::isfinite(controller.Speed()));
    TAVRO_FUZZ_CHECK(controller.MonitorData().size() == 28);
    return 0;
}
