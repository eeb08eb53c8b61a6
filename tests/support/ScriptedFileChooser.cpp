#include "tests/support/ScriptedFileChooser.h"

#include "ui/FileFilter.h"

namespace tavro::test {

std::optional<std::string> ScriptedFileChooser::Next(bool save, const ui::FileRequest& request) {
    requests_.push_back({save, request});
    if (answers_.empty()) {
        return std::nullopt;
    }
    auto answer = std::move(answers_.front());
    answers_.pop_front();
    if (answer && save) {
        // The real dialog adds the default extension to a name typed without one.
        answer = ui::WithDefaultExtension(std::move(*answer), request.defaultExtension);
    }
    return answer;
}

std::optional<std::string> ScriptedFileChooser::ChooseSave(const ui::FileRequest& request) {
    return Next(true, request);
}

std::optional<std::string> ScriptedFileChooser::ChooseOpen(const ui::FileRequest& request) {
    return Next(false, request);
}

}  // namespace tavro::test
