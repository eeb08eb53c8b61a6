#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tavro {

// What the monitor decoder keeps between replies. The link sets the refresh flags after
// operations that change the I/O state.
struct MonitorState {
    static constexpr std::size_t kValueCount = 5;

    std::string lastValues;        // values block of the last decoded reply
    std::uint16_t statusWord = 0;  // last status word taken over
    std::uint32_t lastStatusWord = 0;
    bool forceRefresh = true;        // take the next reply over even when unchanged
    bool suppressPageLamps = false;  // the next take-over updates the I/O Setup lamps only
    bool stale = false;              // no poll was answered for a while: nothing is known
    bool lastOriginBit = false;
    bool lastAlarmClearBit = false;
    std::array<std::int64_t, kValueCount> values{};
    std::vector<int> alarmCodes;  // most recent first
    // Called after every monitor reply has been decoded, whether or not anything changed:
    // a repeatability run takes its arrivals from the replies themselves.
    std::function<void()> onReply;
};

}  // namespace tavro
