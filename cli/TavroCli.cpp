#include "cli/TavroCli.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <set>

#include "BuildVersion.h"
#include "cli/Backup.h"
#include "cli/CliEach.h"
#include "cli/CliSession.h"
#include "cli/ExitStatus.h"
#include "cli/Json.h"
#include "dialogs/common/PortCaption.h"
#include "link/CComPort.h"
#include "link/CTrxData.h"
#include "link/Numbers.h"
#include "link/OperationParams.h"
#include "link/Operations.h"
#include "link/StringIds.h"
#include "monitor/ContinuousTable.h"
#include "monitor/MonitorLog.h"
#include "monitor/RepeatReport.h"
#include "monitor/RepeatRun.h"
#include "product/Product.h"
#include "stepdata/CPidParam.h"
#include "stepdata/ParameterCatalog.h"
#include "stepdata/StepFile.h"
#include "stepdata/StepRecord.h"

namespace tavro::cli {

namespace {

// Cells of group 0 that the info and the detail download look at.
constexpr int kStrokeCell = 0;
constexpr int kSeriesCell = 1;
constexpr int kIdCell = 3;
constexpr int kOrientationCell = 10;
constexpr int kSpeedCodeCell = 22;
constexpr int kDelayCell = 24;
constexpr int kLastParameterGroup = 2;
// Cells of a step that the Step Data Setup page's file carries.
constexpr int kPageStepCells = 9;

constexpr std::int64_t kUntilInterrupted = std::numeric_limits<std::int64_t>::max() / 4;
constexpr std::int64_t kMsPerSecond = 1000;

// Line speeds by the code of parameter 0/22.
constexpr std::array<int, 6> kSpeedByCode = {0, 2400, 9600, 19200, 38400, 57600};

struct ControlTypeName {
    int type;
    const char* name;
};

constexpr ControlTypeName kControlTypeNames[] = {
    {kControlTypeUnset, "not set"},
    {kControlTypeStep, "step data"},
    {kControlTypePulse, "pulse"},
};

// Status word bits in the order the Monitor/Test page's lamps show them.
struct StatusBit {
    std::uint16_t mask;
    const char* name;
};

constexpr StatusBit kStatusBits[] = {
    {0x0001, "IN0"},   {0x0002, "IN1"},    {0x0004, "IN2"},   {0x0008, "IN3"},  {0x0010, "SVON"},
    {0x0020, "DRIVE"}, {0x0040, "BUSY"},   {0x0080, "ALARM"}, {0x0100, "OUT0"}, {0x0200, "OUT1"},
    {0x0400, "PLS"},   {0x0800, "ORIGIN"}, {0x1000, "INP"},
};

// The five monitor values, by the index CliHost keeps them at (controls 1730..1734).
struct MonitorField {
    std::size_t index;
    const char* name;
};

constexpr MonitorField kMonitorFields[] = {
    {1, "position"}, {2, "speed"}, {3, "force"}, {4, "target"}, {0, "step"},
};

// Whether the series and stroke are a product the Basic Parameter Setup page offers.
bool ProductSelected(int series, int stroke) {
    return product::OffersStroke(series, stroke);
}

int Whole(float v) {
    return TruncToInt(static_cast<double>(v));
}

float ControllerValue(LinkContext& ctx, int group, int parameter) {
    return ctx.image.GetCell(group, parameter, ParameterImage::kControllerCopy);
}

// The views' test for unsaved changes: both copies differ when printed with four decimals.
bool Differs(ParameterImage& image, int group, int parameter) {
    return Format("%.4f", static_cast<double>(
                              image.GetCell(group, parameter, ParameterImage::kControllerCopy))) !=
           Format("%.4f",
                  static_cast<double>(image.GetCell(group, parameter, ParameterImage::kEditCopy)));
}

bool AnyDiffers(ParameterImage& image, int firstGroup, int lastGroup, int cells) {
    for (int g = firstGroup; g <= lastGroup; ++g) {
        const int n = std::min(cells, ParameterImage::CellCount(g));
        for (int p = 0; p < n; ++p) {
            if (Differs(image, g, p)) {
                return true;
            }
        }
    }
    return false;
}

// The shortest text that reads back as the same 32-bit float.
std::string FloatText(float v) {
    if (!std::isfinite(v)) {
        return "0";
    }
    std::array<char, 32> buf{};
    const auto [end, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), v);
    return ec == std::errc() ? std::string(buf.data(), end) : std::string("0");
}

// One string-table entry on one line.
std::string Escaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    out += Format("\\x%02X", static_cast<unsigned>(c));
                } else {
                    out += ch;
                }
        }
    }
    return out;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// "FILE: cannot be read" with the system's reason when there is one.
std::string FileProblem(CliPlatform& p, int without, int with, const std::string& file, int error) {
    const StringTable strings(p.language);
    return error != 0 ? strings.Format(with, file, std::strerror(error))
                      : strings.Format(without, file);
}

