#include "monitor/MonitorHook.h"

#include <algorithm>

#include "link/CStatusFlg.h"
#include "monitor/CMonData.h"

namespace tavro {

MonitorHook::MonitorHook(LinkContext& ctx) : ctx_(ctx) {
    ctx_.monitorClient = this;
}

MonitorHook::~MonitorHook() {
    if (ctx_.monitorClient == this) {
        ctx_.monitorClient = nullptr;
    }
}

void MonitorHook::DecodeMonitorReply(std::string_view data) {
    CMonData(ctx_).Parse(data);
    // Taken whichever window is in front: the chart and the black box follow the controller,
    // not the pages.
    if (sink_ != nullptr) {
        if (const auto s = SampleOf(ctx_, data)) {
            sink_->OnSample(*s);
        }
    }
}

std::optional<MonitorSample> MonitorHook::SampleOf(LinkContext& ctx, std::string_view data) {
    if (data.size() != CMonData::kReplyLength) {
        return std::nullopt;
    }
    const CMonData mon(ctx);
    MonitorSample s;
    s.timeMs = ctx.loop.NowMs();
    s.controllerId = ctx.status.controllerId;
    s.status = CMonData::ReplyStatus(data);
    for (std::size_t i = 0; i < s.values.size(); ++i) {
        s.values[i] = mon.Value(i);
    }
    std::copy(data.begin(), data.end(), s.reply.begin());
    return s;
}

void MonitorHook::DecodeAlarmReply(std::string_view data) {
    CMonData mon(ctx_);
    mon.ParseAlarm(data);
    const int n = CStatusFlg(ctx_).GetAlarmHistoryCount();
    if (sink_ != nullptr && n > 0 && data.size() == static_cast<std::size_t>(n) * 2) {
        sink_->OnAlarmRecord(mon.AlarmCodes());
    }
}

void MonitorHook::FormatMonitorValues() {
    CMonData(ctx_).FormatValues();
}

void MonitorHook::ShowSilence() {
    CMonData(ctx_).ShowSilence();
    if (sink_ != nullptr) {
        sink_->OnSilence();
    }
}

}  // namespace tavro
