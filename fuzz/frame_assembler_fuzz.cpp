// Arbitrary bytes in arbitrary chunks through the frame assembler. Whatever the chunking, it
// delivers exactly the frames a plain reading of the stream finds: a ":" and then, with no
// other ":", CR or LF on the way, at most kMaxFrameLength characters, CR and LF.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "link/FrameAssembler.h"

namespace {

using tavro::FrameAssembler;

std::vector<std::string> FramesIn(std::string_view s) {
    std::vector<std::string> frames;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != ':') {
            continue;
        }
        const std::size_t end = s.find_first_of(":\r\n", i + 1);
        if (end == std::string_view::npos) {
            break;
        }
        const std::size_t length = end - i - 1;
        if (s[end] == '\r' && end + 1 < s.size() && s[end + 1] == '\n' &&
            length <= FrameAssembler::kMaxFrameLength) {
            frames.emplace_back(s.substr(i + 1, length));
        }
        i = end - 1;  // the next ":" may be the one that ended this one
    }
    return frames;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tavro::fuzz::ByteReader in(data, size);
    // The first bytes say how the stream is cut: a count, then that many chunk lengths.
    const int cuts = in.Below(9);
    std::vector<std::size_t> lengths;
    for (int i = 0; i < cuts; ++i) {
        lengths.push_back(in.Byte());
    }
    const std::string_view stream = in.Rest();

    std::vector<std::string> whole;
    FrameAssembler a([&](std::string_view f) { whole.emplace_back(f); });
    a.Feed(stream);

    std::vector<std::string> chunked;
    FrameAssembler b([&](std::string_view f) { chunked.emplace_back(f); });
    std::size_t pos = 0;
    for (std::size_t k = 0; pos < stream.size(); ++k) {
        const std::size_t n = lengths.empty() ? 1 : 1 + lengths[k % lengths.size()];
        const std::string_view piece = stream.substr(pos, n);
        if (piece.size() == 1) {
            b.Feed(piece[0]);
        } else {
            b.Feed(piece);
        }
        pos += piece.size();
    }

    const std::vector<std::string> expected = FramesIn(stream);
    TAVRO_FUZZ_CHECK(whole == expected);
    TAVRO_FUZZ_CHECK(chunked == expected);

    // A reset forgets a frame half received: the next frame comes out on its own.
    b.Reset();
    std::vector<std::string> after;
    b.SetSink([&](std::string_view f) { after.emplace_back(f); });
    b.Feed(":01VEOK2.60FF\r\n");
    TAVRO_FUZZ_CHECK(after.size() == 1 && after[0] == "01VEOK2.60FF");
    return 0;
}
