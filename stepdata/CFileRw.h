#pragma once

#include <functional>
#include <optional>
#include <string>

#include "link/LinkContext.h"
#include "stepdata/StepFile.h"
#include "ui/FileChooser.h"
#include "ui/Prompter.h"

namespace tavro {

// A string-table entry in the user's language, as the caller's table holds it.
using StringLookup = std::function<std::string(int stringId)>;

// A step-data file that could not be written. Its texts are not in the string tables yet.
inline constexpr int kMsgFileNotSaved = 311;

// Saving and opening a step-data file for one view: file dialogs, the replace question and
// the messages; one object lives for one save or open.
class CFileRw {
  public:
    CFileRw(ui::Prompter& prompter, ui::FileChooser& chooser, LinkContext& ctx, StringLookup lookup)
        : prompter_(prompter), chooser_(chooser), ctx_(ctx), lookup_(std::move(lookup)) {}
    virtual ~CFileRw() = default;

    // Called after a page-mode file was loaded, so the main window shows the steps from the
    // edit copies.
    void SetOnPageLoaded(std::function<void()> onPageLoaded) {
        onPageLoaded_ = std::move(onPageLoaded);
    }

    // 0 when the file was written; nonzero when cancelled or not written.
    int Save(StepFileMode mode);
    // 0 when the file was read and stored; nonzero when cancelled or rejected.
    int Open(StepFileMode mode);
    // Asks for a file (the dialog titled `title`) and checks it as Open does, storing nothing;
    // nothing when cancelled or rejected (the rejection has been shown). `path` names the file.
    std::optional<StepFileContents> Read(StepFileMode mode, int title, std::string& path);

    StepFileMode Mode() const { return mode_; }
    int RecordCount() const { return recordCount_; }
    float Version() const { return version_; }

  private:
    ui::FileRequest Request(int title) const;
    std::string Text(int id) const { return lookup_ ? lookup_(id) : std::string(); }

    ui::Prompter& prompter_;
    ui::FileChooser& chooser_;
    LinkContext& ctx_;
    StringLookup lookup_;
    std::function<void()> onPageLoaded_;
    StepFileMode mode_ = StepFileMode::kPage;
    int recordCount_ = 0;
    float version_ = 0.0F;
};

}  // namespace tavro
