#include "cli/CliMonitor.h"

#include "monitor/CMonData.h"

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
    if (decoded_) {
        decoded_();
    }
}

void CliMonitor::DecodeAlarmReply(std::string_view data) {
    CMonData(ctx_).ParseAlarm(data);
}

void CliMonitor::FormatMonitorValues() {
    CMonData(ctx_).FormatValues();
}

void CliMonitor::ShowSilence() {
    CMonData(ctx_).ShowSilence();
}

}  // namespace tavro::cli
