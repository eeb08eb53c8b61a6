#include "monitor/AlarmBox.h"

#include <algorithm>
#include <string>

#include "link/StringIds.h"

namespace tavro {

namespace {

constexpr int kLastAlarmCode = 12;

int AlarmTextId(int code) {
    return code >= 0 && code <= kLastAlarmCode ? ids::IDS_ALARM_FIRST + code
                                               : ids::IDS_ALARM_UNDEFINED;
}

}  // namespace

AlarmBox::AlarmBox(ui::Form& form, const StringTable& strings, const StatusBlock& status)
    : form_(form), strings_(strings), status_(status), codes_(kCodeCount, 0) {}

void AlarmBox::Reset() {
    form_.SetChecked(IDC_ALARM_CURRENT, true);
    form_.SetChecked(IDC_ALARM_HISTORY, false);
    Display();
}

void AlarmBox::ShowCodes(const std::vector<int>& codes) {
    codes_ = codes;
    Display();
}

void AlarmBox::SetAlarmActive(bool active) {
    active_ = active;
    if (active_ != shownActive_) {
        Display();
    }
    shownActive_ = active_;
}

void AlarmBox::ChooseView(ui::ControlId radio) {
    const bool history = radio == IDC_ALARM_HISTORY;
    if (historyView_ != history) {
        historyView_ = history;
        Display();
    }
    form_.SetChecked(IDC_ALARM_CURRENT, !history);
    form_.SetChecked(IDC_ALARM_HISTORY, history);
}

void AlarmBox::SetResetEnable(bool enable, bool linkAllows) {
    form_.SetEnabled(IDC_ALARM_RESET, enable && linkAllows);
    resetLock_ = !enable;
}

void AlarmBox::Display() {
    if (active_) {
        if (!wasActive_) {
            historyView_ = false;
            form_.SetChecked(IDC_ALARM_CURRENT, true);
            form_.SetChecked(IDC_ALARM_HISTORY, false);
        }
        wasActive_ = true;
    } else {
        wasActive_ = false;
    }
    std::string text;
    if (historyView_) {
        const int count = std::min<int>(status_.alarmHistoryCount, static_cast<int>(codes_.size()));
        for (int i = 1; i <= count; ++i) {
            const int code = codes_[static_cast<std::size_t>(i - 1)];
            text += FormatPrintf(i < count ? "%d: %s\r\n" : "%d: %s", i,
                                 strings_.Text(AlarmTextId(code)));
        }
    } else if (active_) {
        text = strings_.Text(AlarmTextId(codes_.empty() ? 0 : codes_.front()));
    } else {
        text = strings_.Text(ids::IDS_NO_ALARM);
    }
    form_.SetText(IDC_ALARM_BOX, text);
}

}  // namespace tavro
