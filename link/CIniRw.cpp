#include "link/CIniRw.h"

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
constexpr const char* kKeyPort = "PORT";

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
    return (first & 0xFF) * 256 + (last & 0xFF);
}

void CIniRw::SetAuto(int value) {
    ProfileFile(SettingsPath()).WriteInt(kSection, kKeyAuto, value);
}

void CIniRw::SetComAndSpeed(int com, int speed, const std::string& portPath) {
    ProfileFile f(SettingsPath());
    f.WriteInt(kSection, kKeyCom, com);
    f.WriteInt(kSection, kKeyBaud, speed);
    f.WriteInt(kSection, kKeyAuto, 1);
    if (!portPath.empty()) {
        f.WriteString(kSection, kKeyPort, portPath);
    }
}

void CIniRw::SetSlvAuto(int value) {
    ProfileFile(SettingsPath()).WriteInt(kSection, kKeySlvAuto, value);
}

void CIniRw::SetSlvRange(int packed) {
    ProfileFile f(SettingsPath());
    f.WriteInt(kSection, kKeySlvStart, (packed >> 8) & 0xFF);
    f.WriteInt(kSection, kKeySlvEnd, packed & 0xFF);
}

std::string CIniRw::GetPortPath() const {
    return ProfileFile(SettingsPath()).GetString(kSection, kKeyPort).value_or(std::string());
}

}  // namespace tavro
