#pragma once

#include <string>
#include <string_view>

namespace tavro::sim {

// The simulator's end of a pseudo-terminal: the master it serves, the slave it keeps open so
// that the master never reports a hang-up between clients, and a watch on the slave's device
// node that tells when a client has closed it.
class PtyEndpoint {
  public:
    PtyEndpoint() = default;
    virtual ~PtyEndpoint();
    PtyEndpoint(const PtyEndpoint&) = delete;
    PtyEndpoint& operator=(const PtyEndpoint&) = delete;

    // Creates the pair with the slave raw at `baud`; false with a one-line reason.
    bool Open(int baud, std::string& error);

    int Master() const { return master_; }
    // Readable when a client opened or closed the slave.
    int Events() const { return events_; }
    const std::string& SlavePath() const { return slavePath_; }

    // The speed the client set on the terminal, bit/s; 0 when it is not a known rate.
    int ClientSpeed() const;

    // Appends what the client wrote; false when the master failed.
    bool Read(std::string& out);
    // Bytes nobody reads are dropped once the terminal's buffer is full, as on a real line.
    void Write(std::string_view bytes);

    // Undoes what a client leaves behind that would lock out or trip the next client while
    // the slave stays open here: the exclusive-use flag (the tool's port lock still keeps a
    // second tool away) and input parity checking (see the .cpp). Cheap; call it often.
    void Tidy();

    // Drains the watch; after a client closed the terminal, drops the bytes it left unread
    // and tidies. Returns how many closes were seen.
    int HandleEvents();

  private:
    int master_ = -1;
    int slave_ = -1;
    int events_ = -1;
    std::string slavePath_;
};

}  // namespace tavro::sim
