#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "link/StatusBlock.h"

// One step of the step data as every view holds it: its cells in the image row, how steps
// are counted and numbered, which fields each input method uses, the limits with their
// messages and help texts, and the codings of the operation word and the load mass.
namespace tavro {

// Cells of a step within its image row.
enum StepCell : int {
    kCellTargetPosition = 0,  // 0.001 mm
    kCellPositioningTime = 1,
    kCellSpeed = 2,
    kCellAcceleration = 3,
    kCellDeceleration = 4,
    kCellOperationWord = 5,  // bit 15 pushing, bits 0..14 pushing speed
    kCellThrustSetting = 6,
    kCellLoadMass = 7,      // grams
    kCellMovementMode = 8,  // 0 ABS, 1 INC
    kCellInForceLevel = 9,
    kCellInPositionRange = 10,
    kCellAreaA1 = 11,
    kCellAreaA2 = 12,
    kCellAreaB1 = 13,
    kCellAreaB2 = 14,
    kCellPidSetNo = 15,
};
inline constexpr int kStepCells = 16;
inline constexpr int kStepsInStepType = 15;
inline constexpr int kStepsInPulseType = 4;

// Out-of-range messages.
inline constexpr int kMsgTargetPositionRange = 313;
inline constexpr int kMsgOperatingTimeRange = 314;
inline constexpr int kMsgSpeedRange = 315;
inline constexpr int kMsgAccelerationRange = 316;
inline constexpr int kMsgDecelerationRange = 317;
inline constexpr int kMsgThrustRange = 318;
inline constexpr int kMsgPushingSpeedRange = 319;
inline constexpr int kMsgPositioningRange = 320;
inline constexpr int kMsgTriggerLimitRange = 321;
inline constexpr int kMsgAreaARange = 322;
inline constexpr int kMsgAreaBRange = 323;

// Help texts.
inline constexpr int kHelpTargetPositioningAbs = 638;
inline constexpr int kHelpTargetPositioningInc = 639;
inline constexpr int kHelpTargetPushingAbs = 640;
inline constexpr int kHelpTargetPushingInc = 641;
inline constexpr int kHelpPositioningTime = 644;
inline constexpr int kHelpSpeed = 645;
inline constexpr int kHelpAcceleration = 646;
inline constexpr int kHelpDeceleration = 647;
inline constexpr int kHelpThrust = 648;
inline constexpr int kHelpLoadMass = 649;

// Step-list texts and the two pseudo steps of the browse list.
inline constexpr int kStrStepEnd = 251;
inline constexpr int kStrStepReturnToOrigin = 252;
inline constexpr int kStrPositioning = 685;
inline constexpr int kStrPushing = 686;
inline constexpr int kStrAbsolute = 687;
inline constexpr int kStrRelative = 688;

// The context menu of a step list: cut, copy, paste, get the current position.
inline constexpr int kStrCut = 360;
inline constexpr int kStrCopy = 361;
inline constexpr int kStrPaste = 362;
inline constexpr int kStrGetPosition = 363;

// The fields of a step that the editing views know.
enum class StepField : int {
    kOperation,
    kMovementMode,
    kTargetPosition,
    kPositioningTime,
    kSpeed,
    kAcceleration,
    kDeceleration,
    kThrustSetting,
    kLoadMass,
    // Edited only in the Detail Parameter Setup dialog.
    kPushingSpeed,
    kInPositionRange,
    kInForceLevel,
    kAreaA,
    kAreaB,
};

inline constexpr int kMovementAbsolute = 0;
inline constexpr int kMovementRelative = 1;

// Input-method indices.
inline constexpr int kInputCycleTime = 0;
inline constexpr int kInputSpeed = 1;
inline constexpr int kInputPulse = 2;

// The two model-dependent limits: stroke S in mm and maximum thrust T.
struct StepLimits {
    int stroke = 0;
    float maxThrust = 1.0F;
};

struct FieldRange {
    float min = 0.0F;
    float max = 0.0F;
    int decimals = 0;
};

// The outcome of a range comparison: the verdict and the field's text rewritten with the
// field's decimals, which the view shows in either case.
struct RangeCheck {
    bool inRange = false;
    std::string text;
};

struct HelpText {
    int stringId = 0;
    std::array<double, 3> args{};
    int argCount = 0;
};

// Numbering.
int StepCount(int controlType);
int ShownNumber(int n, int controlType);
int StepIndexFromShown(std::string_view shown, int controlType);
int StepImageRow(int n);

// Limits. Before the initial upload the stroke is the one the Basic page shows.
float MaxThrust(int stroke);
int EffectiveStroke(const StatusBlock& status, int basicPageStroke);
StepLimits EffectiveLimits(const StatusBlock& status, int basicPageStroke);
std::optional<FieldRange> StepRange(StepField field, int movementMode, const StepLimits& limits);
RangeCheck IsInRange(std::string_view text, const FieldRange& range);
int RangeMessageId(StepField field);
HelpText HelpTextFor(StepField field, bool pushing, int movementMode, const StepLimits& limits);

// Which fields a step uses. Only the Step page's fields are enabled by this rule; the
// Detail dialog's own fields are not on the page.
int InputMethodIndex(const StatusBlock& status);
bool IsFieldEnabled(StepField field, int inputMethodIndex, bool pushing, LinkState linkState);

// Operation word.
inline constexpr int kPushingBit = 0x8000;
inline constexpr int kPushingSpeedMask = 0x7FFF;
inline constexpr float kPushingStepWord = 32774.0F;  // pushing, pushing speed 6
inline constexpr float kPositioningStepWord = 6.0F;  // positioning, pushing speed 6
bool IsPushingWord(float word);
int PushingSpeedOf(float word);
// The operation a view shows: pulse type always shows Positioning.
bool ShowsPushing(float word, int controlType);
// What the Step page stores into cell 5; nullopt leaves the cell to the Detail dialog.
std::optional<float> OperationWordToStore(bool pushing, const StatusBlock& status,
                                          float controllerCopy);

// Load mass: choice index i stands for 50 * i grams.
inline constexpr int kLoadMassChoices = 21;
int LoadMassIndex(float grams);
float LoadMassGrams(int index);

// What a cut step holds.
struct StepDefaults {
    bool pushing = false;
    int movementMode = kMovementAbsolute;
    float targetPosition = 0.0F;
    float positioningTime = 0.0F;
    float speed = 0.0F;
    float acceleration = 0.0F;
    float deceleration = 0.0F;
    float thrustSetting = 1.0F;
    int loadMassIndex = 0;
};
inline constexpr StepDefaults kCutStepDefaults{};

// Operation text (string ID) of a list row before any data is loaded.
int FreshRowOperationText(int controlType);
// Texts of list columns 3..9 of a row before any data is loaded.
inline constexpr std::array<const char*, 7> kFreshRowTexts = {"0.000", "0.00", "0", "0",
                                                              "0",     "1.0",  "0"};

}  // namespace tavro
