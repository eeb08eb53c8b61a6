#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/EventLoop.h"
#include "link/Transport.h"

namespace tavro::test {

// A line whose far end is a test script: it keeps every request with its time and answers
// through a responder, so that a test can shape replies the simulator would not send.
class ScriptedLine : public Transport {
  public:
    struct Sent {
        std::int64_t atMs;
        std::string body;  // request body: "01 VE"
    };
    // Reply body for a request body (ID, code, status and data, no checksum), or nullopt
    // for silence.
    using Responder = std::function<std::optional<std::string>(const std::string& requestBody)>;

    explicit ScriptedLine(EventLoop& loop) : loop_(loop) {}

    void SetResponder(Responder responder, std::int64_t delayMs = 5);

    // Delivers a reply body with its correct checksum, framed, at once.
    void Reply(std::string_view body);
    // Delivers raw bytes at once.
    void Deliver(std::string_view bytes);

    std::vector<Sent> sent;
    // Request bodies sent so far, for compact expectations.
    std::vector<std::string> Bodies() const;
    // Request bodies other than monitor polls.
    std::vector<std::string> Commands() const;

    void Start(BytesHandler onBytes, GoneHandler onGone) override;
    void Stop() override { onBytes_ = nullptr; }
    bool Write(std::string_view bytes) override;
    bool IsOpen() const override { return true; }
    std::string Name() const override { return "scripted"; }

  private:
    EventLoop& loop_;
    BytesHandler onBytes_;
    Responder responder_;
    std::int64_t delayMs_ = 5;
};

// ":" + body + checksum + CR LF.
std::string ReplyFrame(std::string_view body);

}  // namespace tavro::test
