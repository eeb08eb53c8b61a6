#pragma once

#include <cstdint>
#include <string_view>

#include "link/LinkContext.h"
#include "link/StatusBlock.h"

namespace tavro {

// Accessor over the shared status block; any code may make one on the stack.
class CStatusFlg {
  public:
    explicit CStatusFlg(LinkContext& ctx) : s_(ctx.status) {}
    explicit CStatusFlg(StatusBlock& block) : s_(block) {}
    virtual ~CStatusFlg() = default;

    int GetControllerId() const { return s_.controllerId; }
    void SetControllerId(int v) { s_.controllerId = v; }
    int GetComPort() const { return s_.comPort; }
    void SetComPort(int v) { s_.comPort = v; }
    int GetBaudRate() const { return s_.baudRate; }
    void SetBaudRate(int v) { s_.baudRate = v; }
    float GetThrustLimit(int i) const { return s_.thrustLimit[Idx(i)]; }
    float GetControllerVersion() const { return s_.controllerVersion; }
    void SetControllerVersion(float v) { s_.controllerVersion = v; }
    float GetCurrentPosition() const { return s_.currentPosition; }
    void SetCurrentPosition(float v) { s_.currentPosition = v; }
    LinkState GetLinkState() const { return s_.linkState; }
    void SetLinkStateValue(LinkState v) { s_.linkState = v; }
    int GetStroke(int i) const { return s_.stroke[Idx(i)]; }
    int GetSeries(int i) const { return s_.series[Idx(i)]; }
    int GetSeriesScale(int i) const { return s_.seriesScale[Idx(i)]; }
    int GetControlType() const { return s_.controlType; }
    int GetStepInputMethod(int i) const { return s_.stepInputMethod[Idx(i)]; }
    void SetStepInputMethod(int i, int v) { s_.stepInputMethod[Idx(i)] = v; }
    int GetOutputFunction(int i) const { return s_.outputFunction[Idx(i)]; }
    void SetOutputFunction(int i, int v) { s_.outputFunction[Idx(i)] = v; }
    std::uint8_t GetFlags() const { return s_.flags; }
    void SetFlags(std::uint8_t v) { s_.flags = v; }
    bool HasFlag(std::uint8_t bit) const { return (s_.flags & bit) != 0; }
    int GetFrontPhase() const { return s_.frontPhase; }
    void SetFrontPhase(int v) { s_.frontPhase = v; }
    int GetDetailOpen() const { return s_.detailOpen; }
    void SetDetailOpen(int v) { s_.detailOpen = v; }
    int GetGainFileLoaded() const { return s_.gainFileLoaded; }
    void SetGainFileLoaded(int v) { s_.gainFileLoaded = v; }
    int GetTestMode() const { return s_.testMode; }
    void SetTestMode(int v) { s_.testMode = v; }
    int GetAlarmHistoryCount() const { return s_.alarmHistoryCount; }
    void SetAlarmHistoryCount(int v) { s_.alarmHistoryCount = static_cast<std::int8_t>(v); }

    // stroke[i] and the thrust limit that goes with it.
    void SetStroke(int i, int v);
    // series[i] and its scale constant.
    void SetSeries(int i, int v);
    // controlType and flag 0x02 (type taken from the controller).
    void SetControlType(int v);
    void ClearTypeFromController();
    // For bits 0x01, 0x04, 0x08, 0x10, 0x20.
    void SetFlag(std::uint8_t bit);
    void SetOriginDone(bool done);
    bool IsOriginDone() const { return HasFlag(kFlagOriginDone); }
    bool IsBusy() const { return s_.linkState == kLinkBusy; }
    bool IsPortOpen() const { return s_.comPort > 0; }
    void SetOffline() { s_.linkState = kLinkNoController; }
    // currentPosition; with clamp, limited to 0 .. stroke[0].
    float GetPosition(int clamp) const;
    // controllerVersion = decimal value of the text (atof); 0 when a float cannot hold it.
    void SetVersionFromText(std::string_view text);

    static float ThrustLimitForStroke(int stroke);
    static int ScaleForSeries(int series);
    // Rated positioning repeatability, ± µm; 0 for a series the tool does not know.
    static int RepeatabilityUmForSeries(int series);

  private:
    static int Idx(int i) { return i == 0 ? 0 : 1; }
    StatusBlock& s_;
};

}  // namespace tavro
