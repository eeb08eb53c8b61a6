#pragma once

#include <array>
#include <optional>

#include "link/LinkContext.h"
#include "link/PidDefaults.h"

namespace tavro {

// One entry of the built-in PID defaults: a value, or none where no figure is known.
struct PidCell {
    bool known = false;
    float value = 0.0F;
};

// The PID gain defaults per actuator model, stroke and mounting orientation, and their
// writing into the image's edit copies.
class CPidParam {
  public:
    static constexpr int kRecordSize = 30;
    static constexpr int kArrays =
        PidDefaults::kSection1Params + PidDefaults::kSection2Params + PidDefaults::kSection3Params;
    using Record = std::array<std::optional<float>, kRecordSize>;
    using BuiltinArray = std::array<PidCell, PidDefaults::kEntries>;
    // Section 1 parameters 1..6, section 2 parameters 1..6, then Kp, Ti, Td.
    using BuiltinTable = std::array<BuiltinArray, kArrays>;

    explicit CPidParam(LinkContext& ctx) : ctx_(ctx) {}
    virtual ~CPidParam() = default;

    // Reads "PID.ini" from the settings folder; gainFileLoaded then tells whether its values
    // or the built-in ones are the defaults.
    bool LoadPidFile();

    // Writes the defaults for the model, stroke and orientation in the edit copies of row 0
    // into rows 1 and 2, and makes every motion use the default PID set. A cell the built-in
    // table has no figure for keeps its edit copy.
    void ResetPidToDefaults();

    // The 30 values for a key index (model x 24 + stroke index x 2 + orientation): return to
    // origin at the index, step-data operation at index + 12.
    Record DefaultRecord(int index) const;

    static int ModelIndex(float series);
    static int StrokeIndex(float stroke);
    static int OrientationIndex(float angle);

    static const BuiltinTable& Builtin();

  private:
    LinkContext& ctx_;
};

}  // namespace tavro
