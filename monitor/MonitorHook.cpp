#include "monitor/MonitorHook.h"

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
}

void MonitorHook::DecodeAlarmReply(std::string_view data) {
    CMonData(ctx_).ParseAlarm(data);
}

void MonitorHook::FormatMonitorValues() {
    CMonData(ctx_).FormatValues();
}

void MonitorHook::ShowSilence() {
    CMonData(ctx_).ShowSilence();
}

}  // namespace tavro
