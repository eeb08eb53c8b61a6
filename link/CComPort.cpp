#include "link/CComPort.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

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
    // A by-id name finds the same adapter in whatever socket it is plugged into.
    const std::string device = path.empty() ? path : ResolvePortLink(path);
    PortInfo info = DescribePort(device, ctx_.port.scan);
    if (path.empty()) {
        error.kind = OpenFailure::kNotFound;  // no path: no port to open at all
        error.baud = speed;
    } else if (ctx_.openPort) {
        transport = ctx_.openPort(device, speed, error);
    } else {
        transport = SerialPort::Open(ctx_.loop, device, speed, error);
    }
    status.SetBaudRate(speed);
    if (!transport) {
        ExplainFailure(error, info);
        ctx_.port.lastError = error;
        ini.SetAuto(0);
        status.SetComPort(0);
        ctx_.status.portPath.clear();
        ctx_.status.portName.clear();
        return 1;
    }
    ctx_.port.lastError = error;
    if (!info.latencyFile.empty() && info.latencyMs > 1) {
        // The serial port has asked the driver for low latency; where that did not reach the
        // timer, ask the timer itself.
        info.latencyMs = ReadLatencyTimer(info.latencyFile);
        if (info.latencyMs > 1 && LowerLatencyTimer(info.latencyFile)) {
            info.latencyMs = 1;
        }
    }
    ctx_.port.opened = info;
    ctx_.status.portName = transport->Name();
    ctx_.status.portPath = device;
    ctx_.port.transport = std::move(transport);
    CRxdThread(ctx_).StartReceiver();
    ini.SetComAndSpeed(kOpenPortNumber, speed, device, info.byId);
    status.SetComPort(kOpenPortNumber);
    return 0;
}

void CComPort::ExplainFailure(OpenError& error, const PortInfo& port) const {
    if (error.path.empty()) {
        error.path = port.path;
    }
    if (error.kind == OpenFailure::kPermissionDenied) {
        error.group = DeviceGroup(error.path);
        error.user = CurrentUserName();
    } else if (error.kind == OpenFailure::kBusy) {
        const PortHolder holder = FindPortHolder(error.path, ctx_.port.scan.procDir);
        error.holderPid = holder.pid;
        error.holderName = holder.name;
        error.usbVendor = port.usbVendor;
        error.usbProduct = port.usbProduct;
    }
}

std::string CComPort::CurrentUserName() {
    std::vector<char> buf(16384);
    passwd pw{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found != nullptr &&
        found->pw_name != nullptr) {
        return found->pw_name;
    }
    const char* user = std::getenv("USER");
    return user != nullptr && user[0] != '\0' ? user : "$USER";
}

std::vector<PortInfo> CComPort::EnumeratePorts() const {
    return ListSerialPorts(ctx_.port.scan);
}

int CComPort::FindPort(const std::vector<PortInfo>& ports, const std::string& path) {
    if (path.empty()) {
        return -1;
    }
    for (std::size_t i = 0; i < ports.size(); ++i) {
        if (ports[i].path == path || ports[i].byId == path) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace tavro
