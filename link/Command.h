#pragma once

#include <string_view>

// The controller's command vocabulary: literal commands and printf formats of requests,
// and the two-letter codes that replies echo.
namespace tavro::cmd {

inline constexpr std::string_view kVersion = "VE";
inline constexpr std::string_view kMonitor = "MO";
inline constexpr std::string_view kOperationInputs = "OE %d %d %d";
inline constexpr std::string_view kStopAll = "OE 0 0 0";
inline constexpr std::string_view kOperatingMode = "MD %d";
inline constexpr std::string_view kTestMode = "MD 1";
inline constexpr std::string_view kMonitorMode = "MD 0";
inline constexpr std::string_view kManualOutput = "SW %d %d";
inline constexpr std::string_view kAllOutputsOff = "SW 4 1";
inline constexpr std::string_view kReadParameter = "EE %d %d";
inline constexpr std::string_view kWriteParameter = "EE %d %d %.5f";
inline constexpr std::string_view kAlarmRead = "RE";
inline constexpr std::string_view kAlarmReset = "RE 0";
inline constexpr std::string_view kFactoryDefaults = "ED";
inline constexpr std::string_view kCommit = "EU";
inline constexpr std::string_view kCommitAb = "AB";
inline constexpr std::string_view kCommitSp = "SP";

// Codes compared by CheckReply: the first two characters of a command text.
inline constexpr std::string_view kCodeVersion = "VE";
inline constexpr std::string_view kCodeMonitor = "MO";
inline constexpr std::string_view kCodeOperationInputs = "OE";
inline constexpr std::string_view kCodeMode = "MD";
inline constexpr std::string_view kCodeManualOutput = "SW";
inline constexpr std::string_view kCodeParameter = "EE";
inline constexpr std::string_view kCodeAlarm = "RE";
inline constexpr std::string_view kCodeFactoryDefaults = "ED";
inline constexpr std::string_view kCodeCommit = "EU";
inline constexpr std::string_view kCodeCommitAb = "AB";
inline constexpr std::string_view kCodeCommitSp = "SP";

inline constexpr std::string_view kStatusOk = "OK";
inline constexpr std::string_view kStatusNg = "NG";

}  // namespace tavro::cmd
