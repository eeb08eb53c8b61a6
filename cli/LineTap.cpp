#include "cli/LineTap.h"

namespace tavro::cli {

LineTap::LineTap(std::unique_ptr<Transport> inner, LineLog* log)
    : inner_(std::move(inner)), log_(log) {}

LineTap::~LineTap() = default;

void LineTap::Start(BytesHandler onBytes, GoneHandler onGone) {
    inner_->Start(
        [this, onBytes = std::move(onBytes)](std::string_view bytes) {
            Received(bytes);
            onBytes(bytes);
        },
        [this, onGone = std::move(onGone)](int error) {
            FlushReceived();
            onGone(error);
        });
}

void LineTap::Stop() {
    inner_->Stop();
    FlushReceived();
}

bool LineTap::Write(std::string_view bytes) {
    if (gate_ && !gate_(bytes)) {
        if (log_ != nullptr) {
            log_->HoldBackNextWrite();
        }
        return true;
    }
    if (onWrite_) {
        onWrite_(bytes);
    }
    return inner_->Write(bytes);
}

void LineTap::Received(std::string_view bytes) {
    for (char c : bytes) {
        received_ += c;
        if (c == '\n' || received_.size() >= kMaxLine) {
            FlushReceived();
        }
    }
}

void LineTap::FlushReceived() {
    if (received_.empty()) {
        return;
    }
    if (onLine_) {
        onLine_(received_);
    }
    received_.clear();
}

}  // namespace tavro::cli
