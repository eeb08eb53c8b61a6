#include "monitor/AlarmBlackBox.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "link/SettingsDir.h"
#include "monitor/SampleCsv.h"

namespace tavro {

namespace {

namespace fs = std::filesystem;

bool IsRecordName(const std::string& name) {
    return name.size() > 4 && name.ends_with(".csv") && name[0] >= '0' && name[0] <= '9';
}

std::string StampOf(std::int64_t wallMs) {
    const auto t = static_cast<std::time_t>(wallMs / 1000);
    std::tm tm{};
    char buf[32] = "00000000-000000";
    if (::localtime_r(&t, &tm) != nullptr) {
        std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &tm);
    }
    return buf;
}

}  // namespace

AlarmBlackBox::AlarmBlackBox(EventLoop& loop, const SampleRing& ring, std::string folder)
    : loop_(loop), ring_(ring), folder_(std::move(folder)) {}

AlarmBlackBox::~AlarmBlackBox() {
    loop_.StopTimer(waitTimer_);
}

std::string AlarmBlackBox::DefaultFolder() {
    const char* xdg = std::getenv("XDG_STATE_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        return std::string(xdg) + "/Zelm/alarms";
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        const passwd* pw = ::getpwuid(::getuid());
        home = pw != nullptr ? pw->pw_dir : nullptr;
    }
    if (home != nullptr && home[0] == '/') {
        return std::string(home) + "/.local/state/Zelm/alarms";
    }
    return "Zelm/alarms";
}

std::vector<std::string> AlarmBlackBox::List(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code fileEc;
        const std::string name = it->path().filename().string();
        if (IsRecordName(name) && it->is_regular_file(fileEc)) {
            names.push_back(name);
        }
    }
    // The names begin with the date and time.
    std::sort(names.begin(), names.end(), std::greater<>());
    return names;
}

void AlarmBlackBox::OnSample(const MonitorSample& sample) {
    if (!Has(sample.marks, SampleMark::kAlarm)) {
        return;
    }
    if (Pending()) {
        // A second alarm before the first one's record came: keep the first as it is.
        Save(std::nullopt);
    }
    frozen_ = ring_.Last(kSpanMs);
    loop_.StopTimer(waitTimer_);
    waitTimer_ = loop_.StartTimer(kRecordWaitMs, false, [this] {
        waitTimer_ = 0;
        Save(std::nullopt);
    });
}

void AlarmBlackBox::OnAlarmRecord(const std::vector<int>& codes) {
    if (Pending()) {
        Save(codes);
    }
}

void AlarmBlackBox::Save(const std::optional<std::vector<int>>& codes) {
    loop_.StopTimer(waitTimer_);
    waitTimer_ = 0;
    std::vector<MonitorSample> samples;
    samples.swap(frozen_);
    if (samples.empty()) {
        return;
    }
    const MonitorSample& alarm = samples.back();
    std::string text = SampleCsv::Header();
    const std::int64_t startMs = samples.front().timeMs;
    for (const MonitorSample& s : samples) {
        text += SampleCsv::Lines(s, startMs);
    }
    if (codes) {
        text += SampleCsv::EventLine(alarm, startMs, SampleCsv::AlarmRecordEvent(*codes));
    }
    const std::string code = codes && !codes->empty() ? std::to_string(codes->front()) : "unknown";
    const std::string stem =
        StampOf(alarm.wallMs) + "-ID" + std::to_string(alarm.controllerId) + "-" + code;

    std::string path;
    bool ok = EnsureDirectory(folder_, 0700);
    if (ok) {
        std::error_code ec;
        path = folder_ + "/" + stem + ".csv";
        for (int n = 2; fs::exists(path, ec) && n < 1000; ++n) {
            path = folder_ + "/" + stem + "-" + std::to_string(n) + ".csv";
        }
        const std::string temp = path + ".tmp";
        std::FILE* f = std::fopen(temp.c_str(), "w");
        ok = f != nullptr;
        if (f != nullptr) {
            ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
            ok = std::fclose(f) == 0 && ok;
            ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
            if (!ok) {
                std::remove(temp.c_str());
            }
        }
    }
    if (ok) {
        Prune();
    }
    if (onSaved_) {
        onSaved_(ok ? path : std::string());
    }
}

void AlarmBlackBox::Prune() const {
    const std::vector<std::string> names = List(folder_);
    for (std::size_t i = kMaxFiles; i < names.size(); ++i) {
        std::error_code ec;
        fs::remove(fs::path(folder_) / names[i], ec);
    }
}

}  // namespace tavro
