#pragma once

#include <cstdint>
#include <string>

namespace tavro {

// Link states: what every page control's enabling follows. The tables of the controls'
// enabling (ui/) are indexed by LinkIndex(state).
enum class LinkState : int {
    kLinkOnline = 0,        // online, idle
    kLinkNoController = 1,  // offline: search cancelled or communication given up
    kLinkNoPort = 2,        // offline: the port could not be opened
    kLinkBusy = 3,          // an operation runs
    kLinkMonitorMode = 4,   // the controller follows its own I/O
};
using enum LinkState;

inline constexpr int LinkIndex(LinkState state) {
    return static_cast<int>(state);
}

// Bits of StatusBlock::flags.
inline constexpr std::uint8_t kFlagIdentityRead = 0x01;
inline constexpr std::uint8_t kFlagTypeFromController = 0x02;
inline constexpr std::uint8_t kFlagUploadDone = 0x04;
inline constexpr std::uint8_t kFlagStepDataMoved = 0x08;
inline constexpr std::uint8_t kFlagDetailRead = 0x10;
inline constexpr std::uint8_t kFlagDetailUploadDone = 0x20;
inline constexpr std::uint8_t kFlagOriginDone = 0x80;

// Which window the link reports to.
enum FrontPhase : int {
    kFrontNone = 0,
    kFrontComSelect = 1,
    kFrontIdSearch = 2,
    kFrontTypeDialog = 3,
    kFrontMain = 4,
    kFrontProgress = 6,
};

// Control-signal types (parameter 0/12).
inline constexpr int kControlTypeUnset = 0;
inline constexpr int kControlTypeStep = 1;
inline constexpr int kControlTypePulse = 2;

// The shared status block. Index [0] of the paired fields is the controller's value,
// [1] the value edited on the Basic Parameter Setup page.
struct StatusBlock {
    int controllerId = 0;
    int comPort = 0;  // > 0 while a port is open
    int baudRate = 0;
    float thrustLimit[2] = {1.0F, 1.0F};
    float controllerVersion = 0.0F;
    float currentPosition = 0.0F;
    LinkState linkState = kLinkOnline;
    int stroke[2] = {0, 0};
    int series[2] = {0, 0};
    int seriesScale[2] = {0, 0};
    int controlType = kControlTypeStep;
    int stepInputMethod[2] = {0, 0};
    int outputFunction[2] = {0, 0};
    std::uint8_t flags = 0;
    int frontPhase = kFrontNone;
    int detailOpen = 0;
    int gainFileLoaded = 0;

    // Kept beside the block.
    int testMode = 1;
    std::int8_t alarmHistoryCount = 20;

    // What Linux adds: the open device and the name the title shows for it.
    std::string portPath;
    std::string portName;
};

}  // namespace tavro
