#include "sim/ParameterBank.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string_view>

#include "link/Numbers.h"

namespace tavro::sim {

namespace {

// One parameter and its value at the factory.
struct DefaultCell {
    int group;
    int parameter;
    float value;
};

// Group 0 to 2 values at the factory that do not come from the actuator. Servo constants are
// plausible numbers without a model behind them.
constexpr DefaultCell kFactoryCells[] = {
    {0, 2, 0.0F},   {0, 3, 1.0F},  {0, 6, 1.0F},  {0, 8, 2.0F},   {0, 9, 3.0F},    {0, 13, 1.0F},
    {0, 14, 1.0F},  {0, 15, 1.0F}, {0, 16, 1.0F}, {0, 19, 2.5F},  {0, 20, 60.0F},  {0, 21, 500.0F},
    {0, 22, 3.0F},  {0, 24, 1.0F}, {1, 1, 20.0F}, {1, 2, 50.0F},  {1, 3, 10.0F},   {1, 4, 300.0F},
    {1, 5, 100.0F}, {1, 6, 5.0F},  {1, 7, 1.0F},  {1, 13, 0.1F},  {1, 14, 0.001F}, {1, 15, 0.0001F},
    {2, 0, 20.0F},  {2, 1, 50.0F}, {2, 2, 10.0F}, {2, 3, 300.0F}, {2, 4, 100.0F},  {2, 5, 5.0F},
    {2, 6, 1.0F},   {2, 7, 8.0F},  {2, 8, 4.0F},  {2, 9, 2.0F},   {2, 10, 1.0F},   {2, 11, 0.0F},
};

// Every step's cells at the factory: 1 s or 20 mm/s to position 0, positioning with pushing
// speed 6, thrust 1.0, in-force level 0.7, in-position range 0.5 mm.
constexpr DefaultCell kStepCells[] = {
    {0, 1, 1.0F}, {0, 2, 20.0F}, {0, 3, 1000.0F}, {0, 4, 1000.0F},
    {0, 5, 6.0F}, {0, 6, 1.0F},  {0, 9, 0.7F},    {0, 10, 500.0F},
};
constexpr int kFirstStepGroup = 3;
constexpr int kLastStepGroup = 17;

// Jog and inching steps: 10 mm/s.
constexpr DefaultCell kJogCells[] = {{0, 2, 10.0F}};
constexpr int kFirstJogGroup = 18;
constexpr int kLastJogGroup = 21;

constexpr float kPidStart[3] = {0.1F, 0.001F, 0.0001F};
constexpr int kPidSets = 15;
constexpr int kFirstPidCell = 12;

constexpr std::string_view kHeader = "# Tavro simulated controller memory";
constexpr std::string_view kFormatKey = "format";
constexpr std::string_view kFormatVersion = "1";
constexpr std::string_view kAlarmsKey = "alarms";
// A full state file is about 8 KB.
constexpr std::streamoff kMaxStateFile = 1 << 20;

bool StrictDecimal(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    bool digits = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9') {
            digits = true;
        } else if (text[i] == '.' && !point) {
            point = true;
        } else if ((text[i] == 'e' || text[i] == 'E') && digits && i + 1 < text.size()) {
            // "%.9g" writes exponents for very small or large values.
            std::size_t j = i + 1;
            if (text[j] == '+' || text[j] == '-') {
                ++j;
            }
            if (j >= text.size()) {
                return false;
            }
            for (; j < text.size(); ++j) {
                if (text[j] < '0' || text[j] > '9') {
                    return false;
                }
            }
            return true;
        } else {
            return false;
        }
    }
    return digits;
}

bool ParseAddress(std::string_view key, int& g, int& p) {
    const auto slash = key.find('/');
    if (slash == std::string_view::npos || slash == 0 || slash + 1 >= key.size() || slash > 3 ||
        key.size() - slash - 1 > 3) {
        return false;
    }
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (i != slash && (key[i] < '0' || key[i] > '9')) {
            return false;
        }
    }
    g = Atoi(key.substr(0, slash));
    p = Atoi(key.substr(slash + 1));
    return g != ParameterImage::kJogAliasGroup && ParameterBank::IsValid(g, p);
}

}  // namespace

