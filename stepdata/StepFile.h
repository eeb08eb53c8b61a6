#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/LinkContext.h"
#include "link/ParameterImage.h"
#include "link/StatusBlock.h"

// The step-data file (".dat"): composing its text from the image's edit copies, checking a
// file's text completely before anything of it is stored, and the file system side (reading
// a bounded prefix, replacing a file through a temporary one).
namespace tavro {

// The view a file is saved from or opened into; it decides which fields carry values.
enum class StepFileMode : int {
    kPage = 0,           // Step Data Setup page: step cells 0..8
    kDetail = 1,         // Detail dialog: all step cells and the basic and detail parameters
    kDetailWithPid = 2,  // Detail dialog with its PID section: also the PID gains
};

inline constexpr int kMsgFileFormat = 310;
inline constexpr int kMsgFileInvalidValue = 312;
inline constexpr int kMsgFileReplace = 348;
inline constexpr int kMsgFileSaved = 349;
inline constexpr int kStrStepFileFilter = 689;
// The file dialogs' titles: the names of the toolbar buttons that open them.
inline constexpr int kStrSaveTitle = 364;
inline constexpr int kStrOpenTitle = 365;
inline constexpr const char* kStepFileExtension = "dat";

inline constexpr std::string_view kStepFileHeader = "[Tavro Motor Controller Step Data]";
inline constexpr std::string_view kVersionPrefix = ":FormatVersion=";
inline constexpr std::string_view kRecordSizePrefix = ":RecodeSize=";
inline constexpr std::string_view kNoData = "NO DATA";
inline constexpr int kParameterLineFields = 59;
inline constexpr int kRecordFields = 18;
// The longest line a reader takes, line end not counted: the longest line the writer can
// compose, with every field at the widest text its format gives a 32-bit float.
std::size_t MaxStepFileLine();

enum class StepFileError {
    kNone,
    kFormat,      // header, record count or layout: message 310
    kValue,       // a value outside its load range: message 312
    kUnreadable,  // the file could not be opened
};

struct StepFileValue {
    int group;
    int parameter;
    float value;
};

// A checked file: either rejected, or every value it brings, ready to store.
struct StepFileContents {
    StepFileError error = StepFileError::kNone;
    float version = 0.0F;
    int recordCount = 0;
    std::vector<StepFileValue> values;
};

// "%d.%d%d" of the version numbers, read back and written with two decimals: 2.2.0 gives "2.20".
std::string StepFileVersionText(int major, int minor, int patch);
// The version of this build.
std::string BuildStepFileVersion();

std::string ComposeStepFile(StepFileMode mode, ParameterImage& image, const StatusBlock& status,
                            std::string_view version);

// The image is only read: a record without its movement mode is checked against the step's
// current one.
StepFileContents ParseStepFile(std::string_view text, StepFileMode mode, int controlType,
                               ParameterImage& image);

// Stores a file that passed every check into the edit copies; a rejected one changes nothing.
void StoreStepFile(const StepFileContents& contents, ParameterImage& image, StatusBlock& status);

// Writes `content` to a temporary file beside `path` and renames it over `path`, so a failed
// save leaves the old file as it was.
bool WriteFileReplacing(const std::string& path, std::string_view content);

// The beginning of a file, enough for any step-data file; nullopt when it cannot be read.
std::optional<std::string> ReadStepFileText(const std::string& path);

bool SaveStepFile(const std::string& path, StepFileMode mode, LinkContext& ctx);
// Reads, checks and, when the whole file passed, stores it.
StepFileContents LoadStepFile(const std::string& path, StepFileMode mode, LinkContext& ctx);

}  // namespace tavro
