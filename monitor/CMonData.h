#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "link/LinkContext.h"

namespace tavro {

// Decodes the monitor and alarm replies into the live state the pages show, turns edges of
// the status word into actions, and formats the five monitor values. A view over the
// context's monitor state.
class CMonData {
  public:
    // Status word bits the decoder acts on.
    static constexpr std::uint16_t kBitBusy = 0x0040;
    static constexpr std::uint16_t kBitAlarmClear = 0x0080;  // 0 while an alarm is active
    static constexpr std::uint16_t kBitOriginDone = 0x0800;
    static constexpr std::uint16_t kBitInPosition = 0x1000;

    static constexpr std::size_t kReplyLength = 28;
    static constexpr std::size_t kValuesLength = 24;

    explicit CMonData(LinkContext& ctx) : ctx_(ctx) {}
    virtual ~CMonData() = default;

    // Data text of an "MO" reply; any length but 28 is ignored.
    void Parse(std::string_view data);
    // The 24-character values block; true when it differs from the last one and was taken.
    bool ParseValues(std::string_view block);
    // Data text of an "RE" reply: 2 characters per code, alarmHistoryCount codes.
    void ParseAlarm(std::string_view data);
    // Writes the five value texts into the Monitor/Test page.
    void FormatValues();
    // No poll has been answered for a while: lamps off and values "-" until the next reply,
    // which is then shown whatever it holds.
    void ShowSilence();

    // The status word at the head of an "MO" data text, as Parse reads it.
    static std::uint16_t ReplyStatus(std::string_view data);

    std::uint16_t StatusWord() const { return ctx_.monitor.statusWord; }
    std::int64_t Value(std::size_t field) const;
    const std::vector<int>& AlarmCodes() const { return ctx_.monitor.alarmCodes; }

  private:
    LinkContext& ctx_;
};

}  // namespace tavro
