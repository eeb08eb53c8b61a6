#include "shell/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace tavro {

std::optional<InstanceLock> InstanceLock::Acquire(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return InstanceLock(-1);
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) {
            return std::nullopt;
        }
        return InstanceLock(-1);
    }
    return InstanceLock(fd);
}

std::string InstanceLock::DefaultPath(const std::string& programName) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') {
        return std::string(runtime) + "/" + programName + ".lock";
    }
    return "/tmp/" + programName + "-" + std::to_string(::getuid()) + ".lock";
}

std::string InstanceLock::ProgramName(const std::string& argv0) {
    const auto slash = argv0.find_last_of('/');
    std::string name = slash == std::string::npos ? argv0 : argv0.substr(slash + 1);
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) {
        name.resize(dot);
    }
    return name.empty() ? std::string("tavro-config") : name;
}

InstanceLock::InstanceLock(InstanceLock&& other) noexcept : fd_(other.fd_) {
    other.fd_ = -1;
}

InstanceLock& InstanceLock::operator=(InstanceLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

}  // namespace tavro
