#include "link/SerialPort.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace tavro {

namespace {

struct SpeedEntry {
    int baud;
    speed_t constant;
};

constexpr SpeedEntry kSpeeds[] = {
    {1200, B1200},   {2400, B2400},   {4800, B4800},   {9600, B9600},
    {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200},
};

// Writes are blocking from the caller's view; a line that takes longer than this to accept
// a frame is treated as gone.
constexpr int kWriteTimeoutMs = 2000;

// Unix98 pseudo-terminal slaves (majors 136..143), where simulated controllers live.
bool IsPseudoTerminal(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) {
        return false;
    }
    const unsigned m = major(st.st_rdev);
    return m >= 136 && m <= 143;
}

void Fail(OpenError& error, OpenFailure kind, int err) {
    error.kind = kind;
    error.error = err;
}

// USB adapters hold received bytes back for a few milliseconds (FTDI: 16 ms by default);
// the low-latency flag asks the driver to pass them on at once. Best effort: a driver
// without it refuses, and the port works as before.
void AskForLowLatency(int fd) {
    serial_struct ss{};
    // The kernel's flags are an int, its flag values unsigned.
    constexpr int kLowLatency = static_cast<int>(ASYNC_LOW_LATENCY);
    if (::ioctl(fd, TIOCGSERIAL, &ss) != 0 || (ss.flags & kLowLatency) != 0) {
        return;
    }
    ss.flags |= kLowLatency;
    (void)::ioctl(fd, TIOCSSERIAL, &ss);
}

}  // namespace

std::string OpenError::Why() const {
    return path + ": " + (error != 0 ? std::strerror(error) : "failed");
}

std::string PortDisplayName(const std::string& path) {
    constexpr std::string_view kDev = "/dev/";
    if (path.rfind(kDev, 0) == 0) {
        return path.substr(kDev.size());
    }
    return path;
}

unsigned SerialPort::SpeedConstant(int baud) {
    for (const auto& s : kSpeeds) {
        if (s.baud == baud) {
            return static_cast<unsigned>(s.constant);
        }
    }
    return 0;
}

SerialPort::SerialPort(EventLoop& loop, std::string path, int fd)
    : loop_(loop), path_(std::move(path)), fd_(fd) {}

SerialPort::~SerialPort() {
    CloseFd();
}

std::unique_ptr<SerialPort> SerialPort::Open(EventLoop& loop, const std::string& path, int baud,
                                             OpenError& error) {
    error = OpenError{};
    error.path = path;
    error.baud = baud;
    const unsigned speed = SpeedConstant(baud);
    if (speed == 0) {
        Fail(error, OpenFailure::kUnsupportedSpeed, 0);
        return nullptr;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        if (err == ENOENT || err == ENXIO || err == ENODEV) {
            Fail(error, OpenFailure::kNotFound, err);
        } else if (err == EACCES || err == EPERM) {
            Fail(error, OpenFailure::kPermissionDenied, err);
        } else if (err == EBUSY) {
            Fail(error, OpenFailure::kBusy, err);
        } else {
            Fail(error, OpenFailure::kIo, err);
        }
        return nullptr;
    }
    std::unique_ptr<SerialPort> port(new SerialPort(loop, path, fd));

    if (!::isatty(fd)) {
        Fail(error, OpenFailure::kNotATerminal, ENOTTY);
        return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        Fail(error, OpenFailure::kBusy, errno);
        return nullptr;
    }
    if (::ioctl(fd, TIOCEXCL) != 0) {
        const int err = errno;
        Fail(error, err == EBUSY ? OpenFailure::kBusy : OpenFailure::kConfiguration, err);
        return nullptr;
    }

    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        Fail(error, OpenFailure::kConfiguration, errno);
        return nullptr;
    }
    ApplyLineSettings(tio, speed);
    int set = ::tcsetattr(fd, TCSANOW, &tio);
    if (set != 0 && errno == EINVAL && IsPseudoTerminal(fd)) {
        // A pseudo-terminal has no parity bit and drops PARENB; asking for it again on a
        // terminal already set up otherwise is refused, so ask for what it can do.
        tio.c_cflag &= ~static_cast<tcflag_t>(PARENB);
        set = ::tcsetattr(fd, TCSANOW, &tio);
    }
    if (set != 0) {
        Fail(error, OpenFailure::kConfiguration, errno);
        return nullptr;
    }
    // RTS held off; pseudo-terminals have no modem lines, so a refusal here is harmless.
    int rts = TIOCM_RTS;
    (void)::ioctl(fd, TIOCMBIC, &rts);
    AskForLowLatency(fd);
    ::tcflush(fd, TCIOFLUSH);
    return port;
}

