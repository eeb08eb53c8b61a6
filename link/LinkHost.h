#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "link/StatusBlock.h"

namespace tavro {

enum class MessageIcon { kExclamation, kInformation };

// One argument of a formatted message box.
using MessageArg = std::variant<int, double, std::string>;

// Everything the link calls outward but the Monitor/Test page's own controls (those are
// DrivePageClient's): the main window, its dialogs and the lamps of the pages. The main
// window implements it; a program without some of these windows keeps the do-nothing
// defaults. All calls arrive on the event loop's thread.
class LinkHost {
  public:
    virtual ~LinkHost() = default;

    // Main window. SetLinkState stores the state in the status block and applies it to
    // the controls; it has no default because something must store it.
    virtual void SetLinkState(LinkState state) = 0;
    virtual void EnableMainWindow(bool /*enable*/) {}
    virtual void RequestExit() {}
    virtual void NotifyFrontDialog(int /*message*/, int /*target*/) {}
    virtual void SetRedraw(bool /*on*/) {}
    virtual void RefreshTitle() {}
    virtual void RedisplayViews(int /*what*/, int /*copy*/) {}
    virtual void EnableTabStrip(bool /*enable*/) {}
    // The open port went away and the link is offline; the window may watch for its return.
    virtual void PortLost() {}

    // Progress dialog over the main window.
    virtual bool ProgressVisible() { return false; }
    // Destroys a hidden dialog, then creates a new one and shows it.
    virtual void OpenProgress() {}
    virtual void SetProgressPosition(int /*position*/, int /*total*/) {}
    virtual void StepProgress() {}
    virtual void HideProgress() {}

    // Controller search dialog.
    virtual void ShowSearchProgress(int /*checked*/, int /*total*/) {}
    virtual void ShowFoundIds(const std::vector<int>& /*ids*/) {}
    virtual void StepSearchProgress() {}

    // Message boxes by string ID. Questions are Yes/No with No preselected; the answer is
    // true for Yes.
    virtual void ShowMessage(int /*stringId*/, MessageIcon /*icon*/, bool /*topmost*/) {}
    virtual void ShowFormattedMessage(int /*stringId*/, MessageIcon /*icon*/, bool /*topmost*/,
                                      const std::vector<MessageArg>& /*args*/) {}
    virtual bool AskYesNo(int /*stringId*/, MessageIcon /*icon*/, bool /*topmost*/) {
        return false;
    }

    // The status word on the I/O Setup page's lamps and, when `monitorPage`, on the
    // Monitor/Test page's lamps.
    virtual void ShowStatusLamps(std::uint16_t /*word*/, bool /*monitorPage*/) {}
    // The controller's state is not known (it has not answered for a while): every lamp off.
    virtual void ShowStatusUnknown() {}

    // Step browser, opened after an upload that the Monitor/Test page asked for.
    virtual void ShowStepBrowser(int /*comboId*/, int /*item*/) {}
};

// The host of a program without windows: it keeps the link state and nothing else.
class QuietHost : public LinkHost {
  public:
    explicit QuietHost(StatusBlock& status) : status_(status) {}
    void SetLinkState(LinkState state) override { status_.linkState = state; }

  private:
    StatusBlock& status_;
};

// The text of one entry of the found-ID list: ID 1 with the factory-default format (the
// text of string 268), every other ID as "%d".
std::string FoundIdCaption(int id, const std::string& factoryDefaultFormat);

}  // namespace tavro
