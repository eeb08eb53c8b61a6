#pragma once

#include "link/LinkContext.h"
#include "link/MonitorClient.h"

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

  private:
    LinkContext& ctx_;
};

}  // namespace tavro
