#pragma once

#include <memory>
#include <string>

struct termios;

#include "link/EventLoop.h"
#include "link/Transport.h"

namespace tavro {

// A serial device opened with the controller's line settings: raw, 8 data bits, even parity
// checked on input, 1 stop bit, no flow control, RTS off, exclusive. Reads are driven by the
// event loop; a hang-up or an I/O error closes the port instead of spinning on it.
class SerialPort : public Transport {
  public:
    static std::unique_ptr<SerialPort> Open(EventLoop& loop, const std::string& path, int baud,
                                            OpenError& error);
    ~SerialPort() override;

    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    void Start(BytesHandler onBytes, GoneHandler onGone) override;
    void Stop() override;
    bool Write(std::string_view bytes) override;
    bool IsOpen() const override { return fd_ >= 0; }
    std::string Name() const override;

    const std::string& Path() const { return path_; }
    int Fd() const { return fd_; }

    // termios speed constant for a rate in bit/s; 0 when the rate is not supported.
    static unsigned SpeedConstant(int baud);

    // The controller's line settings applied to a terminal description (raw 8E1, input
    // parity check, no flow control) for a speed constant of SpeedConstant.
    static void ApplyLineSettings(termios& tio, unsigned speed);

  private:
    SerialPort(EventLoop& loop, std::string path, int fd);
    void OnReadable();
    void Lost(int error);
    void CloseFd();

    EventLoop& loop_;
    std::string path_;
    int fd_ = -1;
    EventLoop::WatchId watch_ = 0;
    BytesHandler onBytes_;
    GoneHandler onGone_;
};

// The display name of a device path: "/dev/ttyUSB0" -> "ttyUSB0", "/dev/pts/3" -> "pts/3".
std::string PortDisplayName(const std::string& path);

}  // namespace tavro
