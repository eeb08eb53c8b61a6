#pragma once

#include <optional>
#include <string>

namespace tavro::ui {

struct FileRequest {
    // Pairs of description and patterns, as the presenters write them:
    // "Step Data File (*.dat) | *.dat||" (see FileFilter.h).
    std::string filter;
    std::string defaultExtension;  // without the dot; appended when the user typed none
    std::string initialName;       // empty: no initial name
    std::string title;             // empty: the toolkit's own title
};

// File dialogs. Opening accepts only a file that exists.
class FileChooser {
  public:
    virtual ~FileChooser() = default;

    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<std::string> ChooseSave(const FileRequest& request) = 0;
    virtual std::optional<std::string> ChooseOpen(const FileRequest& request) = 0;
};

}  // namespace tavro::ui
