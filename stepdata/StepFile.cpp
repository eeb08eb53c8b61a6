#include "stepdata/StepFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <limits>

#include "BuildVersion.h"
#include "link/CStatusFlg.h"
#include "link/Numbers.h"
#include "stepdata/StepRecord.h"

namespace tavro {

namespace {

// Which modes carry a field: bit m for mode m.
using ModeSet = std::uint8_t;
constexpr ModeSet kNoMode = 0;
constexpr ModeSet kAllModes = 0b111;
constexpr ModeSet kDetailModes = 0b110;
constexpr ModeSet kPidMode = 0b100;

bool Carries(ModeSet modes, StepFileMode mode) {
    return ((modes >> static_cast<int>(mode)) & 1U) != 0;
}

enum class Check { kRange, kTarget, kOperationWord, kMovementMode, kReserved };

struct RecordField {
    int cell;
    int decimals;
    float min;
    float max;
    Check check;
    ModeSet modes;
};

// Fields 1..18 of a record line, after the step number.
constexpr RecordField kRecordLayout[kRecordFields] = {
    {kCellTargetPosition, 3, -50000.0F, 50000.0F, Check::kTarget, kAllModes},
    {kCellPositioningTime, 2, 0.0F, 60.0F, Check::kRange, kAllModes},
    {kCellSpeed, 0, 0.0F, 500.0F, Check::kRange, kAllModes},
    {kCellAcceleration, 0, 0.0F, 60000.0F, Check::kRange, kAllModes},
    {kCellDeceleration, 0, 0.0F, 60000.0F, Check::kRange, kAllModes},
    {kCellOperationWord, 0, 1.0F, 32788.0F, Check::kOperationWord, kAllModes},
    {kCellThrustSetting, 1, 1.0F, 5.0F, Check::kRange, kAllModes},
    {-1, 0, 0.0F, 0.0F, Check::kReserved, kAllModes},
    {-1, 0, 0.0F, 0.0F, Check::kReserved, kAllModes},
    {kCellLoadMass, 0, 0.0F, 1000.0F, Check::kRange, kAllModes},
    {kCellMovementMode, 0, 0.0F, 1.0F, Check::kMovementMode, kAllModes},
    {kCellInForceLevel, 1, 0.5F, 5.0F, Check::kRange, kDetailModes},
    {kCellInPositionRange, 3, 0.0F, 50000.0F, Check::kRange, kDetailModes},
    {kCellAreaA1, 3, 0.0F, 50000.0F, Check::kRange, kDetailModes},
    {kCellAreaA2, 3, 0.0F, 50000.0F, Check::kRange, kDetailModes},
    {kCellAreaB1, 3, 0.0F, 50000.0F, Check::kRange, kDetailModes},
    {kCellAreaB2, 3, 0.0F, 50000.0F, Check::kRange, kDetailModes},
    {kCellPidSetNo, 0, 0.0F, 15.0F, Check::kRange, kDetailModes},
};
constexpr std::size_t kTargetField = 0;
constexpr float kTargetLimit = 50000.0F;

// The reserved record fields hold this whole number; readers ignore it.
constexpr const char* kReservedText = "0";

struct ParamField {
    int position;  // 1-based field of the line
    int cell;
    int decimals;
    float min;
    float max;
    ModeSet modes;
};

// Parameter line 1: image row 0. Fields 23..59 are reserved.
constexpr ParamField kParamLine1[] = {
    {1, 0, 0, 0.0F, 50.0F, kDetailModes},     {2, 1, 0, 0.0F, 3.0F, kDetailModes},
    {3, 2, 0, 0.0F, 1.0F, kDetailModes},      {4, 4, 0, 0.0F, 500.0F, kNoMode},
    {5, 5, 0, 0.0F, 60000.0F, kNoMode},       {6, 6, 0, 0.0F, 255.0F, kDetailModes},
    {7, 7, 0, 0.0F, 255.0F, kDetailModes},    {8, 8, 0, 0.0F, 255.0F, kDetailModes},
    {9, 9, 0, 0.0F, 255.0F, kDetailModes},    {10, 10, 0, 0.0F, 90.0F, kDetailModes},
    {11, 11, 3, 0.0F, 1000.0F, kDetailModes}, {12, 3, 0, 1.0F, 255.0F, kDetailModes},
    {13, 12, 0, 1.0F, 2.0F, kDetailModes},    {14, 13, 0, 0.0F, 2.0F, kDetailModes},
    {15, 14, 0, 0.0F, 3.0F, kDetailModes},    {16, 15, 0, 1.0F, 200.0F, kDetailModes},
    {17, 16, 0, 1.0F, 200.0F, kDetailModes},  {18, 17, 0, 0.0F, 1.0F, kDetailModes},
    {19, 18, 0, 0.0F, 1.0F, kDetailModes},    {20, 19, 1, 0.0F, 3.0F, kDetailModes},
    {21, 20, 0, 0.0F, 70.0F, kDetailModes},   {22, 21, 0, 0.0F, 50000.0F, kDetailModes},
};

// Parameter line 2: image row 1. Fields 19..59 are reserved.
constexpr ParamField kParamLine2[] = {
    {1, 0, 0, 0.0F, 2.0F, kDetailModes},       {2, 1, 0, 0.0F, 65535.0F, kNoMode},
    {3, 2, 0, 0.0F, 65535.0F, kNoMode},        {4, 3, 0, 0.0F, 65535.0F, kNoMode},
    {5, 4, 0, 0.0F, 65535.0F, kNoMode},        {6, 5, 0, 0.0F, 65535.0F, kNoMode},
    {7, 6, 0, 0.0F, 65535.0F, kNoMode},        {8, 7, 0, -32767.0F, 32767.0F, kNoMode},
    {9, 8, 0, -32767.0F, 32767.0F, kNoMode},   {10, 9, 0, -32767.0F, 32767.0F, kNoMode},
    {11, 10, 0, -32767.0F, 32767.0F, kNoMode}, {12, 11, 0, -32767.0F, 32767.0F, kNoMode},
    {13, 12, 0, -32767.0F, 32767.0F, kNoMode}, {14, 13, 1, 0.0F, 65535.0F, kPidMode},
    {15, 14, 3, 0.0F, 65535.0F, kPidMode},     {16, 15, 4, 0.0F, 65535.0F, kPidMode},
    {17, 16, 0, 0.0F, 65535.0F, kNoMode},      {18, 17, 0, 0.0F, 1.0F, kPidMode},
};

// Parameter line 3: image row 2. Cells 12..56 are the 15 PID sets (Kp, Ti, Td); fields 58
// and 59 are reserved.
constexpr int kPidSetDecimals[3] = {1, 3, 4};
constexpr auto kParamLine3 = [] {
    std::array<ParamField, 57> line{};
    for (int i = 0; i < 57; ++i) {
        ParamField& f = line[static_cast<std::size_t>(i)];
        if (i < 6) {
            f = {i + 1, i, 0, 0.0F, 65535.0F, kNoMode};
        } else if (i < 12) {
            f = {i + 1, i, 0, -32767.0F, 32767.0F, kNoMode};
        } else {
            f = {i + 1, i, kPidSetDecimals[(i - 12) % 3], 0.0F, 65535.0F, kPidMode};
        }
    }
    return line;
}();

struct ParamLine {
    int group;
    const ParamField* fields;
    std::size_t count;
};

constexpr ParamLine kParamLines[] = {
    {0, kParamLine1, std::size(kParamLine1)},
    {1, kParamLine2, std::size(kParamLine2)},
    {2, kParamLine3.data(), kParamLine3.size()},
};

// Below its minimum a record value still passes within one float epsilon of it.
constexpr float kMinimumTolerance = FLT_EPSILON;

// The widest text "%.Nf" gives a finite 32-bit float: a sign, the 39 digits of FLT_MAX and
// the decimals.
constexpr std::size_t WidestNumber(int decimals) {
    const auto digits = static_cast<std::size_t>(std::numeric_limits<float>::max_exponent10 + 1);
    return 1 + digits + (decimals > 0 ? 1 + static_cast<std::size_t>(decimals) : 0);
}

constexpr std::size_t WidestField(ModeSet modes, int decimals) {
    const std::size_t number = modes == kNoMode ? 0 : WidestNumber(decimals);
    // A field some mode does not carry is written "NO DATA" in that mode.
    const std::size_t noData = modes == kAllModes ? 0 : kNoData.size();
    return number > noData ? number : noData;
}

constexpr std::size_t Digits(int n) {
    std::size_t d = 1;
    for (; n >= 10; n /= 10) {
        ++d;
    }
    return d;
}

constexpr std::size_t LongestParamLine() {
    std::size_t longest = 0;
    for (const ParamLine& line : kParamLines) {
        std::array<std::size_t, kParameterLineFields> widths{};
        widths.fill(kNoData.size());
        for (std::size_t i = 0; i < line.count; ++i) {
            const ParamField& f = line.fields[i];
            widths[static_cast<std::size_t>(f.position - 1)] = WidestField(f.modes, f.decimals);
        }
        std::size_t length = kParameterLineFields - 1;
        for (const std::size_t w : widths) {
            length += w;
        }
        longest = length > longest ? length : longest;
    }
    return longest;
}

constexpr std::size_t LongestRecordLine() {
    std::size_t length = Digits(kStepsInStepType);
    for (const RecordField& f : kRecordLayout) {
        length += 1 + (f.check == Check::kReserved ? std::string_view(kReservedText).size()
                                                   : WidestField(f.modes, f.decimals));
    }
    return length;
}

constexpr std::size_t kLongestLine = LongestParamLine() > LongestRecordLine() ? LongestParamLine()
                                                                              : LongestRecordLine();
static_assert(kLongestLine >= kStepFileHeader.size());

// Large enough for 6 + 15 lines of the longest length, so what lies beyond is never needed.
constexpr std::size_t kMaxReadBytes = 64 * 1024;
static_assert(kMaxReadBytes >= (6 + kStepsInStepType) * (kLongestLine + 2));

const char* const kCrLf = "\r\n";

float ToFloat(double v) {
    if (v > static_cast<double>(std::numeric_limits<float>::max())) {
        return std::numeric_limits<float>::infinity();
    }
    if (v < -static_cast<double>(std::numeric_limits<float>::max())) {
        return -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(v);
}

std::string FormatValue(int decimals, float v) {
    return Format("%.*f", decimals, static_cast<double>(v));
}

// Lines of a text; a bare line feed ends a line as well as CR LF does.
class LineCursor {
  public:
    enum class Result { kLine, kEnd, kTooLong };

    explicit LineCursor(std::string_view text) : rest_(text) {}

    Result Next(std::string_view& line) {
        if (rest_.empty()) {
            return Result::kEnd;
        }
        const std::size_t nl = rest_.find('\n');
        std::string_view l = rest_.substr(0, nl);
        rest_ = nl == std::string_view::npos ? std::string_view() : rest_.substr(nl + 1);
        if (!l.empty() && l.back() == '\r') {
            l.remove_suffix(1);
        }
        if (l.size() > kLongestLine) {
            return Result::kTooLong;
        }
        line = l;
        return Result::kLine;
    }

  private:
    std::string_view rest_;
};

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(
            line.substr(start, comma == std::string_view::npos ? comma : comma - start));
        if (comma == std::string_view::npos) {
            break;
        }
        start = comma + 1;
    }
    return fields;
}

// A field that is not there reads as empty text, which reads as 0.
std::string_view FieldAt(const std::vector<std::string_view>& fields, std::size_t i) {
    return i < fields.size() ? fields[i] : std::string_view();
}

bool InRange(float v, float min, float max) {
    return std::isfinite(v) && v >= min && v <= max;
}

bool InRecordRange(float v, float min, float max) {
    if (!std::isfinite(v) || v > max) {
        return false;
    }
    return v >= min || (v - kMinimumTolerance < min && min < v + kMinimumTolerance);
}

bool RecordCountFits(int count, int controlType) {
    if (count != kStepsInStepType && count != kStepsInPulseType) {
        return false;
    }
    return controlType == kControlTypeUnset || count == StepCount(controlType);
}

std::string ComposeParamLine(const ParamLine& line, StepFileMode mode, ParameterImage& image) {
    std::array<std::string, kParameterLineFields> fields;
    fields.fill(std::string(kNoData));
    for (std::size_t i = 0; i < line.count; ++i) {
        const ParamField& f = line.fields[i];
        if (Carries(f.modes, mode)) {
            fields[static_cast<std::size_t>(f.position - 1)] = FormatValue(
                f.decimals, image.GetCell(line.group, f.cell, ParameterImage::kEditCopy));
        }
    }
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        out += fields[i];
    }
    return out;
}

