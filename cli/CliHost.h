#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "link/DrivePageClient.h"
#include "link/LinkContext.h"
#include "link/LinkHost.h"
#include "ui/StringTable.h"

namespace tavro::cli {

// A message as the tool prints it: its number, a colon, its text.
void WriteMessage(std::ostream& err, int stringId, std::string_view text);

// The link's window side in a terminal: every message box becomes a numbered message on
// stderr, and what the operations report (messages, found IDs, alarms, monitor lamps and
// values, the exit request) is kept for the command that started them.
class CliHost : public LinkHost, public DrivePageClient {
  public:
    // Controls 1730..1734 of the Monitor/Test page, in the order the monitor shows them.
    static constexpr std::size_t kMonitorValues = 5;
    static constexpr int kFirstValueControl = 1730;

    CliHost(LinkContext& ctx, std::ostream& err, Language language);

    void SetLinkState(LinkState state) override;
    void RequestExit() override { exitRequested_ = true; }
    void NotifyFrontDialog(int message, int target) override;
    void ShowFoundIds(const std::vector<int>& ids) override { foundIds_ = ids; }
    void ShowMessage(int stringId, MessageIcon icon, bool topmost) override;
    void ShowFormattedMessage(int stringId, MessageIcon icon, bool topmost,
                              const std::vector<MessageArg>& args) override;
    // Nobody is there to answer: the question is shown and answered No, the window's default.
    bool AskYesNo(int stringId, MessageIcon icon, bool topmost) override;
    void ShowStatusLamps(std::uint16_t word, bool monitorPage) override;
    // --- DrivePageClient ---
    void ShowMonitorValue(int controlId, const std::string& text) override;
    void ShowAlarms(const std::vector<int>& codes) override { alarms_ = codes; }
    // The step a repeatability run started has ended.
    void NextContinuousStep() override {
        if (onNextStep_) {
            onNextStep_();
        }
    }
    void OnNextStep(std::function<void()> handler) { onNextStep_ = std::move(handler); }

    // A message with its number, in the user's language.
    void Print(int stringId);
    // A message whose text the caller has formatted, or one the tables do not hold.
    void Print(int stringId, const std::string& text);
    std::string Text(int stringId) const;

    // Notes whether the alarm operation is running; the engine starts it in place of an
    // operation whose command was answered NG.
    void Sample();
    bool AlarmSeen() const { return alarmSeen_; }
    void ClearAlarmSeen() { alarmSeen_ = false; }

    // Messages shown so far, in order; `since` is an earlier MessageCount().
    struct ShownMessage {
        int stringId;
        std::string text;
    };
    std::size_t MessageCount() const { return shown_.size(); }
    bool Shown(int stringId, std::size_t since = 0) const;
    const std::vector<ShownMessage>& Messages() const { return shown_; }
    // A line of the tool's own on stderr.
    void Note(const std::string& text);
    // Called with every message printed, for the JSON results.
    void OnMessage(std::function<void(int stringId, const std::string& text)> observer) {
        onMessage_ = std::move(observer);
    }

    bool ExitRequested() const { return exitRequested_; }
    void ClearExitRequest() { exitRequested_ = false; }
    bool NoControllerFound() const { return noController_; }
    const std::vector<int>& FoundIds() const { return foundIds_; }
    const std::vector<int>& Alarms() const { return alarms_; }

    bool LampsKnown() const { return lampsKnown_; }
    std::uint16_t Lamps() const { return lamps_; }
    const std::array<std::string, kMonitorValues>& Values() const { return values_; }

  private:
    LinkContext& ctx_;
    std::ostream& err_;
    StringTable strings_;
    std::vector<ShownMessage> shown_;
    std::function<void(int stringId, const std::string& text)> onMessage_;
    std::function<void()> onNextStep_;
    bool exitRequested_ = false;
    bool noController_ = false;
    bool alarmSeen_ = false;
    std::vector<int> foundIds_;
    std::vector<int> alarms_;
    bool lampsKnown_ = false;
    std::uint16_t lamps_ = 0;
    std::array<std::string, kMonitorValues> values_{};
};

}  // namespace tavro::cli
