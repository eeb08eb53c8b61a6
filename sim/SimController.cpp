#include "sim/SimController.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include <unistd.h>

#include "link/Command.h"
#include "link/Numbers.h"
#include "product/Product.h"

namespace tavro::sim {

namespace {

// A speed code of 0/22 and its rate.
struct SpeedCode {
    int code;
    int baud;
};

constexpr SpeedCode kSpeedCodes[] = {
    {1, 2400}, {2, 9600}, {3, 19200}, {4, 38400}, {5, 57600},
};

enum class Op {
    kVersion,
    kMonitor,
    kInputs,
    kMode,
    kOutput,
    kParameter,
    kAlarm,
    kDefaults,
    kCommit,
    kResetArm,
    kReset
};

// A command the controller knows and how many arguments it takes.
struct CommandForm {
    std::string_view code;
    Op op;
    int minArgs;
    int maxArgs;
};

constexpr CommandForm kCommands[] = {
    {cmd::kCodeVersion, Op::kVersion, 0, 0},
    {cmd::kCodeMonitor, Op::kMonitor, 0, 0},
    {cmd::kCodeOperationInputs, Op::kInputs, 3, 3},
    {cmd::kCodeMode, Op::kMode, 1, 1},
    {cmd::kCodeManualOutput, Op::kOutput, 2, 2},
    {cmd::kCodeParameter, Op::kParameter, 2, 3},
    {cmd::kCodeAlarm, Op::kAlarm, 0, 1},
    {cmd::kCodeFactoryDefaults, Op::kDefaults, 0, 0},
    {cmd::kCodeCommit, Op::kCommit, 0, 0},
    {cmd::kCodeCommitAb, Op::kResetArm, 0, 0},
    {cmd::kCodeCommitSp, Op::kReset, 0, 0},
};

// Values a write must respect; the controller answers "NG" otherwise and keeps the old value.
struct WriteLimit {
    int group;
    int parameter;
    float min;
    float max;
    bool integral;
};

constexpr WriteLimit kWriteLimits[] = {
    {0, 0, 10.0F, 50.0F, true},    {0, 1, 1.0F, 3.0F, true},    {0, 2, 0.0F, 1.0F, true},
    {0, 3, 1.0F, 255.0F, true},    {0, 6, 0.0F, 6.0F, true},    {0, 8, 0.0F, 10.0F, true},
    {0, 9, 0.0F, 10.0F, true},     {0, 10, 0.0F, 90.0F, true},  {0, 12, 0.0F, 2.0F, true},
    {0, 13, 0.0F, 2.0F, true},     {0, 14, 0.0F, 3.0F, true},   {0, 15, 1.0F, 65535.0F, true},
    {0, 16, 1.0F, 65535.0F, true}, {0, 17, 0.0F, 1.0F, true},   {0, 18, 0.0F, 1.0F, true},
    {0, 22, 1.0F, 5.0F, true},     {0, 24, 0.1F, 10.2F, false}, {1, 0, 0.0F, 2.0F, true},
    {1, 17, 0.0F, 15.0F, true},
};
constexpr int kStrokes[] = {10, 20, 30, 50};
constexpr int kOrientations[] = {0, 90};

// Output function codes of 0/6, 0/8 and 0/9.
constexpr int kOutBusy = 1;
constexpr int kOutInp = 2;
constexpr int kOutInf = 3;
constexpr int kOutInfp = 4;
constexpr int kOutAreaA = 5;
constexpr int kOutAreaB = 6;

// Step cells (parameters of groups 3..21).
constexpr int kCellTarget = 0;
constexpr int kCellTime = 1;
constexpr int kCellSpeed = 2;
constexpr int kCellAccel = 3;
constexpr int kCellDecel = 4;
constexpr int kCellOperation = 5;
constexpr int kCellThrust = 6;
constexpr int kCellMode = 8;
constexpr int kCellInForce = 9;
constexpr int kCellInPosition = 10;
constexpr int kCellAreaA1 = 11;
constexpr int kCellAreaB1 = 13;
constexpr int kPushBit = 0x8000;
constexpr int kPushSpeedMask = 0x7FFF;

constexpr int kLastDataStep = 15;
constexpr int kJogToConnector = 16;
constexpr int kJogAway = 17;
constexpr int kLastStep = 19;
constexpr int kStepGroupOffset = 2;

// Return to origin: travel to the end at this speed, then find the origin there.
constexpr double kOriginSpeed = 20.0;
constexpr std::int64_t kOriginSettleMs = 300;
// Force shown while travelling freely, thrust units.
constexpr double kTravelForce = 0.3;

constexpr std::uint32_t kZeroCount = 1000000;
constexpr int kFactoryBaud = 19200;
constexpr int kMaxId = 255;
constexpr int kHistoryReplyShort = 4;
constexpr int kShortHistoryBelow = 2500;  // version × 1000

bool ParseInt(const std::string& text, int& out) {
    if (text.empty() || text.size() > 9) {
        return false;
    }
    std::size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size()) {
        return false;
    }
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
    }
    out = Atoi(text);
    return true;
}

