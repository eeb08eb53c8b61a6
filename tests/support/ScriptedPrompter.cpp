#include "tests/support/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include "tests/support/FakeForm.h"

namespace tavro::test {

ui::Answer ScriptedPrompter::Show(const ui::Message& message) {
    shown_.push_back(message);
    if (form_ != nullptr) {
        form_->LoseFocusToWindow();
    }
    if (onShow_) {
        onShow_(message);
    }
    ui::Answer answer = ui::Answer::kOk;
    if (message.buttons == ui::Buttons::kYesNo) {
        answer = ui::Answer::kNo;
        if (!answers_.empty()) {
            answer = answers_.front();
            answers_.pop_front();
            if (answer == ui::Answer::kOk) {
                ADD_FAILURE() << "OK scripted for the Yes/No question " << message.stringId;
                answer = ui::Answer::kNo;
            }
        }
    }
    if (form_ != nullptr) {
        form_->RegainFocus();
    }
    return answer;
}

std::vector<int> ScriptedPrompter::ShownIds() const {
    std::vector<int> ids;
    ids.reserve(shown_.size());
    for (const auto& m : shown_) {
        ids.push_back(m.stringId);
    }
    return ids;
}

int ScriptedPrompter::Count(int stringId) const {
    int n = 0;
    for (const auto& m : shown_) {
        n += m.stringId == stringId ? 1 : 0;
    }
    return n;
}

}  // namespace tavro::test
