#pragma once

#include "link/LinkContext.h"

namespace tavro {

// The receiver of the open port. There is no thread behind the name any more: the event
// loop reports readable bytes, they go through the frame assembler, and each completed frame
// reaches the engine's reply handler on the same thread.
class CRxdThread {
  public:
    explicit CRxdThread(LinkContext& ctx) : ctx_(ctx) {}
    virtual ~CRxdThread() = default;

    // Clears the stop flag and the frame buffer and starts delivering the port's bytes.
    void StartReceiver();
    // Sets the stop flag, stops delivery and closes the port.
    void StopReceiver();
    bool Running() const;

  private:
    LinkContext& ctx_;
};

}  // namespace tavro
