#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/SimBus.h"

namespace tavro::test {

// Counters over the simulator's line log: what reached the controllers, from record `from`
// of the log on (a mark taken with bus.Log().size()).

// Requests with exactly this command text ("OE 0 0 0"); an empty text counts every request,
// the monitor poll included.
inline std::size_t CountRequests(const sim::SimBus& bus, std::string_view command = {},
                                 std::size_t from = 0) {
    std::size_t n = 0;
    for (std::size_t i = from; i < bus.Log().size(); ++i) {
        const sim::LineRecord& r = bus.Log()[i];
        if (r.direction == sim::Direction::kRequest && (command.empty() || r.command == command)) {
            ++n;
        }
    }
    return n;
}

// The command texts of the requests, the monitor poll left out.
inline std::vector<std::string> CommandsSent(const sim::SimBus& bus, std::size_t from = 0) {
    std::vector<std::string> sent;
    for (std::size_t i = from; i < bus.Log().size(); ++i) {
        const sim::LineRecord& r = bus.Log()[i];
        if (r.direction == sim::Direction::kRequest && r.code != "MO") {
            sent.push_back(r.command);
        }
    }
    return sent;
}

// When the requests with this command text reached the controllers.
inline std::vector<std::int64_t> TimesOf(const sim::SimBus& bus, std::string_view command,
                                         std::size_t from = 0) {
    std::vector<std::int64_t> times;
    for (std::size_t i = from; i < bus.Log().size(); ++i) {
        const sim::LineRecord& r = bus.Log()[i];
        if (r.direction == sim::Direction::kRequest && r.command == command) {
            times.push_back(r.timeMs);
        }
    }
    return times;
}

}  // namespace tavro::test