// Prints a message of the tables without a session.
void Message(CliPlatform& p, int stringId) {
    const std::string text(StringTable(p.language).Text(stringId));
    WriteMessage(p.err, stringId, text);
    if (p.onMessage) {
        p.onMessage(stringId, text);
    }
}

void FileMessage(CliPlatform& p, StepFileError error) {
    Message(p, error == StepFileError::kValue ? kMsgFileInvalidValue : kMsgFileFormat);
}

StepFileMode FileMode(const CliOptions& o) {
    return o.detail ? StepFileMode::kDetail : StepFileMode::kPage;
}

Op UploadOperation(const CliOptions& o) {
    return o.detail ? OP_DETAIL_UPLOAD : OP_STEP_UPLOAD;
}

// Port, connection and the initial upload; kExitOk when the controller is ready.
int Start(CliSession& session) {
    const int opened = session.Open();
    return opened != kExitOk ? opened : session.Connect();
}

int Ports(CliPlatform& p, bool json) {
    LinkContext ctx(p.loop, std::string());
    ctx.port.scan = p.scan;
    const auto ports = CComPort(ctx).EnumeratePorts();
    if (ports.empty()) {
        Message(p, ids::IDS_NOT_AVAILABLE);
    }
    if (json) {
        p.out << "\"ports\":[";
    }
    const StringTable strings(p.language);
    for (const auto& port : ports) {
        const std::string description = ui::PortDescription(port, strings);
        if (json) {
            p.out << (&port == ports.data() ? "" : ",") << "{\"path\":" << JsonString(port.path)
                  << ",\"description\":" << JsonString(description) << "}";
        } else {
            p.out << port.path << '\t' << description << '\n';
        }
    }
    if (json) {
        p.out << "]";
    }
    return kExitOk;
}

int Strings(CliPlatform& p, const CliOptions& o) {
    const Language language = o.language.value_or(p.language);
    if (o.json) {
        p.out << "\"language\":\"" << (language == Language::kJapanese ? "ja" : "en")
              << "\",\"strings\":[";
    }
    bool first = true;
    for (const StringEntry& e : StringTable::Entries(language)) {
        if (o.json) {
            p.out << (first ? "" : ",") << "{\"id\":" << e.id << ",\"text\":" << JsonString(e.text)
                  << "}";
            first = false;
        } else {
            p.out << e.id << '\t' << Escaped(e.text) << '\n';
        }
    }
    if (o.json) {
        p.out << "]";
    }
    return kExitOk;
}

int Search(CliPlatform& p, const CliOptions& o) {
    CliSession session(p, o);
    if (const int r = session.Open(); r != kExitOk) {
        return r;
    }
    LinkContext& ctx = session.Context();
    ctx.status.frontPhase = kFrontIdSearch;
    const int mode = o.quick ? kSearchQuick : 0;
    if (const int r = session.Run(OP_SEARCH, PackIdRange({o.from, o.to}) | mode); r != kExitOk) {
        return r;
    }
    if (o.json) {
        p.out << "\"found\":[";
        for (int id : session.Host().FoundIds()) {
            p.out << (id == session.Host().FoundIds().front() ? "" : ",") << id;
        }
        p.out << "]";
    }
    if (session.Host().FoundIds().empty()) {
        return kExitNoResponse;  // message 261 has been shown
    }
    for (int id : session.Host().FoundIds()) {
        if (!o.json) {
            p.out << id << '\n';
        }
    }
    return kExitOk;
}

std::string ModelText(CliHost& host, int series, int stroke) {
    const product::SeriesFacts* m = product::FindSeries(series);
    if (m == nullptr) {
        return Format("not set (series %d, stroke %d)", series, stroke);
    }
    std::string text = host.Text(m->nameId);
    const std::size_t star = text.find('*');
    if (star != std::string::npos) {
        text.replace(star, 1, std::to_string(stroke));
    }
    return text;
}

