#pragma once

#include <cstdint>
#include <functional>

#include "link/EventLoop.h"
#include "link/LinkContext.h"
#include "link/PortList.h"
#include "ui/DialogSupport.h"

namespace tavro {

// After the open port went away: watches for the same adapter to come back (by its by-id
// name or its USB identity) and asks once whether to reconnect to it.
class ReconnectOffer {
  public:
    static constexpr std::int64_t kScanMs = 1000;
    using Reconnect = std::function<void(const PortInfo& port)>;

    ReconnectOffer(LinkContext& ctx, const ui::DialogServices& services, Reconnect reconnect);
    ~ReconnectOffer();
    ReconnectOffer(const ReconnectOffer&) = delete;
    ReconnectOffer& operator=(const ReconnectOffer&) = delete;

    // Watches for the adapter of the port that was open; a port nothing identifies (a
    // pseudo-terminal, a device without USB identity or by-id name) is not watched.
    void Watch();
    void Stop();
    bool Watching() const { return timer_ != 0; }

  private:
    void Scan();

    LinkContext& ctx_;
    ui::DialogServices services_;
    Reconnect reconnect_;
    PortInfo lost_;
    EventLoop::TimerId timer_ = 0;
    bool asking_ = false;
};

}  // namespace tavro