// Decimal text as "%.5f" writes it (sign, digits, point); nothing else is a value.
bool ParseValue(const std::string& text, float& out) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        ++i;
    }
    bool digits = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9') {
            digits = true;
        } else if (text[i] == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (!digits || text.size() > 48) {
        return false;
    }
    const double v = Atof(text);
    if (!std::isfinite(v) || std::fabs(v) > 3.0e38) {
        return false;
    }
    out = static_cast<float>(v);
    return true;
}

bool WriteAllowed(int g, int p, float v) {
    const int group = ParameterImage::ResolveGroup(g);
    for (const auto& lim : kWriteLimits) {
        if (lim.group != group || lim.parameter != p) {
            continue;
        }
        constexpr float kSlack = 1e-6F;
        if (v < lim.min - kSlack || v > lim.max + kSlack) {
            return false;
        }
        if (lim.integral && v != std::floor(v)) {
            return false;
        }
    }
    const int iv = TruncToInt(v);
    if (group == 0 && p == 0) {
        return std::find(std::begin(kStrokes), std::end(kStrokes), iv) != std::end(kStrokes);
    }
    if (group == 0 && p == 10) {
        return std::find(std::begin(kOrientations), std::end(kOrientations), iv) !=
               std::end(kOrientations);
    }
    return true;
}

const product::SeriesFacts* SeriesOf(int series) {
    return product::FindSeries(series);
}

bool Between(double v, double a, double b) {
    return v >= std::min(a, b) && v <= std::max(a, b);
}

}  // namespace

std::string EchoCode(std::string_view command) {
    std::string code(command.substr(0, 2));
    while (code.size() < 2) {
        code += '?';
    }
    for (char& c : code) {
        if (c < 0x21 || c > 0x7E || c == ':') {
            c = '?';
        }
    }
    return code;
}

int BaudOfCode(int code) {
    for (const auto& s : kSpeedCodes) {
        if (s.code == code) {
            return s.baud;
        }
    }
    return 0;
}

int CodeOfBaud(int baud) {
    for (const auto& s : kSpeedCodes) {
        if (s.baud == baud) {
            return s.code;
        }
    }
    return 0;
}

SimController::SimController(EventLoop& loop, ControllerOptions options)
    : options_(std::move(options)), motion_(loop), scatter_(options_.scatterDraws) {
    ParameterBank bank = ParameterBank::Factory(options_);
    bank.Set(0, 3, static_cast<float>(options_.id >= 1 && options_.id <= kMaxId ? options_.id : 1));
    const int code = CodeOfBaud(options_.baud);
    bank.Set(0, 22, static_cast<float>(code != 0 ? code : CodeOfBaud(kFactoryBaud)));
    if (options_.minDelayMs >= 0.0 && options_.minDelayMs <= 1000.0) {
        bank.Set(0, 24, static_cast<float>(options_.minDelayMs));
    }
    for (const PresetParameter& p : options_.presets) {
        if (std::isfinite(p.value)) {
            bank.Set(p.group, p.parameter, p.value);
        }
    }
    if (!options_.stateFile.empty()) {
        // A missing file is a controller that was never written to; a damaged one is reported
        // and replaced at the next store.
        std::string error;
        if (LoadState(options_.stateFile, bank, history_, error)) {
            stateError_.clear();
        } else if (::access(options_.stateFile.c_str(), F_OK) == 0) {
            stateError_ = error;
        }
    }
    stored_ = bank;
    working_ = bank;
    lineSpeed_ = BaudOfCode(TruncToInt(stored_.Get(0, 22)));
    if (lineSpeed_ == 0) {
        lineSpeed_ = kFactoryBaud;
    }
    double start =
        options_.startPositionMm < 0.0 ? StrokeUm() / 2.0 : options_.startPositionMm * 1000.0;
    motion_.Place(std::clamp(start, 0.0, StrokeUm()));
    SetWorkpiece(options_.workpieceMm);
}

