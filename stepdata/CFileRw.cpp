#include "stepdata/CFileRw.h"

#include <sys/stat.h>

#include "stepdata/StepRecord.h"

namespace tavro {

namespace {

// The path goes in as text, never as a format: a '%' in a file name stays a '%'.
std::string WithPath(std::string text, const std::string& path) {
    const std::size_t at = text.find("%s");
    if (at != std::string::npos) {
        text.replace(at, 2, path);
    }
    return text;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

ui::FileRequest CFileRw::Request(int title) const {
    ui::FileRequest request;
    request.filter = Text(kStrStepFileFilter);
    request.title = Text(title);
    request.defaultExtension = kStepFileExtension;
    return request;
}

int CFileRw::Save(StepFileMode mode) {
    mode_ = mode;
    const auto path = chooser_.ChooseSave(Request(kStrSaveTitle));
    if (!path) {
        return 1;
    }
    if (Exists(*path) &&
        !prompter_.Confirm(kMsgFileReplace, WithPath(Text(kMsgFileReplace), *path))) {
        return 1;
    }
    recordCount_ = StepCount(ctx_.status.controlType);
    if (!SaveStepFile(*path, mode, ctx_)) {
        prompter_.Warn(kMsgFileNotSaved, Text(kMsgFileNotSaved));
        return 1;
    }
    prompter_.Inform(kMsgFileSaved, Text(kMsgFileSaved));
    return 0;
}

std::optional<StepFileContents> CFileRw::Read(StepFileMode mode, int title, std::string& path) {
    mode_ = mode;
    const auto chosen = chooser_.ChooseOpen(Request(title));
    if (!chosen) {
        return std::nullopt;
    }
    path = *chosen;
    const auto text = ReadStepFileText(path);
    StepFileContents read;
    read.error = StepFileError::kUnreadable;
    if (text) {
        read = ParseStepFile(*text, mode, ctx_.status.controlType, ctx_.image);
    }
    if (read.error == StepFileError::kNone) {
        version_ = read.version;
        recordCount_ = read.recordCount;
        return read;
    }
    const int message = read.error == StepFileError::kValue ? kMsgFileInvalidValue : kMsgFileFormat;
    prompter_.Warn(message, Text(message));
    return std::nullopt;
}

int CFileRw::Open(StepFileMode mode) {
    mode_ = mode;
    const auto path = chooser_.ChooseOpen(Request(kStrOpenTitle));
    if (!path) {
        return 1;
    }
    const StepFileContents read = LoadStepFile(*path, mode, ctx_);
    switch (read.error) {
        case StepFileError::kNone:
            version_ = read.version;
            recordCount_ = read.recordCount;
            if (mode == StepFileMode::kPage && onPageLoaded_) {
                onPageLoaded_();
            }
            return 0;
        case StepFileError::kValue:
            prompter_.Warn(kMsgFileInvalidValue, Text(kMsgFileInvalidValue));
            return 1;
        case StepFileError::kFormat:
        case StepFileError::kUnreadable:
            break;
    }
    // A file that cannot be read is no step-data file either.
    prompter_.Warn(kMsgFileFormat, Text(kMsgFileFormat));
    return 1;
}

}  // namespace tavro
