#pragma once

#include <string>
#include <utility>

namespace tavro::ui {

enum class Icon { kExclamation, kInformation };
enum class Buttons { kOk, kYesNo };  // Yes/No always has No as the default button
// The usual result codes of message boxes, so logs and tables can quote them by number.
enum class Answer { kOk = 1, kYes = 6, kNo = 7 };

struct Message {
    int stringId = 0;  // the string-table entry the text came from; 0 for none
    std::string text;
    Icon icon = Icon::kExclamation;
    Buttons buttons = Buttons::kOk;
    bool topmost = false;  // stays above every other window
};

// Message boxes. The text is already in the user's language and formatted.
class Prompter {
  public:
    virtual ~Prompter() = default;

    virtual Answer Show(const Message& message) = 0;

    void Warn(int stringId, std::string text, bool topmost = false) {
        Show({stringId, std::move(text), Icon::kExclamation, Buttons::kOk, topmost});
    }
    void Inform(int stringId, std::string text, bool topmost = false) {
        Show({stringId, std::move(text), Icon::kInformation, Buttons::kOk, topmost});
    }
    // Yes/No with the exclamation icon; true for Yes.
    bool Confirm(int stringId, std::string text, bool topmost = false) {
        return Show({stringId, std::move(text), Icon::kExclamation, Buttons::kYesNo, topmost}) ==
               Answer::kYes;
    }
};

}  // namespace tavro::ui
