// The four transfer engines: tables and block lists between the controller and the image.

#include <algorithm>

#include "link/CEepData.h"
#include "link/CStatusFlg.h"
#include "link/CTimer.h"
#include "link/CTrxData.h"
#include "link/Numbers.h"

namespace tavro {

namespace {

// A reply text as the image's 32-bit float; what does not parse, or what a float cannot hold,
// is 0.
float StoredValue(std::string_view text) {
    return FloatOrZero(Atof(text));
}

int SlotOfReply(const CommandTable& table, int step, int repeats) {
    if (repeats < 2) {
        return table[static_cast<std::size_t>(step - 1)].destination;
    }
    return step - 1;
}

// A value nobody knows is never written, and a forced row does not change what the
// controller holds when the rounding of the command would alter it.
bool MayWrite(CEepData& eep, int group, int parameter, double value) {
    switch (eep.Origin(group, parameter)) {
        case CellOrigin::kUnknown:
            return false;
        case CellOrigin::kController:
            // As the command will print it.
            return static_cast<float>(Atof(Format("%.5f", value))) ==
                   eep.GetCell(group, parameter, ParameterImage::kEditCopy);
        case CellOrigin::kDefault:
        case CellOrigin::kUser:
            return true;
    }
    return false;
}

bool Unsent(const std::vector<UnsentCell>& unsent, int group, int parameter) {
    return std::any_of(unsent.begin(), unsent.end(), [&](const UnsentCell& u) {
        return ParameterImage::ResolveGroup(u.group) == ParameterImage::ResolveGroup(group) &&
               u.parameter == parameter;
    });
}

bool Skipped(const Block& block, std::span<const int> skipFlags) {
    const int s = block.skipSelector;
    return s >= 1 && static_cast<std::size_t>(s) <= skipFlags.size() &&
           skipFlags[static_cast<std::size_t>(s - 1)] == 1;
}

// Commands of the blocks that run, for the progress bar.
int BlockTotal(const CTrxData& engine, BlockList blocks, std::span<const int> skipFlags) {
    int total = 0;
    for (const Block& b : blocks) {
        if (!Skipped(b, skipFlags)) {
            const int rows = static_cast<int>(engine.TableFor(b).size());
            total += rows * (b.perStep ? engine.RepeatCount() : 1);
        }
    }
    return total;
}

}  // namespace

void ReplyStore::Put(int slot, std::string_view text) {
    if (slot == kSlotNone) {
        slot = kSlots;
    }
    if (slot < 0 || slot > kSlots) {
        return;
    }
    slots_[static_cast<std::size_t>(slot)].assign(text.substr(0, kMaxText));
}

const std::string& ReplyStore::Get(int slot) const {
    if (slot < 0 || slot > kSlots) {
        slot = kSlots;
    }
    return slots_[static_cast<std::size_t>(slot)];
}

void ReplyStore::Clear() {
    for (auto& s : slots_) {
        s.clear();
    }
}

int CTrxData::ReadTable(int step, int repeats, int count, CommandTable table) {
    TrxState& t = State();
    TableCursor& c = t.readCursor;
    count = std::min<int>(count, static_cast<int>(table.size()));
    if (step == 0) {
        c = TableCursor{};
        t.unsent.clear();
    } else if (step <= repeats * count) {
        const int slot = SlotOfReply(table, step, repeats);
        if (slot != kSlotNone) {
            t.store.Put(slot, t.lastReply.data);
        }
    }
    if (step >= repeats * count) {
        return kContinue;
    }
    if (c.repeat < repeats) {
        const CommandRow& row = table[static_cast<std::size_t>(c.row)];
        if (row.IsParameterRow()) {
            Send(Format(cmd::kReadParameter.data(), row.group + c.repeat, row.parameter),
                 t.lastRequest.controllerId);
        } else {
            Send(row.format, t.lastRequest.controllerId);
        }
        if (++c.row >= count) {
            ++c.repeat;
            c.row = 0;
        }
    }
    return kWait;
}

int CTrxData::WriteTable(int step, int repeats, int count, CommandTable table, int force) {
    TrxState& t = State();
    TableCursor& c = t.writeCursor;
    CEepData eep(ctx_);
    count = std::min<int>(count, static_cast<int>(table.size()));
    if (step == 0) {
        c = TableCursor{};
        t.unsent.clear();
    } else if (step <= repeats * count && c.hasCell) {
        // The previous row's write has been acknowledged, or the row sent nothing.
        const float edit = eep.GetCell(c.cellGroup, c.cellParameter, ParameterImage::kEditCopy);
        const int slot = SlotOfReply(table, step, repeats);
        if (slot != kSlotNone) {
            t.store.Put(slot, Format("%f", static_cast<double>(edit)));
        }
        if (c.sent) {
            eep.Acknowledge(c.cellGroup, c.cellParameter);
        } else {
            t.unsent.push_back({c.cellGroup, c.cellParameter});
        }
    }
    if (step >= repeats * count || c.repeat >= repeats) {
        return kContinue;
    }
    const CommandRow& row = table[static_cast<std::size_t>(c.row)];
    // Writes go to controllerId, which an acknowledged write of 0/3 has just changed.
    const int id = ctx_.status.controllerId;
    int result = kWait;
    if (!row.IsParameterRow()) {
        c.hasCell = false;
        Send(row.format, id);
    } else {
        const int g = row.group + c.repeat;
        const int p = row.parameter;
        c.hasCell = true;
        c.sent = false;
        c.cellGroup = g;
        c.cellParameter = p;
        const float edit = eep.GetCell(g, p, ParameterImage::kEditCopy);
        // Rows in read form go out rounded to four decimals, written ones as they stand.
        const double value = row.IsReadForm() ? Atof(Format("%.4f", static_cast<double>(edit)))
                                              : static_cast<double>(edit);
        if ((force != 0 || eep.IsModified(g, p)) && MayWrite(eep, g, p, value)) {
            c.sent = true;
            Send(Format(cmd::kWriteParameter.data(), g, p, value), id);
        } else {
            result = kContinue;
        }
    }
    if (++c.row >= count) {
        ++c.repeat;
        c.row = 0;
    }
    return result;
}

int CTrxData::ReadBlocks(int step, BlockList blocks) {
    BlockCursor& c = State().readBlocks;
    if (step == 0) {
        c = BlockCursor{};
        SetLinkState(kLinkBusy);
        c.total = BlockTotal(*this, blocks, {});
        ShowProgress(c.total);
    }
    Host().SetProgressPosition(step, c.total);
    while (c.block < static_cast<int>(blocks.size())) {
        const Block& b = blocks[static_cast<std::size_t>(c.block)];
        const CommandTable table = TableFor(b);
        const int repeats = b.perStep ? RepeatCount() : 1;
        const int rows = static_cast<int>(table.size());
        const int result = ReadTable(c.blockStep, repeats, rows, table);
        if (c.blockStep == rows * repeats) {
            if (b.message != 0) {
                Host().ShowMessage(b.message, MessageIcon::kInformation, true);
            }
            StoreReplies(table, repeats, rows);
            ++c.block;
            c.blockStep = 0;
            continue;
        }
        ++c.blockStep;
        return result;
    }
    HideProgress();
    return kBlocksDone;
}

int CTrxData::WriteBlocks(int step, BlockList blocks, std::span<const int> forceFlags,
                          std::span<const int> skipFlags) {
    BlockCursor& c = State().writeBlocks;
    if (step == 0) {
        c = BlockCursor{};
        SetLinkState(kLinkBusy);
        c.total = BlockTotal(*this, blocks, skipFlags);
        ShowProgress(c.total);
    }
    Host().SetProgressPosition(step, c.total);
    while (c.block < static_cast<int>(blocks.size())) {
        const Block& b = blocks[static_cast<std::size_t>(c.block)];
        if (Skipped(b, skipFlags)) {
            ++c.block;
            return kContinue;
        }
        const int f = b.forceSelector;
        const int force = f >= 1 && static_cast<std::size_t>(f) <= forceFlags.size()
                              ? forceFlags[static_cast<std::size_t>(f - 1)]
                              : 0;
        const CommandTable table = TableFor(b);
        const int repeats = b.perStep ? RepeatCount() : 1;
        const int rows = static_cast<int>(table.size());
        const int result = WriteTable(c.blockStep, repeats, rows, table, force);
        if (c.blockStep == rows * repeats) {
            if (b.message != 0) {
                HideProgress();
                Host().ShowMessage(b.message, MessageIcon::kInformation, true);
                c.messageShown = true;
            }
            StoreReplies(table, repeats, rows);
            ++c.block;
            c.blockStep = 0;
            continue;
        }
        ++c.blockStep;
        return result;
    }
    if (!c.messageShown) {
        HideProgress();
    }
    SetLinkState(kLinkOnline);
    Run(OP_IDLE, 0, 0);
    StopWaits();
    StartPoll();
    return kBlocksDone;
}

void CTrxData::StoreReplies(CommandTable table, int repeats, int count) {
    TrxState& t = State();
    CEepData eep(ctx_);
    CStatusFlg status(ctx_);
    count = std::min<int>(count, static_cast<int>(table.size()));
    int next = 0;
    for (int r = 0; r < repeats; ++r) {
        for (int i = 0; i < count; ++i) {
            const CommandRow& row = table[static_cast<std::size_t>(i)];
            if (row.destination == kSlotNone) {
                continue;
            }
            if (row.format == cmd::kVersion) {
                status.SetVersionFromText(t.store.Get(row.destination));
            } else if (row.format == cmd::kAlarmRead) {
                if (ctx_.monitorClient != nullptr) {
                    ctx_.monitorClient->DecodeAlarmReply(t.store.Get(row.destination));
                }
            } else if (row.IsParameterRow()) {
                const std::string& text = t.store.Get(repeats < 2 ? row.destination : next++);
                const float v = StoredValue(text);
                const int g = row.group + r;
                if (!Unsent(t.unsent, g, row.parameter)) {
                    eep.StoreRead(g, row.parameter, v);
                }
                ApplyParameter(row.group, row.parameter, Atoi(text));
            }
        }
    }
    t.unsent.clear();
}

}  // namespace tavro
