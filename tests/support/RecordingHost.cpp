#include "tests/support/RecordingHost.h"

#include <cstdio>

namespace tavro::test {

namespace {

std::string Join(const std::vector<int>& values) {
    std::string out;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        out += std::to_string(values[i]);
    }
    return out;
}

std::string Hex(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%04X", static_cast<unsigned>(v));
    return buf;
}

const char* IconName(MessageIcon icon) {
    return icon == MessageIcon::kExclamation ? "!" : "i";
}

}  // namespace

RecordingHost::RecordingHost(LinkContext& ctx) : ctx_(ctx) {
    ctx_.drivePage = this;
}

RecordingHost::~RecordingHost() {
    if (ctx_.drivePage == this) {
        ctx_.drivePage = nullptr;
    }
}

void RecordingHost::Record(std::string text) {
    calls.push_back(Call{ctx_.loop.NowMs(), std::move(text)});
}

std::size_t RecordingHost::Count(std::string_view text) const {
    std::size_t n = 0;
    for (const auto& c : calls) {
        if (c.text == text) {
            ++n;
        }
    }
    return n;
}

std::int64_t RecordingHost::TimeOf(std::string_view text) const {
    for (const auto& c : calls) {
        if (c.text == text) {
            return c.atMs;
        }
    }
    return -1;
}

std::vector<std::string> RecordingHost::Texts(std::size_t from) const {
    std::vector<std::string> out;
    for (std::size_t i = from; i < calls.size(); ++i) {
        out.push_back(calls[i].text);
    }
    return out;
}

std::size_t RecordingHost::MessageCount(int stringId) const {
    std::size_t n = 0;
    for (int m : messages) {
        if (m == stringId) {
            ++n;
        }
    }
    return n;
}

void RecordingHost::Clear() {
    calls.clear();
    messages.clear();
    linkStates.clear();
    foundIds.clear();
    alarms.clear();
}

void RecordingHost::SetLinkState(LinkState state) {
    ctx_.status.linkState = state;
    linkStates.push_back(state);
    Record("SetLinkState(" + std::to_string(LinkIndex(state)) + ")");
}

void RecordingHost::EnableMainWindow(bool enable) {
    Record(std::string("EnableMainWindow(") + (enable ? "1" : "0") + ")");
}

void RecordingHost::RequestExit() {
    ++exitRequests;
    Record("RequestExit");
}

void RecordingHost::NotifyFrontDialog(int message, int target) {
    Record("NotifyFrontDialog(" + Hex(message) + "," + std::to_string(target) + ")");
}

void RecordingHost::SetRedraw(bool on) {
    Record(std::string("SetRedraw(") + (on ? "1" : "0") + ")");
}

void RecordingHost::RefreshTitle() {
    Record("RefreshTitle");
}

void RecordingHost::RedisplayViews(int what, int copy) {
    Record("RedisplayViews(" + std::to_string(what) + "," + std::to_string(copy) + ")");
}

void RecordingHost::EnableTabStrip(bool enable) {
    Record(std::string("EnableTabStrip(") + (enable ? "1" : "0") + ")");
}

void RecordingHost::OpenProgress() {
    progressVisible = true;
    Record("OpenProgress");
}

void RecordingHost::SetProgressPosition(int position, int total) {
    progressPosition = position;
    progressTotal = total;
    if (position == 0) {
        Record("Progress(0," + std::to_string(total) + ")");
    }
}

void RecordingHost::StepProgress() {
    ++progressSteps;
    Record("StepProgress");
}

void RecordingHost::HideProgress() {
    progressVisible = false;
    Record("HideProgress");
}

void RecordingHost::ShowSearchProgress(int checked, int total) {
    Record("ShowSearchProgress(" + std::to_string(checked) + "," + std::to_string(total) + ")");
}

void RecordingHost::ShowFoundIds(const std::vector<int>& ids) {
    foundIds.push_back(ids);
    Record("ShowFoundIds(" + Join(ids) + ")");
}

void RecordingHost::StepSearchProgress() {
    ++searchSteps;
    Record("StepSearchProgress");
}

void RecordingHost::ShowMessage(int stringId, MessageIcon icon, bool topmost) {
    messages.push_back(stringId);
    Record("Message(" + std::to_string(stringId) + "," + IconName(icon) + (topmost ? ",top" : "") +
           ")");
}

void RecordingHost::ShowFormattedMessage(int stringId, MessageIcon icon, bool topmost,
                                         const std::vector<MessageArg>& /*args*/) {
    messages.push_back(stringId);
    Record("FormattedMessage(" + std::to_string(stringId) + "," + IconName(icon) +
           (topmost ? ",top" : "") + ")");
}

bool RecordingHost::AskYesNo(int stringId, MessageIcon icon, bool topmost) {
    messages.push_back(stringId);
    bool answer = false;
    if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
    }
    Record("Ask(" + std::to_string(stringId) + "," + IconName(icon) + (topmost ? ",top" : "") +
           ")=" + (answer ? "Yes" : "No"));
    return answer;
}

void RecordingHost::ShowOperationResult(const OperationResult& r) {
    const auto bit = [](bool b) { return b ? 1 : 0; };
    Record("ShowOperationResult(" +
           Join({bit(r.continuousEnabled), bit(r.servoOn), bit(r.originDone), bit(r.keepButtons),
                 bit(r.continuousRunning), bit(r.resetTable)}) +
           ")");
}

void RecordingHost::SetModeSwitch(int testMode) {
    Record("SetModeSwitch(" + std::to_string(testMode) + ")");
}

void RecordingHost::SetInchingLimits() {
    Record("SetInchingLimits");
}

void RecordingHost::SetSendingBusy(int busy) {
    Record("SetSendingBusy(" + std::to_string(busy) + ")");
}

void RecordingHost::ReleaseDeferredJog() {
    Record("ReleaseDeferredJog");
}

void RecordingHost::ShowStatusLamps(std::uint16_t word, bool monitorPage) {
    Record("ShowStatusLamps(" + Hex(word) + (monitorPage ? ",both" : ",io") + ")");
}

void RecordingHost::ShowMonitorValue(int controlId, const std::string& text) {
    Record("Value(" + std::to_string(controlId) + "," + text + ")");
}

void RecordingHost::ShowAlarms(const std::vector<int>& codes) {
    alarms.push_back(codes);
    Record("ShowAlarms(" + Join(codes) + ")");
}

void RecordingHost::SetAlarmResetEnable(bool enable) {
    Record(std::string("SetAlarmResetEnable(") + (enable ? "1" : "0") + ")");
}

void RecordingHost::NextContinuousStep() {
    ++nextSteps;
    Record("NextContinuousStep");
}

void RecordingHost::ShowStepBrowser(int comboId, int item) {
    Record("ShowStepBrowser(" + std::to_string(comboId) + "," + std::to_string(item) + ")");
}

}  // namespace tavro::test