int Info(CliPlatform& p, const CliOptions& o) {
    CliSession session(p, o);
    if (const int r = Start(session); r != kExitOk) {
        return r;
    }
    LinkContext& ctx = session.Context();
    const StatusBlock& s = ctx.status;
    const char* type = "unknown";
    for (const auto& t : kControlTypeNames) {
        if (t.type == s.controlType) {
            type = t.name;
        }
    }
    const int code = Whole(ControllerValue(ctx, 0, kSpeedCodeCell));
    const std::string speed =
        code > 0 && code < static_cast<int>(kSpeedByCode.size())
            ? std::to_string(kSpeedByCode[static_cast<std::size_t>(code)]) + " bit/s"
            : Format("unknown (code %d)", code);
    if (o.json) {
        p.out << "\"version\":"
              << JsonString(Format("%.2f", static_cast<double>(s.controllerVersion)))
              << ",\"model\":" << JsonString(ModelText(session.Host(), s.series[0], s.stroke[0]))
              << ",\"series\":" << s.series[0] << ",\"stroke\":" << s.stroke[0]
              << ",\"controlSignalType\":" << s.controlType << ",\"speed\":"
              << (code > 0 && code < static_cast<int>(kSpeedByCode.size())
                      ? kSpeedByCode[static_cast<std::size_t>(code)]
                      : 0)
              << ",\"delay\":" << JsonFloat(ControllerValue(ctx, 0, kDelayCell));
        return kExitOk;
    }
    p.out << "version: " << Format("%.2f", static_cast<double>(s.controllerVersion)) << '\n'
          << "model: " << ModelText(session.Host(), s.series[0], s.stroke[0]) << '\n'
          << "control-signal type: " << s.controlType << " (" << type << ")\n"
          << "id: " << s.controllerId << '\n'
          << "speed: " << speed << '\n'
          << "delay: "
          << Format("%.1f ms", static_cast<double>(ControllerValue(ctx, 0, kDelayCell))) << '\n';
    return kExitOk;
}

int Dump(CliPlatform& p, const CliOptions& o) {
    CliSession session(p, o);
    if (const int r = Start(session); r != kExitOk) {
        return r;
    }
    if (const int r = session.Run(OP_DETAIL_UPLOAD); r != kExitOk) {
        return r;
    }
    LinkContext& ctx = session.Context();
    auto read = session.ParametersRead();
    std::sort(read.begin(), read.end());
    if (o.json) {
        p.out << "\"parameters\":[";
        for (std::size_t i = 0; i < read.size(); ++i) {
            const auto [g, q] = read[i];
            p.out << (i == 0 ? "" : ",") << "{\"group\":" << g << ",\"parameter\":" << q
                  << ",\"value\":" << FloatText(ControllerValue(ctx, g, q)) << "}";
        }
        p.out << "]";
        return kExitOk;
    }
    p.out << "g/p\tvalue\n";
    for (const auto& [g, q] : read) {
        p.out << g << '/' << q << '\t' << FloatText(ControllerValue(ctx, g, q)) << '\n';
    }
    return kExitOk;
}

// The question the window asks before replacing a file, answered No unless --yes.
bool MayReplace(CliPlatform& p, const CliOptions& o) {
    if (!Exists(o.file) || o.yes) {
        return true;
    }
    std::string text(StringTable(p.language).Text(kMsgFileReplace));
    const std::size_t at = text.find("%s");
    if (at != std::string::npos) {
        text.replace(at, 2, o.file);  // as text: a '%' in the name stays a '%'
    }
    WriteMessage(p.err, kMsgFileReplace, text);
    p.err << "tavro-cli: " << StringTable(p.language).Text(ids::IDS_CLI_NOT_REPLACED) << '\n';
    return false;
}

int SaveSteps(CliPlatform& p, const CliOptions& o) {
    if (!MayReplace(p, o)) {
        return kExitUsage;
    }
    CliSession session(p, o);
    if (const int r = Start(session); r != kExitOk) {
        return r;
    }
    if (const int r = session.Run(UploadOperation(o)); r != kExitOk) {
        return r;
    }
    errno = 0;
    if (!SaveStepFile(o.file, FileMode(o), session.Context())) {
        p.err << "tavro-cli: "
              << FileProblem(p, ids::IDS_CLI_NOT_WRITTEN, ids::IDS_CLI_NOT_WRITTEN_WHY, o.file,
                             errno)
              << '\n';
        return kExitIoError;
    }
    session.Host().Print(kMsgFileSaved);
    if (o.json) {
        p.out << "\"file\":" << JsonString(o.file);
    }
    return kExitOk;
}

// The parameter writes that went on the line, as JSON.
std::string WrittenJson(const CliSession& session) {
    std::string out = "[";
    for (const CliSession::Write& w : session.ParametersWritten()) {
        out += (out.size() == 1 ? "" : ",") + std::string("{\"group\":") + std::to_string(w.group) +
               ",\"parameter\":" + std::to_string(w.parameter) +
               ",\"value\":" + JsonFloat(static_cast<float>(Atof(w.value))) + "}";
    }
    return out + "]";
}

// With --json, names the file and every parameter write that went out, once the command that
// holds it is done with the controller.
class WritesReport {
  public:
    WritesReport(CliPlatform& p, const CliOptions& o, const CliSession& session)
        : p_(p), o_(o), session_(session) {}
    ~WritesReport() {
        if (o_.json) {
            p_.out << "\"file\":" << JsonString(o_.file)
                   << ",\"written\":" << WrittenJson(session_);
        }
    }
    WritesReport(const WritesReport&) = delete;
    WritesReport& operator=(const WritesReport&) = delete;

