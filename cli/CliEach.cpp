#include "cli/CliEach.h"

#include <algorithm>
#include <memory>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <utility>
#include <vector>

#include "cli/ExitStatus.h"
#include "cli/Json.h"
#include "link/Numbers.h"
#include "link/SerialPort.h"
#include "link/StringIds.h"

namespace tavro::cli {

namespace {

// A lease on a line that stays open: stopping or dropping the lease stops the delivery of
// bytes to its holder, never the line.
class LineLease : public Transport {
  public:
    explicit LineLease(Transport& line) : line_(line) {}
    ~LineLease() override { line_.Stop(); }
    LineLease(const LineLease&) = delete;
    LineLease& operator=(const LineLease&) = delete;

    void Start(BytesHandler onBytes, GoneHandler onGone) override {
        line_.Start(std::move(onBytes), std::move(onGone));
    }
    void Stop() override { line_.Stop(); }
    bool Write(std::string_view bytes) override { return line_.Write(bytes); }
    bool IsOpen() const override { return line_.IsOpen(); }
    std::string Name() const override { return line_.Name(); }

  private:
    Transport& line_;
};

// Every line written through it starts with the prefix.
class PrefixedLines : public std::streambuf {
  public:
    PrefixedLines(std::ostream& target, std::string prefix)
        : target_(target), prefix_(std::move(prefix)) {}

  protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::not_eof(c);
        }
        if (atLineStart_) {
            target_ << prefix_;
            atLineStart_ = false;
        }
        const char ch = traits_type::to_char_type(c);
        target_.put(ch);
        atLineStart_ = ch == '\n';
        return c;
    }
    int sync() override {
        target_.flush();
        return 0;
    }

  private:
    std::ostream& target_;
    std::string prefix_;
    bool atLineStart_ = true;
};

struct Message {
    int stringId;
    std::string text;
};

// The same platform with its own output, error stream, port and message observer.
CliPlatform Redirected(const CliPlatform& p, std::ostream& out, std::ostream& err,
                       PortOpener openPort,
                       std::function<void(int stringId, const std::string& text)> onMessage) {
    return CliPlatform{
        .loop = p.loop,
        .runUntil = p.runUntil,
        .out = out,
        .err = err,
        .language = p.language,
        .settingsDir = p.settingsDir,
        .openPort = std::move(openPort),
        .scan = p.scan,
        .interrupted = p.interrupted,
        .onMessage = std::move(onMessage),
    };
}

bool RunsOnAController(Command command) {
    return UsesPort(command) && command != Command::kSearch;
}

// The monitor prints as it goes; the other commands' output can wait for the end.
bool Streams(Command command) {
    return command == Command::kMonitor;
}

}  // namespace

int RunWithJson(CliPlatform& p, const CliOptions& o, const CommandRun& run) {
    std::ostringstream members;
    std::vector<Message> messages;
    CliPlatform q = Redirected(p, Streams(o.command) ? p.out : members, p.err, p.openPort,
                               [&messages, &p](int stringId, const std::string& text) {
                                   messages.push_back({stringId, text});
                                   if (p.onMessage) {
                                       p.onMessage(stringId, text);
                                   }
                               });
    const int status = run(q, o);
    std::string line = "{";
    if (RunsOnAController(o.command)) {
        line += "\"id\":" + std::to_string(o.id) + ",";
    }
    line += "\"status\":" + std::to_string(status);
    if (const std::string m = members.str(); !m.empty()) {
        line += "," + m;
    }
    line += ",\"messages\":[";
    for (std::size_t i = 0; i < messages.size(); ++i) {
        line += (i == 0 ? "" : ",") + std::string("{\"number\":") +
                std::to_string(messages[i].stringId) + ",\"text\":" + JsonString(messages[i].text) +
                "}";
    }
    line += "]}\n";
    p.out << line;
    p.out.flush();
    return status;
}

int RunForEachId(CliPlatform& p, const CliOptions& o, const CommandRun& run) {
    std::unique_ptr<Transport> line;
    const PortOpener leased = [&line, &p](const std::string& path, int baud,
                                          OpenError& error) -> std::unique_ptr<Transport> {
        if (!line || !line->IsOpen()) {
            line = p.openPort ? p.openPort(path, baud, error)
                              : SerialPort::Open(p.loop, path, baud, error);
            if (!line) {
                return nullptr;
            }
        }
        return std::make_unique<LineLease>(*line);
    };
    const StringTable strings(p.language);
    int worst = kExitOk;
    for (const int id : o.ids) {
        CliOptions one = o;
        one.ids.clear();
        one.id = id;
        one.file = FileForId(o.file, id);
        std::ostringstream data;
        PrefixedLines errLines(p.err, strings.Format(ids::IDS_CLI_ID_PREFIX, id, ""));
        std::ostream err(&errLines);
        std::string last;
        CliPlatform q =
            Redirected(p, data, err, leased, [&last, &p](int stringId, const std::string& text) {
                last = Format("%d: ", stringId) + text;
                if (p.onMessage) {
                    p.onMessage(stringId, text);
                }
            });
        const int status = o.json ? RunWithJson(q, one, run) : run(q, one);
        err.flush();
        if (o.json) {
            p.out << data.str();
        } else {
            std::istringstream lines(data.str());
            for (std::string l; std::getline(lines, l);) {
                p.out << id << '\t' << l << '\n';
            }
            std::string summary = status == kExitOk ? std::string("ok")
                                  : last.empty()    ? Format("exit status %d", status)
                                                    : last;
            p.out << id << '\t' << status << '\t' << summary << '\n';
        }
        p.out.flush();
        worst = std::max(worst, status);
        if (status == kExitInterrupted) {
            break;
        }
    }
    return worst;
}

}  // namespace tavro::cli
