// Arbitrary reply texts through the reply parser and checker, and arbitrary command texts
// through the request builder. A reply is split exactly as delivered, judged good exactly when
// its ID, code and checksum match, and a reply built back from its fields parses to the same.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "link/Command.h"
#include "link/Frame.h"
#include "link/FrameAssembler.h"
#include "link/Numbers.h"

namespace {

using namespace tavro;

unsigned ByteSum(std::string_view s) {
    unsigned sum = 0;
    for (char c : s) {
        sum += static_cast<unsigned char>(c);
    }
    return sum;
}

void CheckRequest(int id, std::string_view command) {
    RequestRecord last;
    last.code = "ZZ";
    const std::string frame = BuildRequest(id, command, last);
    const std::string body = RequestBody(id, command);
    TAVRO_FUZZ_CHECK(frame == FrameFromBody(body));
    TAVRO_FUZZ_CHECK(frame.size() == body.size() + 5);
    TAVRO_FUZZ_CHECK(frame.front() == ':' && frame.substr(frame.size() - 2) == "\r\n");
    const int sum = ParseHexField(std::string_view(frame).substr(frame.size() - 4, 2));
    TAVRO_FUZZ_CHECK(sum >= 0 && (ByteSum(body) + static_cast<unsigned>(sum)) % 256 == 0);
    const bool poll = body.size() >= 2 && body.substr(body.size() - 2) == cmd::kMonitor;
    if (poll) {
        TAVRO_FUZZ_CHECK(last.code == "ZZ");  // a poll leaves the record alone
    } else {
        TAVRO_FUZZ_CHECK(last.body == body);
        TAVRO_FUZZ_CHECK(last.code == command.substr(0, 2));
        TAVRO_FUZZ_CHECK(last.controllerId == id);
        TAVRO_FUZZ_CHECK(last.checksum == static_cast<int>(Checksum(body)));
    }
    // A command without line characters reaches the other side as it was built.
    if (command.find_first_of(":\r\n") == std::string_view::npos &&
        body.size() + 2 <= FrameAssembler::kMaxFrameLength) {
        std::string delivered;
        int frames = 0;
        FrameAssembler a([&](std::string_view f) {
            delivered = std::string(f);
            ++frames;
        });
        a.Feed(frame);
        TAVRO_FUZZ_CHECK(frames == 1 && delivered == frame.substr(1, frame.size() - 3));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ByteReader in(data, size);
    const int id = in.Below(256);
    const std::string code = in.Text(2);
    const std::string_view text = in.Rest();

    const std::optional<ReplyRecord> reply = ParseReply(text);
    TAVRO_FUZZ_CHECK(reply.has_value() == (text.size() >= 8));
    CheckRequest(id, text);
    if (!reply) {
        return 0;
    }
    TAVRO_FUZZ_CHECK(reply->body == text.substr(0, text.size() - 2));
    TAVRO_FUZZ_CHECK(reply->code == text.substr(2, 2));
    TAVRO_FUZZ_CHECK(reply->status == text.substr(4, 2));
    TAVRO_FUZZ_CHECK(reply->data == text.substr(6, text.size() - 8));
    TAVRO_FUZZ_CHECK(reply->controllerId >= -1 && reply->controllerId <= 0xFF);
    TAVRO_FUZZ_CHECK(reply->checksum >= -1 && reply->checksum <= 0xFF);
    TAVRO_FUZZ_CHECK(IsOk(*reply) == (reply->status == "OK"));

    RequestRecord last;
    last.controllerId = id;
    last.code = code;
    const bool sumOk = reply->checksum >= 0 &&
                       (ByteSum(reply->body) + static_cast<unsigned>(reply->checksum)) % 256 == 0;
    const bool good = (reply->code == code || reply->code == cmd::kCodeMonitor) &&
                      reply->controllerId == id && sumOk;
    TAVRO_FUZZ_CHECK(CheckReply(*reply, last) == good);

    // The same fields framed by a controller: always good, and parsed back unchanged.
    const std::string body =
        Format("%02X", static_cast<unsigned>(id)) + code + reply->status + reply->data;
    if (code.size() == 2 && reply->status.size() == 2) {
        const std::string framed = body + Format("%02X", static_cast<unsigned>(Checksum(body)));
        const std::optional<ReplyRecord> again = ParseReply(framed);
        TAVRO_FUZZ_CHECK(again.has_value());
        TAVRO_FUZZ_CHECK(again->controllerId == id && again->code == code);
        TAVRO_FUZZ_CHECK(again->status == reply->status && again->data == reply->data);
        TAVRO_FUZZ_CHECK(CheckReply(*again, last));
    }
    return 0;
}
