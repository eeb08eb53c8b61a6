#pragma once

// String-table IDs of the texts the link shows or hands to its host.
namespace tavro::ids {

inline constexpr int IDS_FACTORY_DEFAULT_ID = 268;  // "%d (Factory default value)"
inline constexpr int IDS_NO_RESPONSE = 306;         // "No response from the controller...."
inline constexpr int IDS_CONTROLLER_CHANGED = 343;  // "There have possibly been changes..."
inline constexpr int IDS_UPDATE_COMPLETE = 345;     // "Update complete."
inline constexpr int IDS_RESET_REQUIRED = 346;      // "Configuration change complete...."
inline constexpr int IDS_UNSUPPORTED = 353;         // "Unsupported controller is connected."
inline constexpr int IDS_ORIGIN_TIMEOUT = 706;      // ""Return to origin Position" operation..."
inline constexpr int IDS_STEP_TIMEOUT = 707;        // ""Step Data Operation" cannot be..."
inline constexpr int IDS_NO_VALUE = 732;            // "-"
inline constexpr int IDS_SPEED_CHANGED = 1140;      // "To validate the change of the ..."

}  // namespace tavro::ids