int SimController::Id() const {
    return TruncToInt(working_.Get(0, 3));
}

double SimController::MinDelayMs() const {
    const double v = working_.Get(0, 24);
    return v > 0.0 ? v : 0.0;
}

int SimController::AlarmReplyEntries() const {
    const double v = Atof(options_.version) * 1000.0 + 0.5;
    return TruncToInt(v) < kShortHistoryBelow ? kHistoryReplyShort : kAlarmHistorySize;
}

bool SimController::SetParameter(int group, int parameter, float value) {
    if (!ParameterBank::IsValid(group, parameter) || !std::isfinite(value)) {
        return false;
    }
    working_.Set(group, parameter, value);
    return true;
}

void SimController::Persist() {
    if (options_.stateFile.empty()) {
        return;
    }
    std::string error;
    if (SaveState(options_.stateFile, stored_, history_, error)) {
        stateError_.clear();
    } else {
        stateError_ = error;
    }
}

bool SimController::Store() {
    stored_ = working_;
    Persist();
    return stateError_.empty() || options_.stateFile.empty();
}

void SimController::FactoryReset() {
    Halt();
    working_ = ParameterBank::Factory(options_);
    stored_ = working_;
    Persist();
}

void SimController::SoftReset() {
    Halt();
    working_ = stored_;
    originDone_ = false;
    inPosition_ = false;
    alarmActive_ = false;
    manual_ = false;
    resetArmed_ = false;
    pc_ = InputState{};
    applied_ = EffectiveInputs();
}

void SimController::PowerCycle() {
    testMode_ = false;
    SoftReset();
    lineSpeed_ = BaudOfCode(TruncToInt(stored_.Get(0, 22)));
    if (lineSpeed_ == 0) {
        lineSpeed_ = kFactoryBaud;
    }
}

void SimController::RaiseAlarm(int code) {
    if (code <= 0 || code > 0xFF) {
        return;
    }
    Halt();
    alarmActive_ = true;
    std::rotate(history_.rbegin(), history_.rbegin() + 1, history_.rend());
    history_[0] = static_cast<std::uint8_t>(code);
    Persist();
}

void SimController::ClearAlarm() {
    alarmActive_ = false;
}

void SimController::Halt() {
    motion_.Stop();
    activity_ = Activity::kIdle;
    pressing_ = false;
    servo_ = false;
}

Answer SimController::Refuse(std::string code) const {
    return Answer{std::move(code), false, {}};
}

Answer SimController::Execute(std::string_view command) {
    // Arguments are separated by single spaces; anything else is not a request of ours.
    constexpr int kMaxTokens = 4;
    std::array<std::string, kMaxTokens> tokens;
    int count = 0;
    std::size_t start = 0;
    const std::string code = EchoCode(command);
    while (start <= command.size()) {
        const std::size_t sp = command.find(' ', start);
        const std::size_t end = sp == std::string_view::npos ? command.size() : sp;
        if (end == start || count == kMaxTokens) {
            return Refuse(code);
        }
        tokens[static_cast<std::size_t>(count++)] = std::string(command.substr(start, end - start));
        if (sp == std::string_view::npos) {
            break;
        }
        start = sp + 1;
    }
    if (count == 0 || tokens[0].size() != 2) {
        return Refuse(code);
    }
    return Operate(code, tokens.data(), count);
}

