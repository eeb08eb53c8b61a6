#include "sim/PtyEndpoint.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "link/SerialPort.h"

namespace tavro::sim {

namespace {

// A termios speed constant and its rate.
struct SpeedEntry {
    speed_t constant;
    int baud;
};

constexpr SpeedEntry kSpeeds[] = {
    {B1200, 1200},   {B2400, 2400},   {B4800, 4800},   {B9600, 9600},
    {B19200, 19200}, {B38400, 38400}, {B57600, 57600}, {B115200, 115200},
};

std::string Why(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

void CloseFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

}  // namespace

PtyEndpoint::~PtyEndpoint() {
    CloseFd(events_);
    CloseFd(slave_);
    CloseFd(master_);
}

bool PtyEndpoint::Open(int baud, std::string& error) {
    const unsigned speed = SerialPort::SpeedConstant(baud);
    if (speed == 0) {
        error = "unsupported speed " + std::to_string(baud);
        return false;
    }
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) {
        error = Why("posix_openpt");
        return false;
    }
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        error = Why("pseudo-terminal");
        return false;
    }
    char name[256] = {};
    if (::ptsname_r(master_, name, sizeof name) != 0) {
        error = Why("ptsname");
        return false;
    }
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) {
        error = Why(name);
        return false;
    }
    termios tio{};
    if (::tcgetattr(slave_, &tio) != 0) {
        error = Why("tcgetattr");
        return false;
    }
    SerialPort::ApplyLineSettings(tio, speed);
    tio.c_iflag &= ~static_cast<tcflag_t>(INPCK);
    if (::tcsetattr(slave_, TCSANOW, &tio) != 0) {
        error = Why("tcsetattr");
        return false;
    }
    const int flags = ::fcntl(master_, F_GETFL);
    if (flags < 0 || ::fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) {
        error = Why("fcntl");
        return false;
    }
    events_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (events_ < 0 || ::inotify_add_watch(events_, name, IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        // Without the watch a client that asked for exclusive use locks the next one out;
        // everything else still works.
        CloseFd(events_);
    }
    return true;
}

void PtyEndpoint::Tidy() {
    int exclusive = 0;
    if (::ioctl(slave_, TIOCGEXCL, &exclusive) == 0 && exclusive != 0) {
        (void)::ioctl(slave_, TIOCNXCL);
    }
    // A pseudo-terminal drops PARENB, and glibc reports a tcsetattr that asks for it as
    // failed (EINVAL) when nothing else changes. The terminal keeps a client's settings after
    // it leaves, so the next client setting up the same line would fail. Parity is never
    // checked on a pseudo-terminal anyway; with INPCK off, every such setup changes something.
    termios tio{};
    if (::tcgetattr(slave_, &tio) == 0 && (tio.c_iflag & INPCK) != 0) {
        tio.c_iflag &= ~static_cast<tcflag_t>(INPCK);
        ::tcsetattr(slave_, TCSANOW, &tio);
    }
}

int PtyEndpoint::ClientSpeed() const {
    termios tio{};
    if (slave_ < 0 || ::tcgetattr(slave_, &tio) != 0) {
        return 0;
    }
    const speed_t s = ::cfgetospeed(&tio);
    for (const auto& e : kSpeeds) {
        if (e.constant == s) {
            return e.baud;
        }
    }
    return 0;
}

bool PtyEndpoint::Read(std::string& out) {
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0) {
            out.append(buf, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
}

void PtyEndpoint::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(master_, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return;
        }
    }
}

int PtyEndpoint::HandleEvents() {
    if (events_ < 0) {
        return 0;
    }
    alignas(inotify_event) char buf[4096];
    int closes = 0;
    for (;;) {
        const ssize_t n = ::read(events_, buf, sizeof buf);
        if (n <= 0) {
            break;
        }
        for (ssize_t off = 0; off + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
            inotify_event ev{};
            std::memcpy(&ev, buf + off, sizeof ev);
            if ((ev.mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) != 0) {
                ++closes;
            }
            off += static_cast<ssize_t>(sizeof(inotify_event) + ev.len);
        }
    }
    if (closes > 0) {
        ::tcflush(slave_, TCIFLUSH);
        Tidy();
    }
    return closes;
}

}  // namespace tavro::sim
