#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "link/Frame.h"
#include "link/FrameAssembler.h"
#include "link/VirtualLoop.h"
#include "sim/SimBus.h"

namespace tavro::sim::test {

// A host on a bus in virtual time that sends framed requests and collects the reply texts.
class BusFixture : public ::testing::Test {
  protected:
    BusFixture() : bus(loop) {
        assembler.SetSink([this](std::string_view frame) { replies.emplace_back(frame); });
        bus.Attach([this](std::string_view bytes) {
            received += bytes;
            assembler.Feed(bytes);
        });
    }

    void Send(int id, const std::string& command) {
        RequestRecord ignored;
        bus.FromHost(BuildRequest(id, command, ignored));
    }

    // Sends, lets up to `waitMs` of virtual time pass, and returns the first reply that
    // arrived, parsed; checks it against the request as the engine does.
    std::optional<ReplyRecord> Ask(int id, const std::string& command, std::int64_t waitMs = 100) {
        replies.clear();
        RequestRecord last;
        bus.FromHost(BuildRequest(id, command, last));
        last.controllerId = id;  // monitor polls leave the record alone; the engine keeps the ID
        loop.RunUntil([this] { return !replies.empty(); }, waitMs);
        if (replies.empty()) {
            return std::nullopt;
        }
        auto reply = ParseReply(replies.front());
        if (reply) {
            checked = CheckReply(*reply, last);
        }
        return reply;
    }

    VirtualLoop loop;
    SimBus bus;
    FrameAssembler assembler;
    std::vector<std::string> replies;
    std::string received;
    bool checked = false;
};

}  // namespace tavro::sim::test
