#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "link/Command.h"

namespace tavro {

// Where a row's reply data goes: a numbered slot of the reply store, nowhere, or (rows of
// per-step tables) the running slot of the command's place in the run.
inline constexpr int kSlotNone = -1;
inline constexpr int kSlotRunning = -2;

// One request of a command table.
struct CommandRow {
    std::string_view format;  // command text, or "EE %d %d" / "EE %d %d %.5f"
    int destination = kSlotNone;
    int argCount = 0;  // 2 for parameter rows
    int group = 0;     // for per-step tables: the group of step 1
    int parameter = 0;

    constexpr bool IsParameterRow() const { return argCount == 2; }
    constexpr bool IsReadForm() const { return format == cmd::kReadParameter; }
};

using CommandTable = std::span<const CommandRow>;

constexpr CommandRow Bare(std::string_view text, int destination = kSlotNone) {
    return CommandRow{text, destination, 0, 0, 0};
}
constexpr CommandRow Read(int group, int parameter, int destination = kSlotNone) {
    return CommandRow{cmd::kReadParameter, destination, 2, group, parameter};
}
constexpr CommandRow Write(int group, int parameter, int destination = kSlotNone) {
    return CommandRow{cmd::kWriteParameter, destination, 2, group, parameter};
}

// One block of a block list.
struct Block {
    CommandTable table;       // used unless the control type is pulse
    CommandTable pulseTable;  // used for the pulse control type
    int message = 0;          // string shown when the block has finished; 0 = none
    bool perStep = false;     // run once per step, adding the step index to the group
    int forceSelector = 0;    // 1-based index into the operation's force flags; 0 = none
    int skipSelector = 0;     // 1-based index into the operation's skip flags; 0 = never
};

using BlockList = std::span<const Block>;

// Contiguous parameters first..last of one group, or parameter p of groups first..last:
// the way the tables' long runs are written.
struct ParameterRun {
    int group;
    int firstParameter;
    int lastParameter;
    int lastGroup;  // > group: parameter firstParameter of groups group..lastGroup
};

template <std::size_t N>
constexpr std::size_t CountRows(const ParameterRun (&runs)[N]) {
    std::size_t n = 0;
    for (const auto& r : runs) {
        n += static_cast<std::size_t>(r.lastGroup > r.group
                                          ? r.lastGroup - r.group + 1
                                          : r.lastParameter - r.firstParameter + 1);
    }
    return n;
}

// The read rows of the runs in order; `numbered` gives row i the destination slot i.
template <std::size_t Count, std::size_t N>
constexpr std::array<CommandRow, Count> ExpandReadRows(const ParameterRun (&runs)[N],
                                                       bool numbered) {
    std::array<CommandRow, Count> rows{};
    std::size_t n = 0;
    auto add = [&](int g, int p) {
        rows[n] = Read(g, p, numbered ? static_cast<int>(n) : kSlotNone);
        ++n;
    };
    for (const auto& r : runs) {
        if (r.lastGroup > r.group) {
            for (int g = r.group; g <= r.lastGroup; ++g) {
                add(g, r.firstParameter);
            }
        } else {
            for (int p = r.firstParameter; p <= r.lastParameter; ++p) {
                add(r.group, p);
            }
        }
    }
    return rows;
}

// 225 text slots, enough for 15 steps of 15 parameters, plus the slot of rows without a
// destination. Longer texts are cut to the slot.
class ReplyStore {
  public:
    static constexpr int kSlots = 225;
    static constexpr std::size_t kSlotChars = 58;
    static constexpr std::size_t kMaxText = kSlotChars - 1;  // room for a terminator

    void Put(int slot, std::string_view text);
    const std::string& Get(int slot) const;
    void Clear();

  private:
    std::array<std::string, kSlots + 1> slots_{};
};

}  // namespace tavro
