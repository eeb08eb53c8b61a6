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

// The serial port on Linux: why it cannot be opened, its loss and its return, its latency.
inline constexpr int IDS_PORT_NOT_FOUND = 2400;            // "The port %s does not exist."
inline constexpr int IDS_PORT_NOT_A_TERMINAL = 2401;       // "%s is not a serial port."
inline constexpr int IDS_PORT_SPEED = 2402;                // "The speed %d bit/s is not ..."
inline constexpr int IDS_PORT_SETUP = 2403;                // "%s could not be set up (%s)."
inline constexpr int IDS_PORT_PERMISSION = 2404;           // "...group \"%s\"...command..."
inline constexpr int IDS_PORT_PERMISSION_NO_GROUP = 2405;  // "Permission ... administrator"
inline constexpr int IDS_PORT_HELD = 2406;                 // "%s is in use by ...: %s (process %d)"
inline constexpr int IDS_PORT_HELD_BY_PROBER_USB = 2407;   // ModemManager, with a udev rule
inline constexpr int IDS_PORT_HELD_BY_PROBER = 2408;       // ModemManager, on-board port
inline constexpr int IDS_PORT_IN_USE = 2409;               // "%s is in use by another program."
inline constexpr int IDS_NO_PORT = 2410;                   // "No serial port is available."
inline constexpr int IDS_PORT_DISCONNECTED = 2411;         // "The serial port was disconnected...."
inline constexpr int IDS_PORT_BACK = 2412;     // "The serial port %s is connected again..."
inline constexpr int IDS_LATENCY_HINT = 2413;  // "%s holds received bytes ... %d ms ..."

}  // namespace tavro::ids
