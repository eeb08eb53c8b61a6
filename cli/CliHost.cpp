#include "cli/CliHost.h"

#include <variant>

#include "link/Operations.h"
#include "link/StringIds.h"

namespace tavro::cli {

void WriteMessage(std::ostream& err, int stringId, std::string_view text) {
    err << stringId << ": " << text << '\n';
    err.flush();
}

CliHost::CliHost(LinkContext& ctx, std::ostream& err, Language language)
    : ctx_(ctx), err_(err), strings_(language) {}

void CliHost::SetLinkState(LinkState state) {
    ctx_.status.linkState = state;
    Sample();
}

void CliHost::Sample() {
    if (ctx_.trx.currentOp == OP_ALARM) {
        alarmSeen_ = true;
    }
}

void CliHost::NotifyFrontDialog(int message, int /*target*/) {
    if (message == WM_OP_NO_CONTROLLER) {
        noController_ = true;
        Print(ids::IDS_NO_CONTROLLER);
    }
}

void CliHost::ShowMessage(int stringId, MessageIcon /*icon*/, bool /*topmost*/) {
    Print(stringId);
}

void CliHost::ShowFormattedMessage(int stringId, MessageIcon /*icon*/, bool /*topmost*/,
                                   const std::vector<MessageArg>& args) {
    std::vector<FormatArg> list;
    list.reserve(args.size());
    for (const MessageArg& a : args) {
        std::visit([&list](const auto& v) { list.emplace_back(v); }, a);
    }
    Print(stringId, FormatArgs(strings_.Text(stringId), list));
}

bool CliHost::AskYesNo(int stringId, MessageIcon /*icon*/, bool /*topmost*/) {
    Print(stringId);
    return false;
}

void CliHost::ShowStatusLamps(std::uint16_t word, bool /*monitorPage*/) {
    lampsKnown_ = true;
    lamps_ = word;
}

void CliHost::ShowMonitorValue(int controlId, const std::string& text) {
    const int index = controlId - kFirstValueControl;
    if (index >= 0 && index < static_cast<int>(kMonitorValues)) {
        values_[static_cast<std::size_t>(index)] = text;
    }
}

std::string CliHost::Text(int stringId) const {
    return std::string(strings_.Text(stringId));
}

void CliHost::Print(int stringId) {
    Print(stringId, Text(stringId));
}

void CliHost::Print(int stringId, const std::string& text) {
    shown_.push_back({stringId, text});
    WriteMessage(err_, stringId, text);
    if (onMessage_) {
        onMessage_(stringId, text);
    }
}

void CliHost::Note(const std::string& text) {
    err_ << "tavro-cli: " << text << '\n';
    err_.flush();
}

bool CliHost::Shown(int stringId, std::size_t since) const {
    for (std::size_t i = since; i < shown_.size(); ++i) {
        if (shown_[i].stringId == stringId) {
            return true;
        }
    }
    return false;
}

}  // namespace tavro::cli
