#pragma once

#include <string_view>

namespace tavro {

// The monitor decoder as the link sees it, so that the link does not depend on it.
class MonitorClient {
  public:
    virtual ~MonitorClient() = default;
    // Data text of an "MO" reply.
    virtual void DecodeMonitorReply(std::string_view data) = 0;
    // Data text of an "RE" reply.
    virtual void DecodeAlarmReply(std::string_view data) = 0;
    // Rewrites the five value texts from the state last decoded.
    virtual void FormatMonitorValues() = 0;
    // The controller has not answered a poll for a while: the lamps and values are shown as
    // unknown until the next monitor reply.
    virtual void ShowSilence() = 0;
};

}  // namespace tavro