  private:
    CliPlatform& p_;
    const CliOptions& o_;
    const CliSession& session_;
};

// The file's checks with the most lenient state the controller could be in: any record
// count, and every step relative, the wider target range. A file this rejects is rejected
// whatever the controller holds, so it is refused before the port is opened.
StepFileError PreCheck(std::string_view text, StepFileMode mode) {
    ParameterImage lenient;
    constexpr float kRelative = static_cast<float>(kMovementRelative);
    for (int g = ParameterImage::kFirstStepGroup; g < ParameterImage::kJogGroup; ++g) {
        lenient.SetCell(g, kCellMovementMode, kRelative, ParameterImage::kControllerCopy);
        lenient.SetCell(g, kCellMovementMode, kRelative, ParameterImage::kEditCopy);
    }
    return ParseStepFile(text, mode, kControlTypeUnset, lenient).error;
}

// What the Detail Parameter Setup dialog checks and asks before its download; kExitOk to go
// on, with `resetPid` telling whether the PID sets went back to their defaults.
int ConfirmDetailDownload(CliSession& session, const CliOptions& o, std::ostream& err,
                          int& resetPid) {
    LinkContext& ctx = session.Context();
    ParameterImage& image = ctx.image;
    CliHost& host = session.Host();
    const auto edit = [&image](int cell) {
        return Whole(image.GetCell(0, cell, ParameterImage::kEditCopy));
    };
    if (!ProductSelected(edit(kSeriesCell), edit(kStrokeCell))) {
        host.Print(ids::IDS_NO_PRODUCT);
        return kExitFileRejected;
    }
    const int oldId = Whole(image.GetCell(0, kIdCell, ParameterImage::kControllerCopy));
    const int newId = edit(kIdCell);
    if (image.IsModified(0, kIdCell) && oldId != newId) {
        host.Print(ids::IDS_CHANGE_ID, FormatPrintf(host.Text(ids::IDS_CHANGE_ID), oldId, newId));
        if (!o.yes) {
            err << "tavro-cli: " << host.Text(ids::IDS_CLI_ID_NOT_SENT) << '\n';
            return kExitUsage;
        }
    }
    resetPid = 0;
    if (image.IsModified(0, kStrokeCell) || image.IsModified(0, kSeriesCell) ||
        image.IsModified(0, kOrientationCell)) {
        CPidParam(ctx).ResetPidToDefaults();
        resetPid = 1;
    }
    return kExitOk;
}

int LoadSteps(CliPlatform& p, const CliOptions& o) {
    errno = 0;
    const auto text = ReadStepFileText(o.file);
    if (!text) {
        p.err << "tavro-cli: "
              << FileProblem(p, ids::IDS_CLI_NOT_READ, ids::IDS_CLI_NOT_READ_WHY, o.file, errno)
              << '\n';
        return kExitIoError;
    }
    const StepFileMode mode = FileMode(o);
    if (const StepFileError e = PreCheck(*text, mode); e != StepFileError::kNone) {
        FileMessage(p, e);
        return kExitFileRejected;
    }

    CliSession session(p, o);
    const WritesReport report(p, o, session);
    if (const int r = Start(session); r != kExitOk) {
        return r;
    }
    // The controller's values first, so that only what the file changes is sent.
    if (const int r = session.Run(UploadOperation(o)); r != kExitOk) {
        return r;
    }
    LinkContext& ctx = session.Context();
    const StepFileContents contents = ParseStepFile(*text, mode, ctx.status.controlType, ctx.image);
    if (contents.error != StepFileError::kNone) {
        FileMessage(p, contents.error);
        return kExitFileRejected;
    }
    StoreStepFile(contents, ctx.image, ctx.status);

    const int lastStepGroup =
        ParameterImage::kFirstStepGroup + StepCount(ctx.status.controlType) - 1;
    if (mode == StepFileMode::kPage) {
        if (!AnyDiffers(ctx.image, ParameterImage::kFirstStepGroup, lastStepGroup,
                        kPageStepCells)) {
            session.Host().Print(ids::IDS_NOTHING_CHANGED);
            return kExitOk;
        }
        return session.Run(OP_STEP_DOWNLOAD);
    }
    int resetPid = 0;
    if (const int r = ConfirmDetailDownload(session, o, p.err, resetPid); r != kExitOk) {
        return r;
    }
    if (!AnyDiffers(ctx.image, 0, kLastParameterGroup, ParameterImage::kMaxCells) &&
        !AnyDiffers(ctx.image, ParameterImage::kFirstStepGroup, lastStepGroup, kStepCells)) {
        session.Host().Print(ids::IDS_NOTHING_CHANGED);
        return kExitOk;
    }
    return session.Run(OP_DETAIL_DOWNLOAD, resetPid);
}