void SerialPort::ApplyLineSettings(termios& tio, unsigned speed) {
    ::cfmakeraw(&tio);
    // cfmakeraw clears parity; the controller's line is 8E1 with parity checked on input.
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARODD | CRTSCTS);
    tio.c_cflag |= static_cast<tcflag_t>(CS8 | PARENB | CLOCAL | CREAD);
    tio.c_iflag |= static_cast<tcflag_t>(INPCK);
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | IGNPAR | PARMRK);
    // With VMIN 1 a non-blocking read of an empty queue fails with EAGAIN, so a read of 0
    // bytes can only mean a hang-up.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, static_cast<speed_t>(speed));
    ::cfsetospeed(&tio, static_cast<speed_t>(speed));
}

std::string SerialPort::Name() const {
    return PortDisplayName(path_);
}

void SerialPort::Start(BytesHandler onBytes, GoneHandler onGone) {
    onBytes_ = std::move(onBytes);
    onGone_ = std::move(onGone);
    if (fd_ >= 0 && watch_ == 0) {
        watch_ = loop_.WatchReadable(fd_, [this] { OnReadable(); });
    }
}

void SerialPort::Stop() {
    if (watch_ != 0) {
        loop_.Unwatch(watch_);
        watch_ = 0;
    }
    onBytes_ = nullptr;
    onGone_ = nullptr;
}

void SerialPort::CloseFd() {
    if (watch_ != 0) {
        loop_.Unwatch(watch_);
        watch_ = 0;
    }
    if (fd_ >= 0) {
        // Exclusive use belongs to the terminal, not to this descriptor: another process
        // that keeps the device open (a simulator holding its pty) would keep it otherwise.
        (void)::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
        fd_ = -1;
    }
}

void SerialPort::Lost(int error) {
    CloseFd();
    GoneHandler gone = std::move(onGone_);
    onGone_ = nullptr;
    onBytes_ = nullptr;
    if (gone) {
        gone(error);
    }
}

void SerialPort::OnReadable() {
    char buf[4096];
    bool gotAny = false;
    for (;;) {
        if (fd_ < 0) {
            return;
        }
        const ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n > 0) {
            gotAny = true;
            if (onBytes_) {
                // The handler may stop or close the port; it sees each chunk once.
                BytesHandler handler = onBytes_;
                handler(std::string_view(buf, static_cast<std::size_t>(n)));
            }
            continue;
        }
        if (n == 0) {
            Lost(0);
            return;
        }
        const int err = errno;
        if (err == EINTR) {
            continue;
        }
        if (err == EAGAIN || err == EWOULDBLOCK) {
            if (!gotAny) {
                // poll() woke us for a hang-up or an error condition with no data left.
                pollfd p{fd_, POLLIN, 0};
                if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
                    Lost(0);
                }
            }
            return;
        }
        Lost(err);
        return;
    }
}

bool SerialPort::Write(std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        if (fd_ < 0) {
            return false;
        }
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        const int err = n < 0 ? errno : EIO;
        if (err == EINTR) {
            continue;
        }
        if (err == EAGAIN || err == EWOULDBLOCK) {
            pollfd p{fd_, POLLOUT, 0};
            const int r = ::poll(&p, 1, kWriteTimeoutMs);
            if (r > 0 && (p.revents & POLLOUT) != 0) {
                continue;
            }
            if (r == 0) {
                return false;  // the line is stuck; this frame is lost like a noisy one
            }
            Lost(EIO);
            return false;
        }
        Lost(err);
        return false;
    }
    return true;
}

}  // namespace tavro
