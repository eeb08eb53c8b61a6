#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "link/CRxdThread.h"
#include "link/CTrxData.h"
#include "link/LinkEngine.h"
#include "link/VirtualLoop.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/ScriptedLine.h"

namespace tavro::test {

// A context wired to the engine, a recording host and a scripted line whose default far end
// answers every command to the IDs in `answering` with "OK" and the data in `data` (by command
// text).
class EngineFixture : public ::testing::Test {
  protected:
    EngineFixture() {
        auto l = std::make_unique<ScriptedLine>(loop);
        line = l.get();
        ctx.port.transport = std::move(l);
        CRxdThread(ctx).StartReceiver();
        ctx.host = &host;
        ctx.status.controllerId = 1;
        ctx.status.frontPhase = kFrontMain;
        line->SetResponder([this](const std::string& body) { return Answer(body); });
    }

    // "01 EE 0 1" -> "01EEOK" + data; nothing for commands listed in `silent`.
    std::optional<std::string> Answer(const std::string& body) {
        if (body.size() < 5 || answering.count(body.substr(0, 2)) == 0) {
            return std::nullopt;
        }
        const std::string command = body.substr(3);
        if (silent.count(command) != 0) {
            return std::nullopt;
        }
        std::string reply = body.substr(0, 2) + command.substr(0, 2);
        auto ng = ngFor.find(command);
        reply += ng != ngFor.end() ? "NG" : "OK";
        auto it = data.find(command);
        if (it != data.end()) {
            reply += it->second;
        } else if (command == "MO") {
            reply += "0080" + std::string(24, '0');
        }
        return reply;
    }

    CTrxData trx() { return CTrxData(ctx); }

    VirtualLoop loop;
    LinkContext ctx{loop, "/nonexistent"};
    RecordingHost host{ctx};
    LinkEngine engine{ctx};
    ScriptedLine* line = nullptr;

    std::set<std::string> answering = {"01"};  // controller IDs on the line, as in frames
    std::map<std::string, std::string> data;
    std::map<std::string, bool> silent;
    std::map<std::string, bool> ngFor;
};

}  // namespace tavro::test
