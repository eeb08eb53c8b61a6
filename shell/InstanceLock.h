#pragma once

#include <optional>
#include <string>

namespace tavro {

// The single-instance lock: a lock file held with flock for as long as the object lives.
class InstanceLock {
  public:
    // Nothing when another process holds the lock. A lock file that cannot be created does
    // not keep the program from running: the lock then holds nothing.
    static std::optional<InstanceLock> Acquire(const std::string& path);

    // $XDG_RUNTIME_DIR/<name>.lock, or /tmp/<name>-<uid>.lock without a runtime folder.
    static std::string DefaultPath(const std::string& programName);
    // The executable's file name without folder and extension.
    static std::string ProgramName(const std::string& argv0);

    InstanceLock(InstanceLock&& other) noexcept;
    InstanceLock& operator=(InstanceLock&& other) noexcept;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    ~InstanceLock();

    bool Holds() const { return fd_ >= 0; }

  private:
    explicit InstanceLock(int fd) : fd_(fd) {}

    int fd_ = -1;
};

}  // namespace tavro
