#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace tavro {

// Turns the received byte stream into reply texts: the characters between ":" and CR,
// delivered when the LF that follows the CR arrives.
class FrameAssembler {
  public:
    // No real reply comes near this; a longer frame is noise and is dropped rather than
    // letting the buffer grow without bound.
    static constexpr std::size_t kMaxFrameLength = 512;

    using Sink = std::function<void(std::string_view frame)>;

    FrameAssembler() = default;
    explicit FrameAssembler(Sink sink) : sink_(std::move(sink)) {}
    virtual ~FrameAssembler() = default;

    void SetSink(Sink sink) { sink_ = std::move(sink); }
    void Reset();
    void Feed(char c);
    void Feed(std::string_view bytes);

    bool Collecting() const { return collecting_; }
    bool LineEnded() const { return lineEnded_; }
    std::size_t DroppedOverlong() const { return droppedOverlong_; }

  private:
    Sink sink_;
    std::string buffer_;
    bool collecting_ = false;
    bool lineEnded_ = false;
    std::size_t droppedOverlong_ = 0;
};

}  // namespace tavro
