#pragma once

#include <string>
#include <string_view>

#include "link/EventLoop.h"
#include "link/LinkContext.h"
#include "link/Transport.h"
#include "sim/SimBus.h"

namespace tavro::sim {

// The host's end of a SimBus: bytes written go onto the bus, replies come back through the
// loop, with the bus's byte timing. The line attaches itself to the bus for its lifetime.
class InMemoryLine : public Transport {
  public:
    InMemoryLine(EventLoop& loop, SimBus& bus, std::string name = "tavro-sim");
    ~InMemoryLine() override;
    InMemoryLine(const InMemoryLine&) = delete;
    InMemoryLine& operator=(const InMemoryLine&) = delete;

    // False when another host holds the bus; such a line is closed from the start.
    bool Attached() const { return attached_; }

    void Start(BytesHandler onBytes, GoneHandler onGone) override;
    void Stop() override;
    bool Write(std::string_view bytes) override;
    bool IsOpen() const override { return attached_; }
    std::string Name() const override { return name_; }

    // The cable is pulled: the bus is let go and the gone handler hears `error` (0 for a
    // hang-up) from the loop.
    void Unplug(int error = 0);

  private:
    EventLoop& loop_;
    SimBus& bus_;
    std::string name_;
    bool attached_ = false;
    BytesHandler onBytes_;
    GoneHandler onGone_;
};

inline constexpr const char* kSimPortPath = "/dev/tavro-sim";

// An opener for LinkContext::openPort that reaches `bus` at `path` and nothing else: another
// path fails with kNotFound, a speed the serial port cannot set with kUnsupportedSpeed, and
// a bus that already has a host with kBusy. Opening sets the bus's line speed.
PortOpener MakeSimPortOpener(EventLoop& loop, SimBus& bus, std::string path = kSimPortPath);

}  // namespace tavro::sim