// One line per change of the status word, the value texts or the alarm record.
class MonitorPrinter {
  public:
    // The alarm record read while connecting is the starting point, not a change.
    MonitorPrinter(CliSession& session, std::ostream& out, bool json)
        : session_(session), out_(out), json_(json), alarms_(session.Host().Alarms()) {}

    void Decoded() {
        CliHost& host = session_.Host();
        if (host.Alarms() != alarms_ && json_) {
            alarms_ = host.Alarms();
            out_ << "{\"ms\":" << session_.Elapsed() << ",\"alarms\":[";
            for (std::size_t i = 0; i < alarms_.size(); ++i) {
                out_ << (i == 0 ? "" : ",") << alarms_[i];
            }
            out_ << "]}\n";
        } else if (host.Alarms() != alarms_) {
            alarms_ = host.Alarms();
            out_ << Format("%8lld ms  alarm record (latest first):",
                           static_cast<long long>(session_.Elapsed()));
            for (int code : alarms_) {
                out_ << ' ' << code;
            }
            out_ << '\n';
        }
        if (!host.LampsKnown() ||
            (printed_ && host.Lamps() == lamps_ && host.Values() == values_)) {
            return;
        }
        printed_ = true;
        lamps_ = host.Lamps();
        values_ = host.Values();
        if (json_) {
            PrintJson();
            return;
        }
        out_ << Format("%8lld ms  %04X ", static_cast<long long>(session_.Elapsed()),
                       static_cast<unsigned>(lamps_));
        for (const auto& bit : kStatusBits) {
            if ((lamps_ & bit.mask) != 0) {
                out_ << ' ' << bit.name;
            }
        }
        for (const auto& f : kMonitorFields) {
            const std::string& v = values_[f.index];
            out_ << "  " << f.name << ' ' << (v.empty() ? std::string("-") : v);
        }
        out_ << '\n';
        out_.flush();
    }

  private:
    void PrintJson() {
        out_ << "{\"ms\":" << session_.Elapsed() << ",\"status\":\""
             << Format("%04X", static_cast<unsigned>(lamps_)) << "\",\"bits\":[";
        bool first = true;
        for (const auto& bit : kStatusBits) {
            if ((lamps_ & bit.mask) != 0) {
                out_ << (first ? "" : ",") << JsonString(bit.name);
                first = false;
            }
        }
        out_ << "]";
        for (const auto& f : kMonitorFields) {
            const std::string& v = values_[f.index];
            out_ << "," << JsonString(f.name) << ":" << (v.empty() ? "null" : JsonString(v));
        }
        out_ << "}\n";
        out_.flush();
    }

    CliSession& session_;
    std::ostream& out_;
    bool json_;
    bool printed_ = false;
    std::uint16_t lamps_ = 0;
    std::array<std::string, CliHost::kMonitorValues> values_{};
    std::vector<int> alarms_;
};

int Monitor(CliPlatform& p, const CliOptions& o) {
    CliOptions replacing = o;
    replacing.file = o.csv;
    if (!o.csv.empty() && !MayReplace(p, replacing)) {
        return kExitUsage;
    }
    CliSession session(p, o);
    if (const int r = Start(session); r != kExitOk) {
        return r;
    }
    // The chart window's log without its black box: the samples go to the file only.
    MonitorLog log(p.loop, SystemWallClock(), {});
    if (!o.csv.empty()) {
        errno = 0;
        if (!log.Recorder().Start(o.csv)) {
            session.Host().Note(FileProblem(p, ids::IDS_CLI_NOT_WRITTEN,
                                            ids::IDS_CLI_NOT_WRITTEN_WHY,
                                            o.csv + CsvRecorder::kPartSuffix, errno));
            return kExitIoError;
        }
        session.SetSampleSink(&log);
    }
    MonitorPrinter printer(session, p.out, o.json);
    session.OnMonitorReply([&printer] { printer.Decoded(); });
    int r = session.Watch(o.seconds > 0 ? o.seconds * kMsPerSecond : kUntilInterrupted);
    session.OnMonitorReply(nullptr);
    session.SetSampleSink(nullptr);
    if (!o.csv.empty()) {
        errno = 0;
        const bool failed = log.Recorder().Failed();
        if (!log.Recorder().Stop() || failed) {
            session.Host().Note(FileProblem(p, ids::IDS_CLI_NOT_WRITTEN,
                                            ids::IDS_CLI_NOT_WRITTEN_WHY,
                                            o.csv + CsvRecorder::kPartSuffix, errno));
            r = r == kExitOk ? kExitIoError : r;
        }
    }
    return r;
}

// The product as the window names it, and the control-signal type: what a backup must match.
struct Identity {
    int series = 0;
    int stroke = 0;
    int controlType = 0;

    bool operator==(const Identity&) const = default;
};

