#include "link/PortList.h"

#include "link/SettingsDir.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tavro {

namespace {

constexpr const char* kRegistrySuffix = ".port";

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::string ReadFirstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' ')) {
        line.pop_back();
    }
    return line;
}

std::vector<std::string> ListDir(const std::string& dir) {
    std::vector<std::string> names;
    DIR* d = ::opendir(dir.c_str());
    if (d == nullptr) {
        return names;
    }
    while (dirent* e = ::readdir(d)) {
        std::string n = e->d_name;
        if (n != "." && n != "..") {
            names.push_back(std::move(n));
        }
    }
    ::closedir(d);
    return names;
}

std::string RealPath(const std::string& path) {
    char* r = ::realpath(path.c_str(), nullptr);
    if (r == nullptr) {
        return {};
    }
    std::string s(r);
    std::free(r);
    return s;
}

std::string Parent(const std::string& path) {
    const auto pos = path.find_last_of('/');
    return pos == std::string::npos || pos == 0 ? std::string("/") : path.substr(0, pos);
}

// Walks up from the tty's device to the USB device that carries vendor and product strings.
bool UsbDescription(const std::string& deviceDir, PortInfo& port) {
    std::string dir = RealPath(deviceDir);
    for (int depth = 0; depth < 6 && dir.size() > 1; ++depth) {
        if (Exists(dir + "/idVendor")) {
            std::string manufacturer = ReadFirstLine(dir + "/manufacturer");
            std::string product = ReadFirstLine(dir + "/product");
            std::string text = manufacturer;
            if (!product.empty()) {
                text += text.empty() ? product : " " + product;
            }
            if (text.empty()) {
                port.kind = PortKind::kUsbId;
                port.detail =
                    ReadFirstLine(dir + "/idVendor") + ":" + ReadFirstLine(dir + "/idProduct");
            } else {
                port.kind = PortKind::kNamed;
                port.detail = std::move(text);
            }
            return true;
        }
        dir = Parent(dir);
    }
    return false;
}

bool IsRealSerial(const std::string& ttyDir, const std::string& name) {
    if (!Exists(ttyDir + "/device")) {
        return false;  // consoles, pseudo-terminals and other virtual ttys
    }
    // Legacy UART slots exist whether or not a chip is behind them; type 0 means none.
    const std::string type = ReadFirstLine(ttyDir + "/type");
    if (!type.empty() && type == "0") {
        return false;
    }
    return name.rfind("tty", 0) == 0 || name.rfind("rfcomm", 0) == 0;
}

void Describe(const std::string& ttyDir, const std::string& name, PortInfo& port) {
    if (UsbDescription(ttyDir + "/device", port)) {
        return;
    }
    if (name.rfind("ttyS", 0) == 0) {
        port.kind = PortKind::kOnBoard;
    } else if (name.rfind("ttyACM", 0) == 0) {
        port.kind = PortKind::kUsbModem;
    } else if (name.rfind("rfcomm", 0) == 0) {
        port.kind = PortKind::kBluetooth;
    }
}

bool WriteRegistration(const std::string& registryDir, const std::string& line) {
    const std::string dir = registryDir.empty() ? VirtualPortRegistryDir() : registryDir;
    if (!EnsureDirectory(dir, 0700)) {
        return false;
    }
    const std::string file = dir + "/" + std::to_string(::getpid()) + kRegistrySuffix;
    const std::string tmp = file + ".tmp";
    {
        std::ofstream out(tmp, std::ios::trunc);
        if (!out) {
            return false;
        }
        out << line << '\n';
        if (!out) {
            return false;
        }
    }
    return ::rename(tmp.c_str(), file.c_str()) == 0;
}