std::string ComposeRecordLine(int step, StepFileMode mode, ParameterImage& image) {
    const int group = StepImageRow(step);
    std::string out = Format("%d", step + 1);
    for (const RecordField& f : kRecordLayout) {
        out += ',';
        if (f.check == Check::kReserved) {
            out += kReservedText;
        } else if (Carries(f.modes, mode)) {
            out += FormatValue(f.decimals, image.GetCell(group, f.cell, ParameterImage::kEditCopy));
        } else {
            out += kNoData;
        }
    }
    return out;
}

// Checks one parameter line; false when a value is out of its range.
bool CheckParamLine(std::string_view text, const ParamLine& line, StepFileMode mode,
                    std::vector<StepFileValue>& values) {
    const auto fields = SplitFields(text);
    bool ok = true;
    for (std::size_t i = 0; i < line.count; ++i) {
        const ParamField& f = line.fields[i];
        if (!Carries(f.modes, mode)) {
            continue;
        }
        const std::string_view t = FieldAt(fields, static_cast<std::size_t>(f.position - 1));
        if (t == kNoData) {
            continue;
        }
        const float v = ToFloat(Atof(t));
        if (!InRange(v, f.min, f.max)) {
            ok = false;
            continue;
        }
        values.push_back({line.group, f.cell, v});
    }
    return ok;
}

