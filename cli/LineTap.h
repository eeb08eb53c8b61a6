#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "link/EventLoop.h"
#include "link/Transport.h"

namespace tavro::cli {

// A transport that passes every byte through unchanged and shows the traffic: each frame
// written and each line received, with the milliseconds since `startMs`, on the trace
// stream (when there is one), and to the observers.
class LineTap : public Transport {
  public:
    using LineObserver = std::function<void(std::string_view line)>;

    // Longest received text kept before it is shown without its line end.
    static constexpr std::size_t kMaxLine = 1024;

    LineTap(std::unique_ptr<Transport> inner, const EventLoop& loop, std::int64_t startMs,
            std::ostream* trace);
    ~LineTap() override;
    LineTap(const LineTap&) = delete;
    LineTap& operator=(const LineTap&) = delete;

    void OnWrite(LineObserver observer) { onWrite_ = std::move(observer); }
    void OnLine(LineObserver observer) { onLine_ = std::move(observer); }
    // Decides for each frame whether it goes on the line; one that does not is shown in the
    // trace as held back and reported written.
    void SetGate(std::function<bool(std::string_view frame)> gate) { gate_ = std::move(gate); }

    void Start(BytesHandler onBytes, GoneHandler onGone) override;
    void Stop() override;
    bool Write(std::string_view bytes) override;
    bool IsOpen() const override { return inner_->IsOpen(); }
    std::string Name() const override { return inner_->Name(); }

    // Control and non-ASCII bytes as \r, \n, \xNN.
    static std::string Printable(std::string_view bytes);

  private:
    void Received(std::string_view bytes);
    void Show(const char* direction, std::string_view bytes);
    void FlushReceived();

    std::unique_ptr<Transport> inner_;
    const EventLoop& loop_;
    std::int64_t startMs_;
    std::ostream* trace_;
    LineObserver onWrite_;
    LineObserver onLine_;
    std::function<bool(std::string_view frame)> gate_;
    std::string received_;
};

}  // namespace tavro::cli
