#pragma once

#include <string>

namespace tavro::ui {

// The program's own version as the About box shows it: major, minor and patch of the build
// as "%d.%d%d", so version 2.2.0 reads "2.20".
class CVersion {
  public:
    // The version of this build.
    CVersion();
    CVersion(int major, int minor, int patch)
        : present_(true), major_(major), minor_(minor), patch_(patch) {}
    virtual ~CVersion() = default;

    // A program without a version: the text is empty.
    static CVersion None() { return CVersion(false); }

    std::string Text() const;

  private:
    explicit CVersion(bool present) : present_(present) {}

    bool present_ = false;
    int major_ = 0;
    int minor_ = 0;
    int patch_ = 0;
};

}  // namespace tavro::ui