int BackupCommand(CliPlatform& p, const CliOptions& o) {
    if (!MayReplace(p, o)) {
        return kExitUsage;
    }
    CliSession session(p, o);
    if (const int r = Start(session); r != kExitOk) {
        return r;
    }
    if (const int r = session.Run(OP_DETAIL_UPLOAD); r != kExitOk) {
        return r;
    }
    LinkContext& ctx = session.Context();
    const StatusBlock& s = ctx.status;
    Backup b;
    b.tool = Format("tavro-cli %d.%d.%d", build::kVersionMajor, build::kVersionMinor,
                    build::kVersionPatch);
    b.date = BackupDateNow();
    b.controller.id = s.controllerId;
    b.controller.version = Format("%.2f", static_cast<double>(s.controllerVersion));
    b.controller.product = ModelText(session.Host(), s.series[0], s.stroke[0]);
    b.controller.series = s.series[0];
    b.controller.stroke = s.stroke[0];
    b.controller.controlType = s.controlType;
    auto read = session.ParametersRead();
    std::sort(read.begin(), read.end());
    for (const auto& [g, q] : read) {
        if (IsBackupParameter(g, q)) {
            b.parameters.push_back({g, q, ControllerValue(ctx, g, q)});
        }
    }
    errno = 0;
    if (!WriteFileReplacing(o.file, ComposeBackup(b))) {
        session.Host().Note(
            FileProblem(p, ids::IDS_CLI_NOT_WRITTEN, ids::IDS_CLI_NOT_WRITTEN_WHY, o.file, errno));
        return kExitIoError;
    }
    session.Host().Print(kMsgFileSaved);
    if (o.json) {
        p.out << "\"file\":" << JsonString(o.file) << ",\"parameters\":" << b.parameters.size();
    }
    return kExitOk;
}

// The file's text, refused when it is larger than any backup.
std::optional<std::string> ReadBackupText(CliPlatform& p, const std::string& file, int& status) {
    errno = 0;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        p.err << "tavro-cli: "
              << FileProblem(p, ids::IDS_CLI_NOT_READ, ids::IDS_CLI_NOT_READ_WHY, file, errno)
              << '\n';
        status = kExitIoError;
        return std::nullopt;
    }
    std::string text(kMaxBackupBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxBackupBytes) {
        p.err << "tavro-cli: "
              << StringTable(p.language)
                     .Format(ids::IDS_CLI_BACKUP_TOO_LARGE, file, static_cast<int>(kMaxBackupBytes))
              << '\n';
        status = kExitFileRejected;
        return std::nullopt;
    }
    return text;
}

