#include "link/SettingsDir.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace tavro {

std::string DefaultSettingsDir() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        return std::string(xdg) + "/Zelm";
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        const passwd* pw = ::getpwuid(::getuid());
        home = pw != nullptr ? pw->pw_dir : nullptr;
    }
    if (home != nullptr && home[0] == '/') {
        return std::string(home) + "/.config/Zelm";
    }
    return "Zelm";
}

bool EnsureDirectory(const std::string& path, unsigned mode) {
    if (path.empty()) {
        return false;
    }
    std::string cur;
    std::size_t pos = 0;
    while (pos <= path.size()) {
        const std::size_t next = path.find('/', pos);
        const std::size_t end = next == std::string::npos ? path.size() : next;
        cur = path.substr(0, end);
        if (!cur.empty()) {
            struct stat st {};
            if (::stat(cur.c_str(), &st) != 0) {
                if (::mkdir(cur.c_str(), static_cast<mode_t>(mode)) != 0 && errno != EEXIST) {
                    return false;
                }
            } else if (!S_ISDIR(st.st_mode)) {
                return false;
            }
        }
        if (next == std::string::npos) {
            break;
        }
        pos = next + 1;
    }
    return true;
}

}  // namespace tavro
