#include "link/CIniRw.h"

#include <cmath>
#include <fstream>

#include "link/Numbers.h"
#include "link/OperationParams.h"
#include "link/ProfileFile.h"
#include "link/SettingsDir.h"

namespace tavro {

namespace {

constexpr const char* kFileName = "MOTOR-PID.ini";
constexpr const char* kSection = "SERIAL";
constexpr const char* kKeyCom = "COM";
constexpr const char* kKeyBaud = "BAUDRATE";
constexpr const char* kKeyAuto = "AUTO";
constexpr const char* kKeySlvAuto = "SLV_AUTO";
constexpr const char* kKeySlvStart = "SLV_ST";
constexpr const char* kKeySlvEnd = "SLV_ED";
constexpr const char* kKeySlvQuick = "SLV_QUICK";
constexpr const char* kKeyPort = "PORT";
constexpr const char* kKeyPortById = "PORT_BY_ID";

constexpr const char* kPidFileName = "PID.ini";
constexpr std::string_view kPidHeader = "[Tavro Motor Controller Pid Data]";
constexpr std::string_view kPidVersionPrefix = ":FormatVersion=";
// What a 512-byte line buffer holds, line end not counted.
constexpr std::size_t kMaxPidLine = 511;
// 2 + 90 lines of at most 513 bytes fit; anything beyond is never read.
constexpr std::size_t kMaxPidBytes = 64 * 1024;
constexpr double kDecimalMin = 0.0;
constexpr double kDecimalMax = 65535.0;
constexpr int kWholeMin = -32767;
constexpr int kWholeMax = 32767;

// Lines of a text; a bare line feed ends a line as well as CR LF does. False at the end of
// the text or on a line longer than the buffer.
bool NextLine(std::string_view& rest, std::string_view& line) {
    if (rest.empty()) {
        return false;
    }
    const std::size_t nl = rest.find('\n');
    line = rest.substr(0, nl);
    rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line.size() <= kMaxPidLine;
}

// The i-th comma-separated value of a line; empty (reading as 0) when the line has fewer.
std::string_view ValueAt(std::string_view line, int i) {
    for (int k = 0; k < i; ++k) {
        const std::size_t comma = line.find(',');
        if (comma == std::string_view::npos) {
            return {};
        }
        line = line.substr(comma + 1);
    }
    return line.substr(0, line.find(','));
}

// Reads 6 lines of 12 values for each array of a section.
template <typename Array, typename Read>
bool ReadSection(std::string_view& rest, Array& arrays, Read read) {
    for (auto& values : arrays) {
        for (int l = 0; l < PidDefaults::kLinesPerParam; ++l) {
            std::string_view line;
            if (!NextLine(rest, line)) {
                return false;
            }
            for (int v = 0; v < PidDefaults::kValuesPerLine; ++v) {
                const auto index = static_cast<std::size_t>(l * PidDefaults::kValuesPerLine + v);
                if (!read(ValueAt(line, v), values[index])) {
                    return false;
                }
            }
        }
    }
    return true;
}

bool ReadDecimal(std::string_view text, float& out) {
    const double v = Atof(text);
    if (std::isnan(v) || v < kDecimalMin || v > kDecimalMax) {
        return false;
    }
    out = static_cast<float>(v);
    return true;
}

bool ReadWhole(std::string_view text, std::int32_t& out) {
    const int v = Atoi(text);
    if (v < kWholeMin || v > kWholeMax) {
        return false;
    }
    out = v;
    return true;
}

}  // namespace

std::string CIniRw::SettingsPath() const {
    EnsureDirectory(dir_);
    return dir_ + "/" + kFileName;
}

void CIniRw::WriteDefaults() {
    ProfileFile f(SettingsPath());
    f.WriteInt(kSection, kKeyCom, kDefaultCom);
    f.WriteInt(kSection, kKeyBaud, kDefaultBaud);
    f.WriteInt(kSection, kKeyAuto, kDefaultAuto);
    f.WriteInt(kSection, kKeySlvAuto, kDefaultSlvAuto);
    f.WriteInt(kSection, kKeySlvStart, kDefaultSlvStart);
    f.WriteInt(kSection, kKeySlvEnd, kDefaultSlvEnd);
}

int CIniRw::GetComPort() {
    const int v = ProfileFile(SettingsPath()).GetInt(kSection, kKeyCom, 0);
    if (v == 0) {
        WriteDefaults();
        return kDefaultCom;
    }
    return v;
}

int CIniRw::GetBaudRate() {
    const int v = ProfileFile(SettingsPath()).GetInt(kSection, kKeyBaud, 0);
    if (v == 0) {
        WriteDefaults();
        return kDefaultBaud;
    }
    return v;
}

int CIniRw::GetAuto() const {
    return ProfileFile(SettingsPath()).GetInt(kSection, kKeyAuto, 0);
}

int CIniRw::GetSlvAuto() const {
    return ProfileFile(SettingsPath()).GetInt(kSection, kKeySlvAuto, 0);
}

int CIniRw::GetSlvRange() const {
    ProfileFile f(SettingsPath());
    const int first = f.GetInt(kSection, kKeySlvStart, 0);
    const int last = f.GetInt(kSection, kKeySlvEnd, 0);
    return PackIdRange({first, last});
}

int CIniRw::GetSlvQuick() const {
    return ProfileFile(SettingsPath()).GetInt(kSection, kKeySlvQuick, kDefaultSlvQuick);
}

void CIniRw::SetSlvQuick(int value) {
    ProfileFile(SettingsPath()).WriteInt(kSection, kKeySlvQuick, value);
}

void CIniRw::SetAuto(int value) {
    ProfileFile(SettingsPath()).WriteInt(kSection, kKeyAuto, value);
}

void CIniRw::SetComAndSpeed(int com, int speed, const std::string& portPath,
                            const std::string& byIdPath) {
    ProfileFile f(SettingsPath());
    f.WriteInt(kSection, kKeyCom, com);
    f.WriteInt(kSection, kKeyBaud, speed);
    f.WriteInt(kSection, kKeyAuto, 1);
    if (!portPath.empty()) {
        f.WriteString(kSection, kKeyPort, portPath);
        // A port without a by-id name forgets the one of the adapter used before.
        if (!byIdPath.empty() || f.GetString(kSection, kKeyPortById).has_value()) {
            f.WriteString(kSection, kKeyPortById, byIdPath);
        }
    }
}

void CIniRw::SetSlvAuto(int value) {
    ProfileFile(SettingsPath()).WriteInt(kSection, kKeySlvAuto, value);
}

void CIniRw::SetSlvRange(int packed) {
    ProfileFile f(SettingsPath());
    const IdRange range = UnpackIdRange(packed);
    f.WriteInt(kSection, kKeySlvStart, range.first);
    f.WriteInt(kSection, kKeySlvEnd, range.last);
}

bool CIniRw::ParsePidText(std::string_view text, PidDefaults& out) {
    std::string_view rest = text;
    std::string_view line;
    if (!NextLine(rest, line) || line != kPidHeader) {
        return false;
    }
    if (!NextLine(rest, line) || line.substr(0, kPidVersionPrefix.size()) != kPidVersionPrefix) {
        return false;
    }
    PidDefaults read;
    if (!ReadSection(rest, read.section1, ReadDecimal) ||
        !ReadSection(rest, read.section2, ReadWhole) ||
        !ReadSection(rest, read.section3, ReadDecimal)) {
        return false;
    }
    out = read;
    return true;
}

bool CIniRw::ReadPidFile(PidDefaults& out) const {
    std::ifstream in(dir_ + "/" + kPidFileName, std::ios::binary);
    if (!in) {
        return false;
    }
    std::string text(kMaxPidBytes, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) {
        return false;
    }
    text.resize(static_cast<std::size_t>(in.gcount()));
    return ParsePidText(text, out);
}

std::string CIniRw::GetPortPath() const {
    ProfileFile f(SettingsPath());
    std::string byId = f.GetString(kSection, kKeyPortById).value_or(std::string());
    if (!byId.empty()) {
        return byId;
    }
    return f.GetString(kSection, kKeyPort).value_or(std::string());
}

}  // namespace tavro