int RestoreCommand(CliPlatform& p, const CliOptions& o) {
    int status = kExitOk;
    const auto text = ReadBackupText(p, o.file, status);
    if (!text) {
        return status;
    }
    const StringTable strings(p.language);
    const BackupRead parsed = ParseBackup(*text, strings);
    if (!parsed.backup) {
        p.err << "tavro-cli: " << strings.Format(ids::IDS_CLI_NOT_A_BACKUP, o.file, parsed.reason)
              << '\n';
        return kExitFileRejected;
    }
    const Backup& b = *parsed.backup;

    CliSession session(p, o);
    const WritesReport report(p, o, session);
    if (const int r = Start(session); r != kExitOk) {
        return r;
    }
    LinkContext& ctx = session.Context();
    CliHost& host = session.Host();
    const StatusBlock& s = ctx.status;
    const Identity held{s.series[0], s.stroke[0], s.controlType};
    const Identity backedUp{b.controller.series, b.controller.stroke, b.controller.controlType};
    if (!(held == backedUp) && !o.force) {
        host.Note(strings.Format(
            ids::IDS_CLI_OTHER_PRODUCT, ModelText(host, backedUp.series, backedUp.stroke),
            backedUp.controlType, ModelText(host, held.series, held.stroke), held.controlType));
        return kExitFileRejected;
    }
    // The controller's values first: only what differs is written.
    if (const int r = session.Run(OP_DETAIL_UPLOAD); r != kExitOk) {
        return r;
    }
    const int lastStepGroup = ParameterImage::kFirstStepGroup + StepCount(s.controlType) - 1;
    std::vector<BackupParameter> differing;
    for (const BackupParameter& bp : b.parameters) {
        if (bp.group > lastStepGroup) {
            continue;  // a step this controller's type does not have
        }
        if (ControllerValue(ctx, bp.group, bp.parameter) != bp.value) {
            differing.push_back(bp);
        }
    }
    if (differing.empty()) {
        host.Print(ids::IDS_NOTHING_CHANGED);
        if (o.json) {
            p.out << "\"differences\":[],";
        }
        return kExitOk;
    }
    if (o.json) {
        p.out << "\"differences\":[";
    } else {
        p.out << "g/p\tfield\tcontroller\tbackup\n";
    }
    for (const BackupParameter& bp : differing) {
        const std::string caption = ParameterWhere(bp.group, bp.parameter, s.controlType, strings) +
                                    ": " + ParameterCaption(bp.group, bp.parameter, strings);
        const float now = ControllerValue(ctx, bp.group, bp.parameter);
        if (o.json) {
            p.out << (&bp == differing.data() ? "" : ",") << "{\"group\":" << bp.group
                  << ",\"parameter\":" << bp.parameter << ",\"caption\":" << JsonString(caption)
                  << ",\"controller\":" << JsonFloat(now) << ",\"backup\":" << JsonFloat(bp.value)
                  << "}";
        } else {
            p.out << bp.group << '/' << bp.parameter << '\t' << caption << '\t' << FloatText(now)
                  << '\t' << FloatText(bp.value) << '\n';
        }
    }
    if (o.json) {
        p.out << "],";
    }
    if (!o.yes) {
        host.Note(
            strings.Format(ids::IDS_CLI_RESTORE_NEEDS_YES, static_cast<int>(differing.size())));
        return kExitUsage;
    }

    // The backup's values become edits, and the downloads send what differs, as the windows do.
    ParameterImage& image = ctx.image;
    bool comm = false;
    bool detail = false;
    for (const BackupParameter& bp : differing) {
        image.SetCell(bp.group, bp.parameter, bp.value, ParameterImage::kEditCopy);
        const bool commCell =
            bp.group == 0 && (bp.parameter == kSpeedCodeCell || bp.parameter == kDelayCell);
        comm = comm || commCell || (bp.group == 0 && bp.parameter == kIdCell);
        detail = detail || !commCell;
    }
    if (image.IsModified(0, kIdCell)) {
        const int oldId = Whole(image.GetCell(0, kIdCell, ParameterImage::kControllerCopy));
        const int newId = Whole(image.GetCell(0, kIdCell, ParameterImage::kEditCopy));
        host.Print(ids::IDS_CHANGE_ID, FormatPrintf(host.Text(ids::IDS_CHANGE_ID), oldId, newId));
    }
    const bool speedChanged = image.IsModified(0, kSpeedCodeCell);
    // The line speed, the delay and the ID first: the detail download ends with a reset.
    if (comm) {
        if (const int r = session.Run(OP_COMM_SETUP, 0); r != kExitOk) {
            return r;
        }
    }
    if (detail) {
        if (const int r = session.Run(OP_DETAIL_DOWNLOAD, 0); r != kExitOk) {
            return r;
        }
    }
    if (speedChanged) {
        host.Note(host.Text(ids::IDS_CLI_NEW_SPEED_LATER));
    }
    return kExitOk;
}

// The repeatability run moves the actuator through the link itself.
class LinkRepeatDriver : public RepeatDriver {
  public:
    explicit LinkRepeatDriver(LinkContext& ctx) : ctx_(ctx) {}
    void RunStep(int step) override {
        CTrxData(ctx_).Run(OP_STEP_RUN, ContinuousTable::StepRunParameter(step), 0);
    }
    void EndRun() override { CTrxData(ctx_).Run(OP_STOP, 0, 0); }

  private:
    LinkContext& ctx_;
};

bool MayReplaceFile(CliPlatform& p, const CliOptions& o, const std::string& file) {
    CliOptions one = o;
    one.file = file;
    return MayReplace(p, one);
}

