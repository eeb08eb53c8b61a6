#include "tests/support/ScriptedLine.h"

#include "link/Frame.h"

namespace tavro::test {

std::string ReplyFrame(std::string_view body) {
    return FrameFromBody(body);
}

void ScriptedLine::SetResponder(Responder responder, std::int64_t delayMs) {
    responder_ = std::move(responder);
    delayMs_ = delayMs;
}

void ScriptedLine::Reply(std::string_view body) {
    Deliver(ReplyFrame(body));
}

void ScriptedLine::Deliver(std::string_view bytes) {
    if (onBytes_) {
        onBytes_(bytes);
    }
}

std::vector<std::string> ScriptedLine::Bodies() const {
    std::vector<std::string> out;
    for (const auto& s : sent) {
        out.push_back(s.body);
    }
    return out;
}

std::vector<std::string> ScriptedLine::Commands() const {
    std::vector<std::string> out;
    for (const auto& s : sent) {
        if (s.body.size() < 2 || s.body.substr(s.body.size() - 2) != "MO") {
            out.push_back(s.body);
        }
    }
    return out;
}

void ScriptedLine::Start(BytesHandler onBytes, GoneHandler /*onGone*/) {
    onBytes_ = std::move(onBytes);
}

bool ScriptedLine::Write(std::string_view bytes) {
    // ":" body checksum(2) CR LF
    std::string body;
    if (bytes.size() >= 5 && bytes.front() == ':') {
        body = std::string(bytes.substr(1, bytes.size() - 5));
    }
    sent.push_back(Sent{loop_.NowMs(), body});
    if (responder_) {
        std::optional<std::string> reply = responder_(body);
        if (reply) {
            std::string frame = ReplyFrame(*reply);
            loop_.StartTimer(delayMs_, false, [this, frame] { Deliver(frame); });
        }
    }
    return true;
}

}  // namespace tavro::test
