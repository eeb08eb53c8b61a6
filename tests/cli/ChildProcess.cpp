#include "tests/cli/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tavro::cli::test {

namespace {

constexpr int kPollMs = 20;

}  // namespace

ChildProcess::ChildProcess(std::vector<std::string> argv, const Variables& variables,
                           const std::string& stdoutPath, const std::string& stderrPath) {
    const int out = ::open(stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int err = ::open(stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0 || err < 0) {
        if (out >= 0) {
            ::close(out);
        }
        if (err >= 0) {
            ::close(err);
        }
        return;
    }
    std::vector<char*> args;
    for (auto& a : argv) {
        args.push_back(a.data());
    }
    args.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        const int null = ::open("/dev/null", O_RDONLY);
        if (null >= 0) {
            ::dup2(null, STDIN_FILENO);
        }
        for (const auto& [name, value] : variables) {
            ::setenv(name.c_str(), value.c_str(), 1);
        }
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(out);
    ::close(err);
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && Stop() == -1 && pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

int ChildProcess::Wait(int timeoutMs) {
    if (exited_) {
        return status_;
    }
    if (pid_ <= 0) {
        return -1;
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            exited_ = true;
            pid_ = -1;
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            return status_;
        }
        if (std::chrono::steady_clock::now() >= end) {
            return -1;
        }
        ::usleep(kPollMs * 1000);
    }
}

int ChildProcess::Stop(int timeoutMs) {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
    }
    return Wait(timeoutMs);
}

void ChildProcess::Kill() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
        exited_ = true;
    }
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string FirstLine(const std::string& path, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        const std::string text = ReadFile(path);
        const std::size_t nl = text.find('\n');
        if (nl != std::string::npos) {
            return text.substr(0, nl);
        }
        ::usleep(kPollMs * 1000);
    }
    return {};
}

}  // namespace tavro::cli::test
