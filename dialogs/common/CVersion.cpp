#include "dialogs/common/CVersion.h"

#include "BuildVersion.h"
#include "ui/StringTable.h"

namespace tavro::ui {

CVersion::CVersion()
    : present_(true),
      major_(build::kVersionMajor),
      minor_(build::kVersionMinor),
      patch_(build::kVersionPatch) {}

std::string CVersion::Text() const {
    if (!present_) {
        return {};
    }
    return FormatPrintf("%d.%d%d", major_, minor_, patch_);
}

}  // namespace tavro::ui
