#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "ui/Prompter.h"

namespace tavro::test {

class FakeForm;

// Answers the questions of a test's script and remembers every message shown, so a test
// can say "message 332 was shown". Questions without a scripted answer get No; messages
// with only OK take no answer from the script.
class ScriptedPrompter : public ui::Prompter {
  public:
    ui::Answer Show(const ui::Message& message) override;

    void AnswerNext(ui::Answer answer) { answers_.push_back(answer); }
    void AnswerYes() { AnswerNext(ui::Answer::kYes); }
    void AnswerNo() { AnswerNext(ui::Answer::kNo); }
    std::size_t PendingAnswers() const { return answers_.size(); }

    const std::vector<ui::Message>& Shown() const { return shown_; }
    std::vector<int> ShownIds() const;
    bool WasShown(int stringId) const { return Count(stringId) > 0; }
    int Count(int stringId) const;
    const ui::Message* Last() const { return shown_.empty() ? nullptr : &shown_.back(); }
    void Clear() { shown_.clear(); }

    // While a box is up, this form's focus is with the box, as on a real desktop: the focused
    // control sees focus out before and focus in after. nullptr: no form is affected.
    void StealFocusFrom(FakeForm* form) { form_ = form; }
    // Runs while the box is up, before it is answered.
    void SetOnShow(std::function<void(const ui::Message&)> onShow) { onShow_ = std::move(onShow); }

  private:
    std::deque<ui::Answer> answers_;
    std::vector<ui::Message> shown_;
    FakeForm* form_ = nullptr;
    std::function<void(const ui::Message&)> onShow_;
};

}  // namespace tavro::test