Answer SimController::Operate(std::string code, const std::string* tokens, int count) {
    const CommandForm* form = nullptr;
    for (const auto& c : kCommands) {
        if (c.code == tokens[0]) {
            form = &c;
        }
    }
    const int argc = count - 1;
    const std::string* args = tokens + 1;
    if (form == nullptr || argc < form->minArgs || argc > form->maxArgs) {
        return Refuse(code);
    }
    std::array<int, 3> n{};
    if (form->op != Op::kParameter) {
        for (int i = 0; i < argc; ++i) {
            if (!ParseInt(args[i], n[static_cast<std::size_t>(i)])) {
                return Refuse(code);
            }
        }
    }
    Answer ok{code, true, {}};
    switch (form->op) {
        case Op::kVersion:
            if (!options_.knowsVersion) {
                return Refuse(std::string(cmd::kStatusNg));
            }
            ok.data = options_.version;
            return ok;
        case Op::kMonitor:
            ok.data = MonitorData();
            return ok;
        case Op::kInputs:
            if (n[0] < 0 || n[0] > kLastStep || n[1] < 0 || n[1] > 1 || n[2] < 0 || n[2] > 1) {
                return Refuse(code);
            }
            pc_ = InputState{n[0], n[1] == 1, n[2] == 1};
            // In monitor mode the controller follows its connector; the request is harmless.
            if (testMode_) {
                ApplyInputs();
            }
            return ok;
        case Op::kMode:
            if (n[0] < 0 || n[0] > 1) {
                return Refuse(code);
            }
            testMode_ = n[0] == 1;
            ApplyInputs();
            return ok;
        case Op::kOutput:
            if (n[0] < 0 || n[0] > 4 || n[1] < 0 || n[1] > 1) {
                return Refuse(code);
            }
            if (n[0] == 4) {
                manual_ = n[1] == 0;
                manualBits_ = 0;
            } else {
                if (!manual_) {
                    manualBits_ = FunctionOutputs();
                    manual_ = true;
                }
                const auto bit = static_cast<std::uint16_t>(kBitBusy << n[0]);
                manualBits_ =
                    static_cast<std::uint16_t>(n[1] == 1 ? manualBits_ | bit : manualBits_ & ~bit);
            }
            return ok;
        case Op::kParameter:
            return ReadOrWrite(code, args, argc);
        case Op::kAlarm:
            if (argc == 1) {
                if (n[0] != 0) {
                    return Refuse(code);
                }
                ClearAlarm();
                return ok;
            }
            for (int i = 0; i < AlarmReplyEntries(); ++i) {
                ok.data +=
                    Format("%02X", static_cast<unsigned>(history_[static_cast<std::size_t>(i)]));
            }
            return ok;
        case Op::kDefaults:
            FactoryReset();
            return ok;
        case Op::kCommit:
            if (!Store()) {
                RaiseAlarm(kAlarmEeprom);
                return Refuse(code);
            }
            return ok;
        case Op::kResetArm:
            resetArmed_ = true;
            return ok;
        case Op::kReset:
            if (resetArmed_) {
                SoftReset();
            }
            return ok;
    }
    return Refuse(code);
}

Answer SimController::ReadOrWrite(std::string code, const std::string* args, int argc) {
    int g = 0;
    int p = 0;
    if (!ParseInt(args[0], g) || !ParseInt(args[1], p) || !ParameterBank::IsValid(g, p)) {
        return Refuse(code);
    }
    if (argc == 2) {
        return Answer{std::move(code), true, Format("%f", static_cast<double>(working_.Get(g, p)))};
    }
    float v = 0.0F;
    if (!ParseValue(args[2], v) || !WriteAllowed(g, p, v)) {
        return Refuse(code);
    }
    working_.Set(g, p, v);
    return Answer{std::move(code), true, {}};
}

SimController::InputState SimController::EffectiveInputs() const {
    if (testMode_) {
        return pc_;
    }
    return InputState{physical_ & 0x0F, (physical_ & kBitSvon) != 0, (physical_ & kBitDrive) != 0};
}

void SimController::ApplyInputs() {
    const InputState in = EffectiveInputs();
    if (!in.svon || alarmActive_) {
        if (servo_) {
            Halt();
        }
    } else {
        servo_ = true;
    }
    if (in.drive && !applied_.drive && servo_) {
        StartStep(in.step);
    } else if (!in.drive && applied_.drive && activity_ == Activity::kJog) {
        motion_.Stop();
        activity_ = Activity::kIdle;
    }
    applied_ = in;
}

void SimController::SetPhysicalInputs(std::uint16_t bits) {
    physical_ = static_cast<std::uint16_t>(bits & kInputBits);
    if (!testMode_) {
        ApplyInputs();
    }
}

void SimController::SetWorkpiece(double mm) {
    workpiece_ = mm < 0.0 ? -1.0 : mm * 1000.0;
}

void SimController::StartStep(int step) {
    if (alarmActive_) {
        return;
    }
    step_ = step;
    if (step == 0) {
        StartOrigin();
        return;
    }
    // Without a known origin the controller has no coordinates to move in.
    if (!originDone_) {
        return;
    }
    if (step <= kLastDataStep) {
        StartDataStep(step);
    } else if (step <= kJogAway) {
        StartJog(step);
    } else {
        StartInching(step);
    }
}

