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
    // on failure switches it off. The reason of a failure is in LastError(). A by-id name
    // opens the device it leads to; an adapter's latency timer is lowered where it can be.
    int Open(const std::string& path, int speed);

    const OpenError& LastError() const { return ctx_.port.lastError; }

    // Serial ports the system offers, then registered simulator ports.
    std::vector<PortInfo> EnumeratePorts() const;

    // Index of the entry with this device path or by-id name; -1 when it is not listed.
    static int FindPort(const std::vector<PortInfo>& ports, const std::string& path);

    // The login name of this process's user.
    static std::string CurrentUserName();

  private:
    // What the message about a failed open needs: the device's group, the process that
    // holds it, the adapter's IDs.
    void ExplainFailure(OpenError& error, const PortInfo& port) const;

    LinkContext& ctx_;
};

}  // namespace tavro
