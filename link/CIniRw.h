#pragma once

#include <string>
#include <string_view>

#include "link/LinkContext.h"
#include "link/PidDefaults.h"

namespace tavro {

// The connection settings file "MOTOR-PID.ini", section "SERIAL", in the settings folder.
// Every call builds the file name anew and creates the folder when it is missing.
class CIniRw {
  public:
    static constexpr int kDefaultCom = 4;
    static constexpr int kDefaultBaud = 19200;
    static constexpr int kDefaultAuto = 0;
    static constexpr int kDefaultSlvAuto = 1;
    static constexpr int kDefaultSlvStart = 1;
    static constexpr int kDefaultSlvEnd = 1;
    // "SLV_QUICK" is not among the defaults written: a file without it searches as always.
    static constexpr int kDefaultSlvQuick = 0;

    explicit CIniRw(LinkContext& ctx) : dir_(ctx.settingsDir) {}
    explicit CIniRw(std::string settingsDir) : dir_(std::move(settingsDir)) {}
    virtual ~CIniRw() = default;

    std::string SettingsPath() const;

    // "COM"; missing or 0 rewrites all six defaults and gives 4.
    int GetComPort();
    // "BAUDRATE"; missing or 0 rewrites all six defaults and gives 19200.
    int GetBaudRate();
    int GetAuto() const;
    int GetSlvAuto() const;
    // (SLV_ST & 0xFF) * 256 + (SLV_ED & 0xFF).
    int GetSlvRange() const;
    void SetAuto(int value);
    // "COM", "BAUDRATE" and "AUTO" = 1 after a successful open; "PORT" keeps the device path
    // and "PORT_BY_ID" the adapter's by-id name (empty for a port without one).
    void SetComAndSpeed(int com, int speed, const std::string& portPath,
                        const std::string& byIdPath = {});
    void SetSlvAuto(int value);
    // "SLV_ST" = high byte, "SLV_ED" = low byte of a packed range.
    void SetSlvRange(int packed);
    // "SLV_QUICK": the search dialog's "Quick search" box, 0 when missing.
    int GetSlvQuick() const;
    void SetSlvQuick(int value);

    // The port opened last: its by-id name where it had one ("PORT_BY_ID"), so that the same
    // adapter is found in another socket, else its device path ("PORT"); empty when never
    // stored.
    std::string GetPortPath() const;

    void WriteDefaults();

    // "PID.ini" in the settings folder, read whole or not at all: false, and `out` untouched,
    // when the file is missing, malformed, cut short or holds a value out of its range.
    bool ReadPidFile(PidDefaults& out) const;
    // The same checks on the file's text.
    static bool ParsePidText(std::string_view text, PidDefaults& out);

  private:
    std::string dir_;
};

}  // namespace tavro