ParameterBank ParameterBank::Factory(const ControllerOptions& options) {
    ParameterBank bank;
    bank.Set(0, 0, static_cast<float>(options.stroke));
    bank.Set(0, 1, static_cast<float>(options.series));
    bank.Set(0, 12, static_cast<float>(options.controlType));
    for (const auto& c : kFactoryCells) {
        bank.Set(c.group, c.parameter, c.value);
    }
    for (int k = 0; k < kPidSets; ++k) {
        for (int i = 0; i < 3; ++i) {
            bank.Set(2, kFirstPidCell + 3 * k + i, kPidStart[i]);
        }
    }
    for (int g = kFirstStepGroup; g <= kLastStepGroup; ++g) {
        for (const auto& c : kStepCells) {
            bank.Set(g, c.parameter, c.value);
        }
    }
    for (int g = kFirstJogGroup; g <= kLastJogGroup; ++g) {
        for (const auto& c : kJogCells) {
            bank.Set(g, c.parameter, c.value);
        }
    }
    return bank;
}

float ParameterBank::Get(int group, int parameter) const {
    if (!IsValid(group, parameter)) {
        return 0.0F;
    }
    return cells_[static_cast<std::size_t>(ParameterImage::ResolveGroup(group))]
                 [static_cast<std::size_t>(parameter)];
}

void ParameterBank::Set(int group, int parameter, float value) {
    if (!IsValid(group, parameter)) {
        return;
    }
    cells_[static_cast<std::size_t>(ParameterImage::ResolveGroup(group))]
          [static_cast<std::size_t>(parameter)] = value;
}

bool LoadState(const std::string& path, ParameterBank& bank, AlarmHistory& history,
               std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot be read";
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || size > kMaxStateFile) {
        error = path + ": not a controller memory file (too large)";
        return false;
    }
    in.seekg(0, std::ios::beg);

    // Parsed into copies, committed only when the whole file is good; cells the file does
    // not mention keep the values the caller passed in.
    ParameterBank loaded = bank;
    AlarmHistory alarms = history;
    bool formatSeen = false;
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const auto eq = line.find('=');
        const std::string where = path + ":" + std::to_string(lineNo) + ": ";
        if (eq == std::string::npos) {
            error = where + "expected key=value";
            return false;
        }
        const std::string_view key = std::string_view(line).substr(0, eq);
        const std::string_view value = std::string_view(line).substr(eq + 1);
        if (key == kFormatKey) {
            if (value != kFormatVersion) {
                error = where + "unknown format " + std::string(value);
                return false;
            }
            formatSeen = true;
            continue;
        }
        if (key == kAlarmsKey) {
            std::istringstream codes{std::string(value)};
            std::string code;
            std::size_t n = 0;
            while (codes >> code) {
                const bool digits = !code.empty() && code.size() <= 3 &&
                                    code.find_first_not_of("0123456789") == std::string::npos;
                const int v = digits ? Atoi(code) : -1;
                if (v < 0 || v > 255 || n >= alarms.size()) {
                    error = where + "bad alarm history";
                    return false;
                }
                alarms[n++] = static_cast<std::uint8_t>(v);
            }
            if (n != alarms.size()) {
                error = where + "alarm history needs " + std::to_string(alarms.size()) + " codes";
                return false;
            }
            continue;
        }
        int g = 0;
        int p = 0;
        if (!ParseAddress(key, g, p)) {
            error = where + "unknown parameter " + std::string(key.substr(0, 16));
            return false;
        }
        const double v = Atof(value);
        if (!StrictDecimal(value) || !std::isfinite(v) || std::fabs(v) > 3.0e38) {
            error = where + "bad value for " + std::string(key);
            return false;
        }
        loaded.Set(g, p, static_cast<float>(v));
    }
    if (!formatSeen) {
        error = path + ": not a controller memory file";
        return false;
    }
    bank = loaded;
    history = alarms;
    return true;
}

bool SaveState(const std::string& path, const ParameterBank& bank, const AlarmHistory& history,
               std::string& error) {
    const std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = tmp + ": cannot be written";
            return false;
        }
        out << kHeader << '\n' << kFormatKey << '=' << kFormatVersion << '\n' << kAlarmsKey << '=';
        for (std::size_t i = 0; i < history.size(); ++i) {
            out << (i == 0 ? "" : " ") << static_cast<int>(history[i]);
        }
        out << '\n';
        for (int g = 0; g < ParameterBank::kGroups; ++g) {
            for (int p = 0; p < ParameterImage::CellCount(g); ++p) {
                // Nine significant digits bring every float back unchanged.
                out << g << '/' << p << '=' << Format("%.9g", static_cast<double>(bank.Get(g, p)))
                    << '\n';
            }
        }
        out.flush();
        if (!out) {
            error = tmp + ": cannot be written";
            std::remove(tmp.c_str());
            return false;
        }
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        error = path + ": cannot be replaced (" + std::string(std::strerror(errno)) + ")";
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

}  // namespace tavro::sim
