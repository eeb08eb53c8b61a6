#pragma once

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

namespace tavro::cli::test {

// A program an end-to-end test runs: standard output and error go to files, the variables
// given are set on top of the test's environment, and a child still running when the
// object goes is stopped with SIGTERM (SIGKILL if it does not end).
class ChildProcess {
  public:
    using Variables = std::vector<std::pair<std::string, std::string>>;

    ChildProcess(std::vector<std::string> argv, const Variables& variables,
                 const std::string& stdoutPath, const std::string& stderrPath);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The exit status, or -1 when the child has not ended within `timeoutMs` (or was
    // ended by a signal).
    int Wait(int timeoutMs);
    // SIGTERM, then the exit status as Wait gives it.
    int Stop(int timeoutMs = 5000);
    // SIGKILL: the child ends at once without tidying up; it is reaped.
    void Kill();

  private:
    pid_t pid_ = -1;
    bool exited_ = false;
    int status_ = -1;
};

// Waits until the file holds a whole first line and returns it; empty after `timeoutMs`.
std::string FirstLine(const std::string& path, int timeoutMs);

std::string ReadFile(const std::string& path);

}  // namespace tavro::cli::test
