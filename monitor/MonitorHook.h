#pragma once

#include <optional>
#include <string_view>

#include "link/LinkContext.h"
#include "link/MonitorClient.h"
#include "monitor/SampleSink.h"

namespace tavro {

// Makes CMonData the context's monitor decoder for as long as it lives.
class MonitorHook : public MonitorClient {
  public:
    explicit MonitorHook(LinkContext& ctx);
    ~MonitorHook() override;
    MonitorHook(const MonitorHook&) = delete;
    MonitorHook& operator=(const MonitorHook&) = delete;

    void DecodeMonitorReply(std::string_view data) override;
    void DecodeAlarmReply(std::string_view data) override;
    void FormatMonitorValues() override;
    void ShowSilence() override;

    // The sample of an "MO" data text that CMonData has just decoded; nothing for a reply
    // of the wrong length.
    static std::optional<MonitorSample> SampleOf(LinkContext& ctx, std::string_view data);

    // Receives every monitor reply of the right length and every alarm record decoded; nullptr
    // for none.
    void SetSampleSink(SampleSink* sink) { sink_ = sink; }

  private:
    LinkContext& ctx_;
    SampleSink* sink_ = nullptr;
};

}  // namespace tavro