int Repeat(CliPlatform& p, const CliOptions& o) {
    const std::string csv = CsvPathFor(o.file);
    if ((p.reportPrinter != nullptr && !MayReplaceFile(p, o, o.file)) ||
        !MayReplaceFile(p, o, csv)) {
        return kExitUsage;
    }
    CliSession session(p, o);
    if (const int r = Start(session); r != kExitOk) {
        return r;
    }
    // The targets and the report's step data are the controller's.
    if (const int r = session.Run(OP_STEP_UPLOAD); r != kExitOk) {
        return r;
    }
    LinkContext& ctx = session.Context();
    CliHost& host = session.Host();
    RepeatPlan plan = RepeatPlan::Steps(o.step, o.otherStep, o.cycles, o.settleMs);
    if ((ctx.status.flags & kFlagOriginDone) == 0 && plan.moves.front().step != 0) {
        plan.moves.insert(plan.moves.begin(), RepeatMove{0, true});
    }
    LinkRepeatDriver driver(ctx);
    RepeatRun run(ctx, driver, std::move(plan));
    host.OnNextStep([&run] { run.StepEnded(); });
    run.Start();
    const bool interrupted = !p.runUntil(
        [&] {
            host.Sample();
            if (ctx.status.linkState == kLinkNoController || ctx.status.linkState == kLinkNoPort) {
                run.Interrupt(RepeatEnd::kLinkLost);
            }
            return !run.Running() || (p.interrupted && p.interrupted());
        },
        CliSession::kOperationBoundMs);
    if (run.Running()) {
        run.Interrupt(RepeatEnd::kStopped);
        if (ctx.status.linkState != kLinkNoController && ctx.status.linkState != kLinkNoPort) {
            driver.EndRun();
        }
    }
    host.OnNextStep(nullptr);
    // The stop, or the alarm's own, ends before the session puts the controller back.
    p.runUntil([&] { return ctx.trx.currentOp == OP_IDLE; }, CliSession::kOperationBoundMs);

    const RepeatReport report =
        MakeRepeatReport(ctx, run, StringTable(p.language), ReportDateNow());
    const StringTable strings(p.language);
    for (std::size_t i = 0; i < report.targets.size(); ++i) {
        const RepeatStats& s = report.stats[i];
        host.Note(strings.Format(ids::IDS_CLI_REPEAT_RESULT, report.targets[i].step, s.count,
                                 s.halfRange / 1000.0, s.ratedUm / 1000.0,
                                 strings.Text(VerdictText(s.verdict))));
        p.out << report.targets[i].step << '\t' << s.count << '\t'
              << Format("%.3f\t%.3f\t%.3f\t%.3f\t%s", s.mean / 1000.0, s.stdDev / 1000.0,
                        s.halfRange / 1000.0, s.ratedUm / 1000.0,
                        s.verdict == RepeatVerdict::kPass   ? "PASS"
                        : s.verdict == RepeatVerdict::kFail ? "FAIL"
                                                            : "-")
              << '\n';
    }
    if (run.End() != RepeatEnd::kCompleted) {
        host.Note(
            strings.Format(ids::IDS_REPORT_INCOMPLETE, strings.Text(RepeatEndText(run.End()))));
    }
    int status = kExitOk;
    std::string error;
    if (!report.arrivals.empty()) {
        if (!WriteRepeatCsv(report, csv, error)) {
            p.err << "tavro-cli: " << error << '\n';
            status = kExitIoError;
        } else if (p.reportPrinter == nullptr) {
            host.Note(strings.Format(ids::IDS_CLI_REPEAT_NO_PDF, csv));
        } else if (!p.reportPrinter->Print(report, strings, o.file, error)) {
            p.err << "tavro-cli: " << error << '\n';
            status = kExitIoError;
        } else {
            host.Note(strings.Format(ids::IDS_CLI_REPEAT_WRITTEN, o.file));
            host.Note(strings.Format(ids::IDS_CLI_REPEAT_WRITTEN, csv));
        }
    }
    switch (run.End()) {
        case RepeatEnd::kCompleted:
            return status;
        case RepeatEnd::kAlarm:
            return kExitAlarm;
        case RepeatEnd::kLinkLost:
        case RepeatEnd::kNoInPosition:
            return host.Shown(ids::IDS_PORT_DISCONNECTED) ? kExitPort : kExitNoResponse;
        case RepeatEnd::kStopped:
        case RepeatEnd::kRunning:
            break;
    }
    return interrupted || (p.interrupted && p.interrupted()) ? kExitInterrupted : kExitNoResponse;
}

int RunCommand(CliPlatform& platform, const CliOptions& o) {
    switch (o.command) {
        case Command::kPorts:
            return Ports(platform, o.json);
        case Command::kStrings:
            return Strings(platform, o);
        case Command::kSearch:
            return Search(platform, o);
        case Command::kInfo:
            return Info(platform, o);
        case Command::kDump:
            return Dump(platform, o);
        case Command::kSaveSteps:
            return SaveSteps(platform, o);
        case Command::kLoadSteps:
            return LoadSteps(platform, o);
        case Command::kMonitor:
            return Monitor(platform, o);
        case Command::kBackup:
            return BackupCommand(platform, o);
        case Command::kRestore:
            return RestoreCommand(platform, o);
        case Command::kRepeat:
            return Repeat(platform, o);
        case Command::kNone:
            break;
    }
    return kExitUsage;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, CliPlatform& platform) {
    const StringTable strings(platform.language);
    const ParsedCommandLine parsed = ParseCommandLine(args, strings);
    const CliOptions& o = parsed.options;
    if (!parsed.error.empty()) {
        platform.err << "tavro-cli: " << parsed.error << '\n'
                     << strings.Format(ids::IDS_CLI_TRY_HELP, "tavro-cli") << '\n';
        return kExitUsage;
    }
    if (o.help) {
        platform.out << HelpText(o.command);
        return kExitOk;
    }
    if (o.command == Command::kNone) {
        platform.out << HelpText(Command::kNone);
        return kExitUsage;
    }
    if (!o.ids.empty()) {
        return RunForEachId(platform, o, RunCommand);
    }
    if (o.json) {
        return RunWithJson(platform, o, RunCommand);
    }
    return RunCommand(platform, o);
}

}  // namespace tavro::cli
