#include "cli/CliMonitor.h"

#include "link/CStatusFlg.h"
#include "monitor/CMonData.h"
#include "monitor/MonitorHook.h"

namespace tavro::cli {

CliMonitor::CliMonitor(LinkContext& ctx) : ctx_(ctx) {
    ctx_.monitorClient = this;
}

CliMonitor::~CliMonitor() {
    if (ctx_.monitorClient == this) {
        ctx_.monitorClient = nullptr;
    }
}

void CliMonitor::DecodeMonitorReply(std::string_view data) {
    CMonData(ctx_).Parse(data);
    if (sink_ != nullptr) {
        if (const auto s = MonitorHook::SampleOf(ctx_, data)) {
            sink_->OnSample(*s);
        }
    }
    if (decoded_) {
        decoded_();
    }
}

void CliMonitor::DecodeAlarmReply(std::string_view data) {
    CMonData mon(ctx_);
    mon.ParseAlarm(data);
    const int n = CStatusFlg(ctx_).GetAlarmHistoryCount();
    if (sink_ != nullptr && n > 0 && data.size() == static_cast<std::size_t>(n) * 2) {
        sink_->OnAlarmRecord(mon.AlarmCodes());
    }
}

void CliMonitor::ShowSilenceToSink() {
    if (sink_ != nullptr) {
        sink_->OnSilence();
    }
}

void CliMonitor::FormatMonitorValues() {
    CMonData(ctx_).FormatValues();
}

void CliMonitor::ShowSilence() {
    CMonData(ctx_).ShowSilence();
    ShowSilenceToSink();
}

}  // namespace tavro::cli
