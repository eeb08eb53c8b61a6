#include "link/FrameAssembler.h"

namespace tavro {

void FrameAssembler::Reset() {
    buffer_.clear();
    collecting_ = false;
    lineEnded_ = false;
}

void FrameAssembler::Feed(char c) {
    if (c == ':') {
        buffer_.clear();
        collecting_ = true;
        lineEnded_ = false;
        return;
    }
    if (collecting_) {
        if (c == '\r') {
            collecting_ = false;
            lineEnded_ = true;
        } else if (c == '\n') {
            collecting_ = false;
        } else if (buffer_.size() >= kMaxFrameLength) {
            collecting_ = false;
            buffer_.clear();
            ++droppedOverlong_;
        } else {
            buffer_ += c;
        }
        return;
    }
    if (lineEnded_) {
        lineEnded_ = false;
        if (c == '\n' && sink_) {
            // The sink may feed more bytes (a reply handler that writes); hand it a copy.
            std::string frame;
            frame.swap(buffer_);
            sink_(frame);
        }
    }
}

void FrameAssembler::Feed(std::string_view bytes) {
    for (char c : bytes) {
        Feed(c);
    }
}

}  // namespace tavro