void SimController::StartOrigin() {
    originDone_ = false;
    inPosition_ = false;
    pressing_ = false;
    target_ = 0.0;
    activity_ = Activity::kOrigin;
    motion_.Start(Motion::Move{0.0, 0.0, kOriginSpeed, 0.0, 0.0}, [this] {
        motion_.Hold(kOriginSettleMs, [this] {
            originDone_ = true;
            activity_ = Activity::kIdle;
        });
    });
}

void SimController::StartDataStep(int step) {
    const int g = step + kStepGroupOffset;
    const double here = motion_.Position();
    const double cell0 = working_.Get(g, kCellTarget);
    const double target = TruncToInt(working_.Get(g, kCellMode)) == 1 ? here + cell0 : cell0;
    if (target < 0.0 || target > StrokeUm() + 1e-6) {
        RaiseAlarm(kAlarmStepData);
        return;
    }
    const double distance = std::fabs(target - here);
    Motion::Move move{here, target, 0.0, 0.0, 0.0};
    if (TruncToInt(working_.Get(0, 2)) == 1) {
        move.speed = working_.Get(g, kCellSpeed);
        move.accel = working_.Get(g, kCellAccel);
        move.decel = working_.Get(g, kCellDecel);
    } else {
        const double seconds = working_.Get(g, kCellTime);
        if (seconds <= 0.0) {
            return;  // an operating time of 0: the actuator does not operate
        }
        move.speed = distance > 0.0 ? distance / (seconds * 1000.0) : 1.0;
    }
    if (!(move.speed > 0.0)) {
        return;
    }
    const bool push = (TruncToInt(working_.Get(g, kCellOperation)) & kPushBit) != 0;
    const double direction = target >= here ? 1.0 : -1.0;
    if (options_.scatterUm > 0.0 && !push) {
        // The table stops a little off its target; the target itself is what the step asked.
        const double off = std::uniform_real_distribution<double>(-options_.scatterUm,
                                                                  options_.scatterUm)(scatter_);
        move.to = std::clamp(target + std::round(off), 0.0, StrokeUm());
    }
    target_ = target;
    inPosition_ = false;
    pressing_ = false;
    activity_ = Activity::kStep;
    motion_.Start(move, [this, g, push, direction] {
        if (push) {
            StartPush(g, direction);
            return;
        }
        activity_ = Activity::kIdle;
        inPosition_ = true;
    });
}

void SimController::StartPush(int group, double direction) {
    // From the target the table pushes on at the pushing speed, at most the in-position
    // range; meeting the work piece on the way completes the step, missing it does not.
    const double range = std::max(0.0, static_cast<double>(working_.Get(group, kCellInPosition)));
    const double end = std::clamp(target_ + direction * range, 0.0, StrokeUm());
    const bool contact = workpiece_ >= 0.0 && Between(workpiece_, target_, end);
    int speed = TruncToInt(working_.Get(group, kCellOperation)) & kPushSpeedMask;
    if (speed <= 0) {
        speed = 1;
    }
    activity_ = Activity::kPushing;
    motion_.Start(
        Motion::Move{target_, contact ? workpiece_ : end, static_cast<double>(speed), 0.0, 0.0},
        [this, contact] {
            activity_ = Activity::kIdle;
            pressing_ = contact;
            inPosition_ = contact;
        });
}

void SimController::StartJog(int step) {
    const double speed = working_.Get(step + kStepGroupOffset, kCellSpeed);
    if (!(speed > 0.0)) {
        return;
    }
    target_ = step == kJogToConnector ? 0.0 : StrokeUm();
    inPosition_ = false;
    pressing_ = false;
    activity_ = Activity::kJog;
    motion_.Start(Motion::Move{0.0, target_, speed, 0.0, 0.0},
                  [this] { activity_ = Activity::kIdle; });
}

void SimController::StartInching(int step) {
    const int g = step + kStepGroupOffset;
    const double speed = working_.Get(g, kCellSpeed);
    if (!(speed > 0.0)) {
        return;
    }
    // The distance is signed; the step number only names the button that was pressed.
    target_ = std::clamp(motion_.Position() + working_.Get(g, kCellTarget), 0.0, StrokeUm());
    inPosition_ = false;
    pressing_ = false;
    activity_ = Activity::kInching;
    motion_.Start(Motion::Move{0.0, target_, speed, 0.0, 0.0}, [this] {
        activity_ = Activity::kIdle;
        inPosition_ = true;
    });
}

