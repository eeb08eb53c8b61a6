#include "link/CComPort.h"

#include "link/CIniRw.h"
#include "link/CRxdThread.h"
#include "link/CStatusFlg.h"
#include "link/SerialPort.h"

namespace tavro {

namespace {

// comPort only says whether a port is open; the device itself is in portPath.
constexpr int kOpenPortNumber = 1;

}  // namespace

int CComPort::Open(const std::string& path, int speed) {
    CStatusFlg status(ctx_);
    CIniRw ini(ctx_);
    OpenError error;
    std::unique_ptr<Transport> transport;
    if (path.empty()) {
        error.kind = OpenFailure::kNotFound;  // no path: no port to open at all
        error.baud = speed;
    } else if (ctx_.openPort) {
        transport = ctx_.openPort(path, speed, error);
    } else {
        transport = SerialPort::Open(ctx_.loop, path, speed, error);
    }
    ctx_.port.lastError = error;
    status.SetBaudRate(speed);
    if (!transport) {
        ini.SetAuto(0);
        status.SetComPort(0);
        ctx_.status.portPath.clear();
        ctx_.status.portName.clear();
        return 1;
    }
    ctx_.status.portName = transport->Name();
    ctx_.status.portPath = path;
    ctx_.port.transport = std::move(transport);
    CRxdThread(ctx_).StartReceiver();
    ini.SetComAndSpeed(kOpenPortNumber, speed, path);
    status.SetComPort(kOpenPortNumber);
    return 0;
}

std::vector<PortInfo> CComPort::EnumeratePorts() const {
    return ListSerialPorts(ctx_.port.scan);
}

int CComPort::FindPort(const std::vector<PortInfo>& ports, const std::string& path) {
    for (std::size_t i = 0; i < ports.size(); ++i) {
        if (ports[i].path == path) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace tavro
