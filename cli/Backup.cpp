#include "cli/Backup.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <limits>
#include <set>
#include <utility>

#include "cli/Json.h"
#include "link/ParameterImage.h"
#include "link/StringIds.h"
#include "stepdata/ParameterCatalog.h"

namespace tavro::cli {

namespace {

// The parameters of a backup, as runs of one group.
struct Held {
    int group;
    int first;
    int last;
};

constexpr int kFirstStepGroup = ParameterImage::kFirstStepGroup;
constexpr int kLastStepGroup = kFirstStepGroup + 14;

constexpr Held kHeld[] = {
    {0, 0, 3}, {0, 6, 6}, {0, 8, 11}, {0, 13, 22}, {0, 24, 24}, {1, 0, 15}, {1, 17, 17}, {2, 0, 56},
};
constexpr int kLastStepCell = 15;

// A whole number of the JSON value within [min, max].
std::optional<int> WholeIn(const JsonValue* v, int min, int max) {
    if (v == nullptr || !v->IsNumber() || v->number != std::trunc(v->number) || v->number < min ||
        v->number > max) {
        return std::nullopt;
    }
    return static_cast<int>(v->number);
}

std::optional<float> FloatOf(const JsonValue* v) {
    if (v == nullptr || !v->IsNumber() ||
        std::fabs(v->number) > static_cast<double>(std::numeric_limits<float>::max())) {
        return std::nullopt;
    }
    return static_cast<float>(v->number);
}

BackupRead Refused(std::string reason) {
    BackupRead r;
    r.reason = std::move(reason);
    return r;
}

}  // namespace

bool IsBackupParameter(int group, int parameter) {
    if (group >= kFirstStepGroup && group <= kLastStepGroup) {
        return parameter >= 0 && parameter <= kLastStepCell;
    }
    return std::any_of(std::begin(kHeld), std::end(kHeld), [&](const Held& h) {
        return h.group == group && parameter >= h.first && parameter <= h.last;
    });
}

std::string ComposeBackup(const Backup& b) {
    const StringTable english(Language::kEnglish);
    const BackupController& c = b.controller;
    std::string out = "{\n";
    out += "  \"format\": " + JsonString(kBackupFormat) + ",\n";
    out += "  \"formatVersion\": " + std::to_string(kBackupFormatVersion) + ",\n";
    out += "  \"tool\": " + JsonString(b.tool) + ",\n";
    out += "  \"date\": " + JsonString(b.date) + ",\n";
    out += "  \"controller\": {\"id\": " + std::to_string(c.id) +
           ", \"version\": " + JsonString(c.version) + ", \"product\": " + JsonString(c.product) +
           ", \"series\": " + std::to_string(c.series) +
           ", \"stroke\": " + std::to_string(c.stroke) +
           ", \"controlSignalType\": " + std::to_string(c.controlType) + "},\n";
    out += "  \"parameters\": [";
    for (std::size_t i = 0; i < b.parameters.size(); ++i) {
        const BackupParameter& p = b.parameters[i];
        const std::string caption = ParameterWhere(p.group, p.parameter, c.controlType, english) +
                                    ": " + ParameterCaption(p.group, p.parameter, english);
        out += i == 0 ? "\n" : ",\n";
        out += "    {\"group\": " + std::to_string(p.group) +
               ", \"parameter\": " + std::to_string(p.parameter) +
               ", \"value\": " + JsonFloat(p.value) + ", \"caption\": " + JsonString(caption) + "}";
    }
    out += "\n  ]\n}\n";
    return out;
}

BackupRead ParseBackup(std::string_view text, const StringTable& strings) {
    const JsonParse parsed = ParseJson(text);
    if (!parsed.value) {
        return Refused(strings.Format(
            ids::IDS_NOT_JSON, static_cast<int>(std::min<std::size_t>(parsed.errorAt, 1U << 30U))));
    }
    const JsonValue& root = *parsed.value;
    const JsonValue* format = root.Find("format");
    if (format == nullptr || !format->IsString() || format->text != kBackupFormat ||
        WholeIn(root.Find("formatVersion"), kBackupFormatVersion, kBackupFormatVersion) ==
            std::nullopt) {
        return Refused(std::string(strings.Text(ids::IDS_NO_VERSION)));
    }
    Backup b;
    const auto textOf = [&root](const char* key) {
        const JsonValue* v = root.Find(key);
        return v != nullptr && v->IsString() ? v->text : std::string();
    };
    b.tool = textOf("tool");
    b.date = textOf("date");

    const JsonValue* controller = root.Find("controller");
    const auto id = WholeIn(controller ? controller->Find("id") : nullptr, 1, 255);
    const auto series = WholeIn(controller ? controller->Find("series") : nullptr, 0, 255);
    const auto stroke = WholeIn(controller ? controller->Find("stroke") : nullptr, 0, 255);
    const auto type = WholeIn(controller ? controller->Find("controlSignalType") : nullptr, 0, 2);
    if (!id || !series || !stroke || !type) {
        return Refused(std::string(strings.Text(ids::IDS_BACKUP_NO_CONTROLLER)));
    }
    b.controller.id = *id;
    b.controller.series = *series;
    b.controller.stroke = *stroke;
    b.controller.controlType = *type;
    if (const JsonValue* v = controller->Find("version"); v != nullptr && v->IsString()) {
        b.controller.version = v->text;
    }
    if (const JsonValue* v = controller->Find("product"); v != nullptr && v->IsString()) {
        b.controller.product = v->text;
    }

    const JsonValue* parameters = root.Find("parameters");
    if (parameters == nullptr || parameters->kind != JsonValue::Kind::kArray) {
        return Refused(std::string(strings.Text(ids::IDS_BAD_ENTRY)));
    }
    std::set<std::pair<int, int>> seen;
    for (const JsonValue& entry : parameters->items) {
        const auto g = WholeIn(entry.Find("group"), 0, ParameterImage::kGroupCount);
        const auto p = WholeIn(entry.Find("parameter"), 0, ParameterImage::kMaxCells);
        const auto v = FloatOf(entry.Find("value"));
        if (!g || !p || !v) {
            return Refused(std::string(strings.Text(ids::IDS_BAD_ENTRY)));
        }
        if (!IsBackupParameter(*g, *p)) {
            return Refused(strings.Format(ids::IDS_NOT_HELD, *g, *p));
        }
        if (!seen.insert({*g, *p}).second) {
            return Refused(strings.Format(ids::IDS_TWICE, *g, *p));
        }
        b.parameters.push_back({*g, *p, *v});
    }
    BackupRead r;
    r.backup = std::move(b);
    return r;
}

std::string BackupDateNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr) {
        return {};
    }
    char buf[40] = {};
    if (std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S%z", &local) == 0) {
        return {};
    }
    std::string text(buf);
    // "+0900" as ISO 8601's extended form writes it, "+09:00".
    if (text.size() >= 5) {
        text.insert(text.size() - 2, ":");
    }
    return text;
}

}  // namespace tavro::cli
