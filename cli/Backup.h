#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/StringTable.h"

// The whole-controller backup: a versioned JSON file with the controller's identity and every
// parameter the detail upload reads, plus the ID, the line speed and the minimum delay.
namespace tavro::cli {

inline constexpr std::string_view kBackupFormat = "tavro-controller-backup";
inline constexpr int kBackupFormatVersion = 1;
// Far more than the largest backup (about 400 parameters of 80 characters).
inline constexpr std::size_t kMaxBackupBytes = 1024 * 1024;

struct BackupParameter {
    int group = 0;
    int parameter = 0;
    float value = 0.0F;
};

struct BackupController {
    int id = 0;
    std::string version;  // as the controller answered "VE"
    std::string product;  // "KRM3-20"
    int series = 0;
    int stroke = 0;
    int controlType = 0;
};

struct Backup {
    std::string tool;  // the program and version that wrote it
    std::string date;  // ISO 8601, local time with its offset
    BackupController controller;
    std::vector<BackupParameter> parameters;
};

// Whether g/p is a parameter a backup may hold: what the detail upload reads, and 0/3, 0/22,
// 0/24. A restore can write each of them.
bool IsBackupParameter(int group, int parameter);

// The file's text; each parameter carries its English caption for the reader of the file.
std::string ComposeBackup(const Backup& backup);

struct BackupRead {
    std::optional<Backup> backup;
    std::string reason;  // why it was refused, in the language of the strings given
};

// A file that is not such a backup, in any detail, is refused as a whole.
BackupRead ParseBackup(std::string_view text, const StringTable& strings);

// The date and time now, as a backup records it.
std::string BackupDateNow();

}  // namespace tavro::cli