double SimController::StrokeUm() const {
    return std::max(0.0, static_cast<double>(working_.Get(0, 0))) * 1000.0;
}

int SimController::StepGroup() const {
    return step_ >= 1 && step_ <= kLastDataStep ? step_ + kStepGroupOffset : 3;
}

double SimController::Force() const {
    if (pressing_) {
        return working_.Get(StepGroup(), kCellThrust);
    }
    return motion_.Active() && activity_ != Activity::kOrigin ? kTravelForce : 0.0;
}

bool SimController::OutputActive(int function) const {
    const int g = StepGroup();
    const double pos = motion_.Position();
    switch (function) {
        case kOutBusy:
            return motion_.Active();
        case kOutInp:
            return InPosition();
        case kOutInf:
            return pressing_ && working_.Get(g, kCellThrust) >= working_.Get(g, kCellInForce);
        case kOutInfp: {
            const product::SeriesFacts* s = SeriesOf(TruncToInt(working_.Get(0, 1)));
            return !motion_.Active() && s != nullptr &&
                   std::fabs(pos - target_) <= static_cast<double>(s->repeatabilityUm);
        }
        case kOutAreaA:
            return Between(pos, working_.Get(g, kCellAreaA1), working_.Get(g, kCellAreaA1 + 1));
        case kOutAreaB:
            return Between(pos, working_.Get(g, kCellAreaB1), working_.Get(g, kCellAreaB1 + 1));
        default:
            return false;  // unused, and the current and temperature alarms that never come
    }
}

std::uint16_t SimController::FunctionOutputs() const {
    std::uint16_t w = 0;
    if (OutputActive(TruncToInt(working_.Get(0, 6)))) {
        w |= kBitBusy;
    }
    if (!alarmActive_) {
        w |= kBitAlarm;
    }
    if (OutputActive(TruncToInt(working_.Get(0, 8)))) {
        w |= kBitOut0;
    }
    if (OutputActive(TruncToInt(working_.Get(0, 9)))) {
        w |= kBitOut1;
    }
    return w;
}

std::uint16_t SimController::Inputs() const {
    const InputState in = EffectiveInputs();
    if (!testMode_) {
        return static_cast<std::uint16_t>(physical_ & kInputBits);
    }
    // The four step inputs carry steps 0..15; the jog and inching steps exist only here.
    std::uint16_t w = static_cast<std::uint16_t>(in.step <= kLastDataStep ? in.step : 0);
    if (in.svon) {
        w |= kBitSvon;
    }
    if (in.drive) {
        w |= kBitDrive;
    }
    return w;
}

std::uint16_t SimController::Outputs() const {
    return manual_ ? manualBits_ : FunctionOutputs();
}

std::uint16_t SimController::StatusWord() const {
    std::uint16_t w = static_cast<std::uint16_t>(Inputs() | Outputs());
    if (originDone_) {
        w |= kBitOriginDone;
    }
    if (InPosition()) {
        w |= kBitInPosition;
    }
    return w;
}

std::uint32_t SimController::EncodePosition(double position) const {
    const product::SeriesFacts* s = SeriesOf(TruncToInt(working_.Get(0, 1)));
    if (s == nullptr) {
        return kZeroCount;
    }
    // µm per count, computed as the tool's decoding computes it.
    const float perCount = (static_cast<float>(s->positionScale) / 100000.0F) * 1000.0F;
    const double counts = std::round(position / static_cast<double>(perCount));
    return kZeroCount - static_cast<std::uint32_t>(std::clamp(counts, 0.0, 1000000.0));
}

std::string SimController::MonitorData() const {
    const auto speed = static_cast<unsigned>(std::clamp(std::round(Speed()), 0.0, 65535.0));
    const auto force = static_cast<unsigned>(std::clamp(std::round(Force() * 10.0), 0.0, 255.0));
    const auto step = static_cast<unsigned>(std::clamp(step_, 0, 255));
    return Format("%04X%08X%04X%02X%08X%02X", static_cast<unsigned>(StatusWord()),
                  static_cast<unsigned>(EncodePosition(Position())), speed, force,
                  static_cast<unsigned>(EncodePosition(target_)), step);
}

}  // namespace tavro::sim
