#pragma once

#include "link/LinkContext.h"

namespace tavro {

// Connects the context's frame and timer callbacks to the transaction engine for as long as
// it lives; the application and every test that runs operations hold one.
class LinkEngine : public TimerClient {
  public:
    explicit LinkEngine(LinkContext& ctx);
    ~LinkEngine() override;
    LinkEngine(const LinkEngine&) = delete;
    LinkEngine& operator=(const LinkEngine&) = delete;

    void OnTimerSlot(int slot) override;

  private:
    LinkContext& ctx_;
};

}  // namespace tavro
