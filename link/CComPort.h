#pragma once

#include <string>
#include <vector>

#include "link/LinkContext.h"
#include "link/PortList.h"

namespace tavro {

// Opens the controller's port with its line settings and lists the ports on offer.
class CComPort {
  public:
    explicit CComPort(LinkContext& ctx) : ctx_(ctx) {}
    virtual ~CComPort() = default;

    // 0 on success, 1 on failure. Always records comPort (> 0 while open) and baudRate; on
    // success stores port and speed and switches automatic connection on in the settings,
    // on failure switches it off. The reason of a failure is in LastError().
    int Open(const std::string& path, int speed);

    const OpenError& LastError() const { return ctx_.port.lastError; }

    // Serial ports the system offers, then registered simulator ports.
    std::vector<PortInfo> EnumeratePorts() const;

    // Index of the entry with this device path; -1 when it is not listed.
    static int FindPort(const std::vector<PortInfo>& ports, const std::string& path);

  private:
    LinkContext& ctx_;
};

}  // namespace tavro