// Checks one record line for step `step`; false when a value is out of its range.
bool CheckRecordLine(std::string_view text, int step, StepFileMode mode, ParameterImage& image,
                     std::vector<StepFileValue>& values) {
    const int group = StepImageRow(step);
    const auto fields = SplitFields(text);
    bool ok = true;
    std::optional<float> target;
    std::optional<float> movement;
    for (std::size_t k = 0; k < std::size(kRecordLayout); ++k) {
        const RecordField& f = kRecordLayout[k];
        if (f.check == Check::kReserved || !Carries(f.modes, mode)) {
            continue;
        }
        const std::string_view t = FieldAt(fields, k + 1);
        if (t == kNoData) {
            continue;
        }
        switch (f.check) {
            case Check::kTarget: {
                const float v = ToFloat(Atof(t));
                if (!std::isfinite(v)) {
                    ok = false;
                } else {
                    target = v;
                }
                break;
            }
            case Check::kOperationWord: {
                // Only a 16-bit word is an operation word; anything wider would put stray
                // bits into the controller.
                const int w = Atoi(t);
                const int speed = w & kPushingSpeedMask;
                if (w < 0 || w > 0xFFFF || speed < static_cast<int>(f.min) ||
                    speed > static_cast<int>(f.max)) {
                    ok = false;
                } else {
                    values.push_back({group, f.cell, static_cast<float>(w)});
                }
                break;
            }
            case Check::kMovementMode: {
                // A fraction would pass 0..1 yet show as ABS beside a negative target, and
                // the step would be saved as a file that no longer reads.
                const float v = ToFloat(Atof(t));
                if (!InRange(v, f.min, f.max) || v != std::trunc(v)) {
                    ok = false;
                } else {
                    movement = v;
                    values.push_back({group, f.cell, v});
                }
                break;
            }
            case Check::kRange: {
                const float v = ToFloat(Atof(t));
                if (!InRecordRange(v, f.min, f.max)) {
                    ok = false;
                } else {
                    values.push_back({group, f.cell, v});
                }
                break;
            }
            case Check::kReserved:
                break;
        }
    }
    if (target) {
        // Without a movement mode in the line the step keeps its own, and the target must
        // suit that one.
        const float m = movement
                            ? *movement
                            : image.GetCell(group, kCellMovementMode, ParameterImage::kEditCopy);
        const float low = m == 0.0F ? 0.0F : -kTargetLimit;
        if (*target < low || *target > kTargetLimit) {
            ok = false;
        } else {
            values.push_back({group, kRecordLayout[kTargetField].cell, *target});
        }
    }
    return ok;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

// Closes a descriptor when it goes out of scope.
class FdGuard {
  public:
    explicit FdGuard(int fd) : fd_(fd) {}
    ~FdGuard() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FdGuard(const FdGuard&) = delete;
    FdGuard& operator=(const FdGuard&) = delete;
    int Get() const { return fd_; }
    // Closes now and reports whether the close succeeded.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

  private:
    int fd_;
};

// Removes a temporary file unless it was renamed into place.
class TempFileGuard {
  public:
    explicit TempFileGuard(std::string path) : path_(std::move(path)) {}
    ~TempFileGuard() {
        if (!path_.empty()) {
            ::unlink(path_.c_str());
        }
    }
    TempFileGuard(const TempFileGuard&) = delete;
    TempFileGuard& operator=(const TempFileGuard&) = delete;
    void Release() { path_.clear(); }

  private:
    std::string path_;
};

bool WriteAll(int fd, std::string_view content) {
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::size_t MaxStepFileLine() {
    return kLongestLine;
}

std::string StepFileVersionText(int major, int minor, int patch) {
    return Format("%.2f", Atof(Format("%d.%d%d", major, minor, patch)));
}

std::string BuildStepFileVersion() {
    return StepFileVersionText(build::kVersionMajor, build::kVersionMinor, build::kVersionPatch);
}

std::string ComposeStepFile(StepFileMode mode, ParameterImage& image, const StatusBlock& status,
                            std::string_view version) {
    const int steps = StepCount(status.controlType);
    std::string out;
    out += kStepFileHeader;
    out += kCrLf;
    out += kVersionPrefix;
    out += version;
    out += kCrLf;
    out += kRecordSizePrefix;
    out += Format("%02d", steps);
    out += kCrLf;
    for (const ParamLine& line : kParamLines) {
        out += ComposeParamLine(line, mode, image);
        out += kCrLf;
    }
    for (int n = 0; n < steps; ++n) {
        out += ComposeRecordLine(n, mode, image);
        out += kCrLf;
    }
    return out;
}

StepFileContents ParseStepFile(std::string_view text, StepFileMode mode, int controlType,
                               ParameterImage& image) {
    StepFileContents out;
    const auto reject = [&out](StepFileError error) {
        out.error = error;
        out.values.clear();
        return out;
    };
    LineCursor cursor(text);
    std::string_view line;

    if (cursor.Next(line) != LineCursor::Result::kLine || line != kStepFileHeader) {
        return reject(StepFileError::kFormat);
    }
    if (cursor.Next(line) != LineCursor::Result::kLine || !StartsWith(line, kVersionPrefix)) {
        return reject(StepFileError::kFormat);
    }
    out.version = ToFloat(Atof(line.substr(kVersionPrefix.size())));
    if (cursor.Next(line) != LineCursor::Result::kLine || !StartsWith(line, kRecordSizePrefix)) {
        return reject(StepFileError::kFormat);
    }
    const int count = Atoi(line.substr(kRecordSizePrefix.size()));
    if (!RecordCountFits(count, controlType)) {
        return reject(StepFileError::kFormat);
    }
    out.recordCount = count;

    bool ok = true;
    for (const ParamLine& param : kParamLines) {
        if (cursor.Next(line) != LineCursor::Result::kLine) {
            return reject(StepFileError::kFormat);
        }
        ok = CheckParamLine(line, param, mode, out.values) && ok;
    }
    // A file that ends early is not half a file to load.
    for (int step = 0; step < count; ++step) {
        if (cursor.Next(line) != LineCursor::Result::kLine) {
            return reject(StepFileError::kFormat);
        }
        ok = CheckRecordLine(line, step, mode, image, out.values) && ok;
    }
    if (!ok) {
        return reject(StepFileError::kValue);
    }
    return out;
}

void StoreStepFile(const StepFileContents& contents, ParameterImage& image, StatusBlock& status) {
    if (contents.error != StepFileError::kNone) {
        return;
    }
    CStatusFlg flags(status);
    for (const StepFileValue& v : contents.values) {
        image.SetCell(v.group, v.parameter, v.value, ParameterImage::kEditCopy);
        if (v.group == 0 && v.parameter == 0) {
            flags.SetStroke(1, TruncToInt(v.value));
        } else if (v.group == 0 && v.parameter == 1) {
            flags.SetSeries(1, TruncToInt(v.value));
        }
    }
}

bool WriteFileReplacing(const std::string& path, std::string_view content) {
    std::string tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tmp = path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            return false;
        }
    }
    if (fd < 0) {
        return false;
    }
    FdGuard file(fd);
    TempFileGuard cleanup(tmp);
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        // The replacement keeps the permissions the user gave the old file.
        ::fchmod(file.Get(), old.st_mode & 07777);
    }
    if (!WriteAll(file.Get(), content) || ::fsync(file.Get()) != 0 || !file.Close()) {
        return false;
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        return false;
    }
    cleanup.Release();
    return true;
}

std::optional<std::string> ReadStepFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string text(kMaxReadBytes, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) {
        return std::nullopt;
    }
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

bool SaveStepFile(const std::string& path, StepFileMode mode, LinkContext& ctx) {
    return WriteFileReplacing(path,
                              ComposeStepFile(mode, ctx.image, ctx.status, BuildStepFileVersion()));
}

StepFileContents LoadStepFile(const std::string& path, StepFileMode mode, LinkContext& ctx) {
    const auto text = ReadStepFileText(path);
    if (!text) {
        StepFileContents out;
        out.error = StepFileError::kUnreadable;
        return out;
    }
    StepFileContents contents = ParseStepFile(*text, mode, ctx.status.controlType, ctx.image);
    StoreStepFile(contents, ctx.image, ctx.status);
    return contents;
}

}  // namespace tavro