bool ProcessAlive(long pid) {
    if (pid <= 0) {
        return false;
    }
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace

bool NaturalLess(const std::string& a, const std::string& b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (std::isdigit(static_cast<unsigned char>(a[i])) &&
            std::isdigit(static_cast<unsigned char>(b[j]))) {
            std::size_t ie = i;
            std::size_t je = j;
            while (ie < a.size() && std::isdigit(static_cast<unsigned char>(a[ie]))) {
                ++ie;
            }
            while (je < b.size() && std::isdigit(static_cast<unsigned char>(b[je]))) {
                ++je;
            }
            std::string na = a.substr(i, ie - i);
            std::string nb = b.substr(j, je - j);
            na.erase(0, std::min(na.find_first_not_of('0'), na.size()));
            nb.erase(0, std::min(nb.find_first_not_of('0'), nb.size()));
            if (na.size() != nb.size()) {
                return na.size() < nb.size();
            }
            if (na != nb) {
                return na < nb;
            }
            i = ie;
            j = je;
            continue;
        }
        if (a[i] != b[j]) {
            return a[i] < b[j];
        }
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

std::string VirtualPortRegistryDir() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') {
        return std::string(runtime) + "/tavro/ports";
    }
    return "/tmp/tavro-" + std::to_string(::getuid()) + "/ports";
}

bool RegisterVirtualPort(const std::string& path, const std::string& description,
                         const std::string& registryDir) {
    return WriteRegistration(registryDir, path + '\t' + description);
}

bool RegisterSimulatedPort(const std::string& path, const std::string& controllerIds,
                           const std::string& registryDir) {
    return WriteRegistration(registryDir, path + "\t\t" + controllerIds);
}

void UnregisterVirtualPort(const std::string& registryDir) {
    const std::string dir = registryDir.empty() ? VirtualPortRegistryDir() : registryDir;
    const std::string file = dir + "/" + std::to_string(::getpid()) + kRegistrySuffix;
    ::unlink(file.c_str());
}

std::vector<PortInfo> ListSerialPorts(const PortScanConfig& config) {
    std::vector<PortInfo> real;
    for (const std::string& name : ListDir(config.sysClassTty)) {
        const std::string ttyDir = config.sysClassTty + "/" + name;
        if (!IsRealSerial(ttyDir, name)) {
            continue;
        }
        const std::string dev = config.devDir + "/" + name;
        if (!Exists(dev)) {
            continue;
        }
        PortInfo port;
        port.path = dev;
        port.name = name;
        Describe(ttyDir, name, port);
        real.push_back(std::move(port));
    }
    std::sort(real.begin(), real.end(),
              [](const PortInfo& a, const PortInfo& b) { return NaturalLess(a.name, b.name); });

    std::vector<PortInfo> virt;
    const std::string dir =
        config.registryDir.empty() ? VirtualPortRegistryDir() : config.registryDir;
    for (const std::string& file : ListDir(dir)) {
        const std::string suffix = kRegistrySuffix;
        if (file.size() <= suffix.size() ||
            file.compare(file.size() - suffix.size(), suffix.size(), suffix) != 0) {
            continue;
        }
        const std::string full = dir + "/" + file;
        char* end = nullptr;
        const long pid = std::strtol(file.c_str(), &end, 10);
        std::ifstream in(full);
        std::string line;
        std::getline(in, line);
        const auto tab = line.find('\t');
        const std::string path = line.substr(0, tab);
        if (!ProcessAlive(pid) || path.empty() || !Exists(path)) {
            ::unlink(full.c_str());  // left behind by a simulator that was killed
            continue;
        }
        // "path TAB description", or "path TAB TAB IDs" for a simulated controller.
        const std::string rest = tab == std::string::npos ? std::string() : line.substr(tab + 1);
        const auto idsTab = rest.find('\t');
        PortInfo port;
        port.path = path;
        port.name = path.rfind("/dev/", 0) == 0 ? path.substr(5) : path;
        port.isVirtual = true;
        if (idsTab != std::string::npos && idsTab + 1 < rest.size()) {
            port.kind = PortKind::kSimulated;
            port.detail = rest.substr(idsTab + 1);
        } else if (!rest.empty()) {
            port.kind = PortKind::kNamed;
            port.detail = rest.substr(0, idsTab);
        }
        virt.push_back(std::move(port));
    }
    std::sort(virt.begin(), virt.end(),
              [](const PortInfo& a, const PortInfo& b) { return NaturalLess(a.name, b.name); });

    real.insert(real.end(), virt.begin(), virt.end());
    return real;
}

}  // namespace tavro
