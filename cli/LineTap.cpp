#include "cli/LineTap.h"

#include "link/Numbers.h"

namespace tavro::cli {

LineTap::LineTap(std::unique_ptr<Transport> inner, const EventLoop& loop, std::int64_t startMs,
                 std::ostream* trace)
    : inner_(std::move(inner)), loop_(loop), startMs_(startMs), trace_(trace) {}

LineTap::~LineTap() {
    // Whoever watched the lines may be gone already; the trace still shows the rest.
    onLine_ = nullptr;
    FlushReceived();
}

void LineTap::Start(BytesHandler onBytes, GoneHandler onGone) {
    inner_->Start(
        [this, onBytes = std::move(onBytes)](std::string_view bytes) {
            Received(bytes);
            onBytes(bytes);
        },
        [this, onGone = std::move(onGone)](int error) {
            FlushReceived();
            if (trace_ != nullptr) {
                *trace_ << Format("%8lld ms -- the line is gone (errno %d)",
                                  static_cast<long long>(loop_.NowMs() - startMs_), error)
                        << '\n';
            }
            onGone(error);
        });
}

void LineTap::Stop() {
    inner_->Stop();
    FlushReceived();
}

bool LineTap::Write(std::string_view bytes) {
    if (gate_ && !gate_(bytes)) {
        Show("-x", bytes);
        return true;
    }
    Show("->", bytes);
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
    Show("<-", received_);
    if (onLine_) {
        onLine_(received_);
    }
    received_.clear();
}

void LineTap::Show(const char* direction, std::string_view bytes) {
    if (trace_ == nullptr) {
        return;
    }
    *trace_ << Format("%8lld ms %s ", static_cast<long long>(loop_.NowMs() - startMs_), direction)
            << Printable(bytes) << '\n';
    trace_->flush();
}

std::string LineTap::Printable(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c > 0x7E) {
            out += Format("\\x%02X", static_cast<unsigned>(c));
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

}  // namespace tavro::cli
