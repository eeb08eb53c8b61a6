#pragma once

#include <string>

namespace tavro::test {

// A pseudo-terminal pair: the test plays the controller on the master side while the code
// under test opens the slave path like any serial device.
class Pty {
  public:
    Pty();
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    int Master() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }

    void WriteMaster(const std::string& bytes) const;
    // Reads what has arrived on the master within `timeoutMs`, stopping early once `until`
    // has been seen (when given).
    std::string ReadMaster(int timeoutMs, const std::string& until = {}) const;
    void CloseMaster();

  private:
    int master_ = -1;
    std::string slavePath_;
};

}  // namespace tavro::test
