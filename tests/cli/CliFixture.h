#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliPlatform.h"
#include "cli/TavroCli.h"
#include "link/VirtualLoop.h"
#include "sim/InMemoryLine.h"
#include "sim/SimBus.h"
#include "tests/support/TempDir.h"

namespace tavro::cli::test {

// tavro-cli run in-process, in virtual time, against simulated controllers on an in-memory
// line at kPort; its settings folder, files and output are the test's own.
class CliFixture : public ::testing::Test {
  protected:
    static constexpr const char* kPort = sim::kSimPortPath;

    CliFixture() : bus(loop) {
        scan.sysClassTty = ports.File("sys");
        scan.devDir = ports.File("dev");
        scan.registryDir = ports.File("registry");
    }

    sim::SimController& AddController(const sim::ControllerOptions& options = {}) {
        return bus.AddController(options);
    }

    // The command line; "--port kPort" is added for the commands that talk to a controller.
    int Run(std::vector<std::string> args, bool withPort = true) {
        if (withPort) {
            args.emplace_back("--port");
            args.emplace_back(kPort);
        }
        out.str("");
        err.str("");
        CliPlatform platform{
            loop,
            [this](const std::function<bool()>& done, std::int64_t timeoutMs) {
                return loop.RunUntil(done, timeoutMs);
            },
            out,
            err,
            language,
            settings.Path(),
            Opener(),
            scan,
            [this] { return interruptAtMs >= 0 && loop.NowMs() >= interruptAtMs; },
            {},
        };
        const std::int64_t start = loop.NowMs();
        const int status = RunCli(args, platform);
        elapsedMs = loop.NowMs() - start;
        return status;
    }

    // The simulator's opener; each line it opens is also handed to onOpen.
    PortOpener Opener() {
        PortOpener inner = sim::MakeSimPortOpener(loop, bus, kPort);
        return [this, inner](const std::string& path, int baud, OpenError& error) {
            ++portOpens;
            std::unique_ptr<Transport> line = inner(path, baud, error);
            if (auto* memory = dynamic_cast<sim::InMemoryLine*>(line.get()); memory && onOpen) {
                onOpen(*memory);
            }
            return line;
        };
    }

    // Parameter writes ("EE g p v") and commits on the line.
    std::vector<std::string> Writes() const {
        std::vector<std::string> found;
        for (const auto& r : bus.Requests()) {
            const auto spaces = std::count(r.command.begin(), r.command.end(), ' ');
            if ((r.code == "EE" && spaces == 3) || r.code == "EU") {
                found.push_back(r.command);
            }
        }
        return found;
    }

    VirtualLoop loop;
    tavro::test::TempDir settings;
    tavro::test::TempDir files;
    tavro::test::TempDir ports;
    sim::SimBus bus;
    PortScanConfig scan;
    std::ostringstream out;
    std::ostringstream err;
    std::int64_t interruptAtMs = -1;
    Language language = Language::kEnglish;  // as LANG would choose it
    std::function<void(sim::InMemoryLine&)> onOpen;
    std::int64_t elapsedMs = 0;
    int portOpens = 0;  // ports opened while the commands ran
};

}  // namespace tavro::cli::test
