#pragma once

#include <functional>

#include "link/LinkContext.h"
#include "link/MonitorClient.h"
#include "monitor/SampleSink.h"

namespace tavro::cli {

// The monitor decoder of the window (CMonData), installed for as long as it lives, which
// also tells when it has finished with a monitor reply.
class CliMonitor : public MonitorClient {
  public:
    explicit CliMonitor(LinkContext& ctx);
    ~CliMonitor() override;
    CliMonitor(const CliMonitor&) = delete;
    CliMonitor& operator=(const CliMonitor&) = delete;

    void OnDecoded(std::function<void()> decoded) { decoded_ = std::move(decoded); }
    // Receives the samples and alarm records as the window's chart does; nullptr for none.
    void SetSampleSink(SampleSink* sink) { sink_ = sink; }

    void DecodeMonitorReply(std::string_view data) override;
    void DecodeAlarmReply(std::string_view data) override;
    void FormatMonitorValues() override;
    void ShowSilence() override;

  private:
    void ShowSilenceToSink();

    LinkContext& ctx_;
    std::function<void()> decoded_;
    SampleSink* sink_ = nullptr;
};

}  // namespace tavro::cli
