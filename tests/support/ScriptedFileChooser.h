#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "ui/FileChooser.h"

namespace tavro::test {

// Gives the paths a test scripts, one per dialog, and remembers every request; a dialog
// without a scripted path is cancelled.
class ScriptedFileChooser : public ui::FileChooser {
  public:
    std::optional<std::string> ChooseSave(const ui::FileRequest& request) override;
    std::optional<std::string> ChooseOpen(const ui::FileRequest& request) override;

    void ChooseNext(std::string path) { answers_.emplace_back(std::move(path)); }
    void CancelNext() { answers_.emplace_back(std::nullopt); }

    struct Request {
        bool save = false;
        ui::FileRequest request;
    };
    const std::vector<Request>& Requests() const { return requests_; }

  private:
    std::optional<std::string> Next(bool save, const ui::FileRequest& request);

    std::deque<std::optional<std::string>> answers_;
    std::vector<Request> requests_;
};

}  // namespace tavro::test
