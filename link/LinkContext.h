#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "link/DrivePageClient.h"
#include "link/EventLoop.h"
#include "link/FrameAssembler.h"
#include "link/LineLog.h"
#include "link/LinkHost.h"
#include "link/MonitorClient.h"
#include "link/MonitorState.h"
#include "link/ParameterImage.h"
#include "link/PidDefaults.h"
#include "link/PortList.h"
#include "link/StatusBlock.h"
#include "link/Transport.h"
#include "link/TrxState.h"

namespace tavro {

// What the seven timer slots do when they expire; the transaction engine implements it.
class TimerClient {
  public:
    virtual ~TimerClient() = default;
    virtual void OnTimerSlot(int slot) = 0;
};

struct TimerSlots {
    std::array<EventLoop::TimerId, 7> ids{};
};

// Opens a transport for a device path; the application uses the serial port, tests an
// in-memory line to the simulator.
using PortOpener =
    std::function<std::unique_ptr<Transport>(const std::string& path, int baud, OpenError& error)>;

struct PortState {
    std::unique_ptr<Transport> transport;
    FrameAssembler assembler;
    bool stop = false;  // the receiver ignores bytes while set
    OpenError lastError;
    int lostError = -1;  // errno of a line that went away while open; -1 while it has not
    PortScanConfig scan;
    // The port as it was when it was opened: its identity for finding it again, and the
    // latency its adapter was left with.
    PortInfo opened;
    // Counts the receivers started, so that the loss of a line closed since reaches nothing.
    std::uint64_t starts = 0;
    // Called for every completed frame; the engine's reply handler.
    std::function<void(std::string_view frame)> onFrame;
    // Called from the loop once the open line has gone away; the engine ends its work.
    std::function<void(int error)> onLost;
};

// Everything that exists once per running program. The application creates one and hands
// it down by reference; every test builds a fresh one.
struct LinkContext {
    LinkContext(EventLoop& eventLoop, std::string settingsFolder)
        : loop(eventLoop), settingsDir(std::move(settingsFolder)) {}
    LinkContext(const LinkContext&) = delete;
    LinkContext& operator=(const LinkContext&) = delete;

    EventLoop& loop;
    std::string settingsDir;
    StatusBlock status;
    ParameterImage image;
    PidDefaults pidFile;  // "PID.ini" as read at start-up; used while status.gainFileLoaded
    TimerSlots timers;
    TimerClient* timerClient = nullptr;
    PortOpener openPort;
    PortState port;

    TrxState trx;
    MonitorState monitor;
    // The window side of the link; a program without windows keeps the quiet host.
    QuietHost quietHost{status};
    LinkHost* host = &quietHost;
    LinkHost& Host() { return host != nullptr ? *host : quietHost; }
    // The Monitor/Test page while it exists; it registers itself. Not owned.
    DrivePageClient* drivePage = nullptr;
    DrivePageClient& DrivePage() { return drivePage != nullptr ? *drivePage : quietDrivePage; }
    DrivePageClient quietDrivePage;
    // The monitor decoder; without one, monitor and alarm replies are only consumed.
    MonitorClient* monitorClient = nullptr;
    // Only read commands go on the line: connecting and the initial upload leave the
    // controller in monitor mode, following its own I/O (tavro-cli --passive).
    bool readOnly = false;
    // Every frame, time-out and latency of the line, while someone watches; not owned.
    LineLog* lineLog = nullptr;
};

}  // namespace tavro
