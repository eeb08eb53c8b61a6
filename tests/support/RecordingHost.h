#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "link/LinkContext.h"
#include "link/LinkHost.h"

namespace tavro::test {

// A LinkHost that keeps every call with its virtual time, stores the link state like the
// main window does, and answers Yes/No questions from a script (No when the script is empty).
// It stands in for the Monitor/Test page too, and records the page's calls among the others.
class RecordingHost : public LinkHost, public DrivePageClient {
  public:
    struct Call {
        std::int64_t atMs;
        std::string text;  // "SetLinkState(3)", "Message(306)", ...
    };

    explicit RecordingHost(LinkContext& ctx);
    ~RecordingHost() override;
    RecordingHost(const RecordingHost&) = delete;
    RecordingHost& operator=(const RecordingHost&) = delete;

    // Every call in order.
    std::vector<Call> calls;
    // String IDs of every message box and question, in order.
    std::vector<int> messages;
    std::vector<LinkState> linkStates;
    std::vector<std::vector<int>> foundIds;
    std::vector<std::vector<int>> alarms;
    std::deque<bool> answers;
    bool progressVisible = false;
    int progressTotal = -1;
    int progressPosition = 0;
    int progressSteps = 0;
    int searchSteps = 0;
    int nextSteps = 0;
    int exitRequests = 0;

    std::size_t Count(std::string_view text) const;
    bool Has(std::string_view text) const { return Count(text) > 0; }
    // Time of the first call with this text; -1 when there is none.
    std::int64_t TimeOf(std::string_view text) const;
    // The texts of the calls since index `from`, for compact expectations.
    std::vector<std::string> Texts(std::size_t from = 0) const;
    std::size_t MessageCount(int stringId) const;
    void Clear();

    void SetLinkState(LinkState state) override;
    void EnableMainWindow(bool enable) override;
    void RequestExit() override;
    void NotifyFrontDialog(int message, int target) override;
    void SetRedraw(bool on) override;
    void RefreshTitle() override;
    void RedisplayViews(int what, int copy) override;
    void EnableTabStrip(bool enable) override;
    bool ProgressVisible() override { return progressVisible; }
    void OpenProgress() override;
    void SetProgressPosition(int position, int total) override;
    void StepProgress() override;
    void HideProgress() override;
    void ShowSearchProgress(int checked, int total) override;
    void ShowFoundIds(const std::vector<int>& ids) override;
    void StepSearchProgress() override;
    void ShowMessage(int stringId, MessageIcon icon, bool topmost) override;
    void ShowFormattedMessage(int stringId, MessageIcon icon, bool topmost,
                              const std::vector<MessageArg>& args) override;
    bool AskYesNo(int stringId, MessageIcon icon, bool topmost) override;
    void ShowStatusLamps(std::uint16_t word, bool monitorPage) override;
    void ShowStepBrowser(int comboId, int item) override;

    // --- DrivePageClient ---
    void ShowOperationResult(const OperationResult& result) override;
    void SetModeSwitch(int testMode) override;
    void SetInchingLimits() override;
    void SetSendingBusy(int busy) override;
    void ReleaseDeferredJog() override;
    void ShowMonitorValue(int controlId, const std::string& text) override;
    void ShowAlarms(const std::vector<int>& codes) override;
    void SetAlarmResetEnable(bool enable) override;
    void NextContinuousStep() override;

  private:
    void Record(std::string text);

    LinkContext& ctx_;
};

}  // namespace tavro::test
