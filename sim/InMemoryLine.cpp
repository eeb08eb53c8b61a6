#include "sim/InMemoryLine.h"

#include <memory>
#include <utility>

#include "link/SerialPort.h"

namespace tavro::sim {

InMemoryLine::InMemoryLine(EventLoop& loop, SimBus& bus, std::string name)
    : loop_(loop), bus_(bus), name_(std::move(name)) {
    attached_ = bus_.Attach([this](std::string_view bytes) {
        if (onBytes_) {
            BytesHandler handler = onBytes_;  // the handler may stop the line
            handler(bytes);
        }
    });
}

InMemoryLine::~InMemoryLine() {
    if (attached_) {
        bus_.Detach();
    }
}

void InMemoryLine::Start(BytesHandler onBytes, GoneHandler onGone) {
    onBytes_ = std::move(onBytes);
    onGone_ = std::move(onGone);
}

void InMemoryLine::Stop() {
    onBytes_ = nullptr;
    onGone_ = nullptr;
}

bool InMemoryLine::Write(std::string_view bytes) {
    if (!attached_) {
        return false;
    }
    bus_.FromHost(bytes);
    return true;
}

void InMemoryLine::Unplug(int error) {
    if (!attached_) {
        return;
    }
    attached_ = false;
    bus_.Detach();
    onBytes_ = nullptr;
    GoneHandler gone = std::move(onGone_);
    onGone_ = nullptr;
    if (gone) {
        loop_.Post([gone, error] { gone(error); });
    }
}

PortOpener MakeSimPortOpener(EventLoop& loop, SimBus& bus, std::string path) {
    return [&loop, &bus, path = std::move(path)](const std::string& requested, int baud,
                                                 OpenError& error) -> std::unique_ptr<Transport> {
        error = OpenError{};
        error.path = requested;
        error.baud = baud;
        if (requested != path) {
            error.kind = OpenFailure::kNotFound;
            return nullptr;
        }
        if (SerialPort::SpeedConstant(baud) == 0) {
            error.kind = OpenFailure::kUnsupportedSpeed;
            return nullptr;
        }
        if (bus.HostAttached()) {
            error.kind = OpenFailure::kBusy;
            return nullptr;
        }
        bus.SetLineSpeed(baud);
        return std::make_unique<InMemoryLine>(loop, bus, PortDisplayName(path));
    };
}

}  // namespace tavro::sim
