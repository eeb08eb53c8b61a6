#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "link/LineLog.h"
#include "link/Transport.h"

namespace tavro::cli {

// A transport that passes every byte through unchanged and shows the traffic to the
// observers: each frame written and each line received. The line log sees the frames from
// the engine; the tap tells it of a frame it held back.
class LineTap : public Transport {
  public:
    using LineObserver = std::function<void(std::string_view line)>;

    // Longest received text kept before it is shown without its line end.
    static constexpr std::size_t kMaxLine = 1024;

    LineTap(std::unique_ptr<Transport> inner, LineLog* log);
    ~LineTap() override;
    LineTap(const LineTap&) = delete;
    LineTap& operator=(const LineTap&) = delete;

    void OnWrite(LineObserver observer) { onWrite_ = std::move(observer); }
    void OnLine(LineObserver observer) { onLine_ = std::move(observer); }
    // Decides for each frame whether it goes on the line; one that does not is marked held
    // back in the line log and reported written.
    void SetGate(std::function<bool(std::string_view frame)> gate) { gate_ = std::move(gate); }

    void Start(BytesHandler onBytes, GoneHandler onGone) override;
    void Stop() override;
    bool Write(std::string_view bytes) override;
    bool IsOpen() const override { return inner_->IsOpen(); }
    std::string Name() const override { return inner_->Name(); }

  private:
    void Received(std::string_view bytes);
    void FlushReceived();

    std::unique_ptr<Transport> inner_;
    LineLog* log_;
    LineObserver onWrite_;
    LineObserver onLine_;
    std::function<bool(std::string_view frame)> gate_;
    std::string received_;
};

}  // namespace tavro::cli
