#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tavro {

// A byte line to a controller: a serial port, an in-memory line to the simulator, or a
// wrapper that injects faults. Received bytes and the loss of the line arrive on the event
// loop's thread through the handlers given to Start.
class Transport {
  public:
    using BytesHandler = std::function<void(std::string_view bytes)>;
    // errno of the failure (EIO, 0 for a hang-up); called once, after which the line is closed.
    using GoneHandler = std::function<void(int error)>;

    virtual ~Transport() = default;

    virtual void Start(BytesHandler onBytes, GoneHandler onGone) = 0;
    virtual void Stop() = 0;
    // Writes all bytes; false when the line is gone (the caller then hears silence).
    virtual bool Write(std::string_view bytes) = 0;
    virtual bool IsOpen() const = 0;
    // What the user sees as the port's name ("ttyUSB0", "pts/3").
    virtual std::string Name() const = 0;
};

// Why a port could not be opened, for the message the window shows.
enum class OpenFailure {
    kNone,
    kNotFound,
    kNotATerminal,
    kPermissionDenied,
    kBusy,
    kUnsupportedSpeed,
    kConfiguration,
    kIo,
};

// The window words it for the user (what failed and what to do) in the user's language.
struct OpenError {
    OpenFailure kind = OpenFailure::kNone;
    int error = 0;     // errno where one applies
    std::string path;  // the device; empty when there was none to open
    int baud = 0;      // the speed asked for
    // Permission denied: the group that owns the device node and the user to add to it.
    std::string group;
    std::string user;
    // In use: the process that holds the device, when it can be seen.
    int holderPid = 0;
    std::string holderName;
    // The USB adapter's vendor and product IDs, for a rule that keeps a prober away.
    std::string usbVendor;
    std::string usbProduct;

    // "path: system error text", for logs and test output; the user sees PortMessages.
    std::string Why() const;
};

}  // namespace tavro
