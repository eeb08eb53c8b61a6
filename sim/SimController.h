#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

#include "link/EventLoop.h"
#include "sim/ControllerOptions.h"
#include "sim/Motion.h"
#include "sim/ParameterBank.h"

namespace tavro::sim {

// Status word bits of the "MO" reply.
inline constexpr std::uint16_t kBitSvon = 0x0010;
inline constexpr std::uint16_t kBitDrive = 0x0020;
inline constexpr std::uint16_t kBitBusy = 0x0040;
inline constexpr std::uint16_t kBitAlarm = 0x0080;  // 1 = no alarm
inline constexpr std::uint16_t kBitOut0 = 0x0100;
inline constexpr std::uint16_t kBitOut1 = 0x0200;
inline constexpr std::uint16_t kBitOriginDone = 0x0800;
inline constexpr std::uint16_t kBitInPosition = 0x1000;
inline constexpr std::uint16_t kInputBits = 0x003F;
inline constexpr std::uint16_t kOutputBits = kBitBusy | kBitAlarm | kBitOut0 | kBitOut1;

// Alarm codes the controller raises by itself.
inline constexpr int kAlarmEeprom = 1;
inline constexpr int kAlarmStepData = 7;

// The answer to one command: echoed code, "OK"/"NG" and the data text.
struct Answer {
    std::string code;
    bool ok = false;
    std::string data;
};

// One simulated controller: parameters in working and non-volatile memory, the emulated
// operation inputs, test/monitor mode, manual outputs, alarms with their history, and the
// table's motion that the monitor reply reports.
class SimController {
  public:
    SimController(EventLoop& loop, ControllerOptions options);
    virtual ~SimController() = default;
    SimController(const SimController&) = delete;
    SimController& operator=(const SimController&) = delete;

    // Handles the command text of a request (what follows "ID "), as the controller does
    // at the moment the request has arrived.
    Answer Execute(std::string_view command);

    // --- identity and line
    int Id() const;
    // Taken from 0/22 at power-on; writing 0/22 changes it at the next PowerCycle only.
    int LineSpeed() const { return lineSpeed_; }
    // The minimum communication delay (0/24) in ms.
    double MinDelayMs() const;
    const ControllerOptions& Options() const { return options_; }
    // Entries in the "RE" reply: 20, or 4 below version 2.5.
    int AlarmReplyEntries() const;

    // --- parameters (working memory unless named otherwise)
    float Parameter(int group, int parameter) const { return working_.Get(group, parameter); }
    // No range checks, for tests; false outside the groups or for a value that is not finite.
    bool SetParameter(int group, int parameter, float value);
    float StoredParameter(int group, int parameter) const { return stored_.Get(group, parameter); }
    // "EU": working memory into non-volatile memory (and the state file).
    bool Store();
    // "ED": factory defaults in both memories, ID 1.
    void FactoryReset();
    // Power off and on: parameters from non-volatile memory, line speed from 0/22, servo off,
    // origin lost, alarm cleared, monitor mode. The table stays where it is.
    void PowerCycle();
    // Why the state file could not be read or written; empty when it could.
    const std::string& StateError() const { return stateError_; }

    // --- alarms
    // Stops the table, switches the servo off and records `code` (1..255) in the history.
    void RaiseAlarm(int code);
    // "RE 0": the present alarm is gone; the history stays.
    void ClearAlarm();
    bool AlarmActive() const { return alarmActive_; }
    const AlarmHistory& History() const { return history_; }

    // --- motion and I/O
    double Position() const { return motion_.Position(); }  // 0.001 mm
    double Target() const { return target_; }               // 0.001 mm
    double Speed() const { return motion_.Speed(); }        // mm/s
    double Force() const;                                   // thrust setting units
    bool ServoOn() const { return servo_; }
    bool OriginDone() const { return originDone_; }
    bool Moving() const { return motion_.Active(); }
    bool InPosition() const { return inPosition_ && !motion_.Active(); }
    bool Pressing() const { return pressing_; }
    int Step() const { return step_; }
    bool TestMode() const { return testMode_; }
    bool ManualOutputs() const { return manual_; }

    std::uint16_t StatusWord() const;
    std::uint16_t Inputs() const;   // bits 0..5 as the status word shows them
    std::uint16_t Outputs() const;  // bits 6..9
    // The 28 characters of the "MO" reply: status word, then the 24-character values block.
    std::string MonitorData() const;
    // Raw position count of the values block for a position in 0.001 mm, with this
    // controller's series (1000000 at 0, falling away from the connector).
    std::uint32_t EncodePosition(double position) const;

    // The I/O connector's inputs (bits 0..5), which the controller follows in monitor mode.
    void SetPhysicalInputs(std::uint16_t bits);
    // Where a pushing step meets a work piece, mm; negative: nothing to push against.
    void SetWorkpiece(double mm);
    // Moves the table without travelling (tests).
    void PlaceTable(double position) { motion_.Place(position); }

  private:
    enum class Activity { kIdle, kOrigin, kStep, kPushing, kJog, kInching };
    // The operation inputs as one set: step number, SVON, DRIVE.
    struct InputState {
        int step = 0;
        bool svon = false;
        bool drive = false;
    };

    Answer Refuse(std::string code) const;
    Answer Operate(std::string code, const std::string* args, int argc);
    Answer ReadOrWrite(std::string code, const std::string* args, int argc);

    InputState EffectiveInputs() const;
    void ApplyInputs();
    void StartStep(int step);
    void StartOrigin();
    void StartDataStep(int step);
    void StartPush(int group, double direction);
    void StartJog(int step);
    void StartInching(int step);
    void Halt();
    void SoftReset();
    void Persist();

    double StrokeUm() const;
    int StepGroup() const;
    bool OutputActive(int function) const;
    std::uint16_t FunctionOutputs() const;

    ControllerOptions options_;
    ParameterBank working_;
    ParameterBank stored_;
    AlarmHistory history_{};
    std::string stateError_;
    int lineSpeed_ = 19200;
    Motion motion_;
    std::mt19937_64 scatter_;

    bool testMode_ = false;
    InputState pc_;
    std::uint16_t physical_ = 0;
    InputState applied_;

    bool servo_ = false;
    bool originDone_ = false;
    bool inPosition_ = false;
    bool pressing_ = false;
    bool alarmActive_ = false;
    int step_ = 0;
    double target_ = 0.0;
    double workpiece_ = -1.0;  // 0.001 mm
    Activity activity_ = Activity::kIdle;
    bool manual_ = false;
    std::uint16_t manualBits_ = 0;
    bool resetArmed_ = false;
};

// The code a reply echoes for a command text: its first two characters, made printable.
std::string EchoCode(std::string_view command);

// bit/s of a speed code of 0/22 (1..5); 0 for any other code.
int BaudOfCode(int code);
// Speed code of a line speed; 0 when the controller does not offer it.
int CodeOfBaud(int baud);

}  // namespace tavro::sim
