#include "link/PortList.h"

#include "link/SettingsDir.h"

#include <dirent.h>
#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <map>
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

// The USB device above a tty's device: the first folder upwards with a vendor ID.
void ReadUsbDevice(const std::string& deviceDir, PortInfo& info) {
    std::string dir = RealPath(deviceDir);
    for (int depth = 0; depth < 6 && dir.size() > 1; ++depth) {
        if (Exists(dir + "/idVendor")) {
            info.usbVendor = ReadFirstLine(dir + "/idVendor");
            info.usbProduct = ReadFirstLine(dir + "/idProduct");
            info.manufacturer = ReadFirstLine(dir + "/manufacturer");
            info.product = ReadFirstLine(dir + "/product");
            info.serial = ReadFirstLine(dir + "/serial");
            info.usbPath = dir.substr(dir.find_last_of('/') + 1);
            return;
        }
        dir = Parent(dir);
    }
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

PortKind KindOf(const std::string& name, const PortInfo& info) {
    if (name.rfind("ttyACM", 0) == 0) {
        return PortKind::kUsbModem;
    }
    if (name.rfind("rfcomm", 0) == 0) {
        return PortKind::kBluetooth;
    }
    if (!info.usbVendor.empty() || name.rfind("ttyUSB", 0) == 0) {
        return PortKind::kUsbSerial;
    }
    if (name.rfind("ttyS", 0) == 0) {
        return PortKind::kOnBoard;
    }
    return PortKind::kOther;
}

// The by-id name that leads to the device, if any.
std::string ByIdFor(const std::string& device, const PortScanConfig& config) {
    const std::string target = RealPath(device);
    if (target.empty()) {
        return {};
    }
    const std::string dir = config.devDir + "/serial/by-id";
    std::vector<std::string> names = ListDir(dir);
    std::sort(names.begin(), names.end());
    for (const std::string& n : names) {
        if (RealPath(dir + "/" + n) == target) {
            return dir + "/" + n;
        }
    }
    return {};
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

PortInfo DescribeTty(const std::string& name, const PortScanConfig& config) {
    const std::string ttyDir = config.sysClassTty + "/" + name;
    PortInfo info;
    info.path = config.devDir + "/" + name;
    info.name = name;
    ReadUsbDevice(ttyDir + "/device", info);
    info.kind = KindOf(name, info);
    info.byId = ByIdFor(info.path, config);
    const std::string latency = ttyDir + "/device/latency_timer";
    if (Exists(latency)) {
        info.latencyFile = latency;
        info.latencyMs = ReadLatencyTimer(latency);
    }
    return info;
}

bool AllDigits(const std::string& s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

std::string ReadLink(const std::string& path) {
    char buf[4096];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
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
        real.push_back(DescribeTty(name, config));
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
        } else {
            port.kind = PortKind::kVirtual;
            port.detail = rest.substr(0, idsTab);
        }
        virt.push_back(std::move(port));
    }
    std::sort(virt.begin(), virt.end(),
              [](const PortInfo& a, const PortInfo& b) { return NaturalLess(a.name, b.name); });

    real.insert(real.end(), virt.begin(), virt.end());
    return real;
}

PortInfo DescribePort(const std::string& path, const PortScanConfig& config) {
    const std::string target = RealPath(path);
    for (PortInfo& port : ListSerialPorts(config)) {
        if (port.path == path || port.byId == path ||
            (!target.empty() && RealPath(port.path) == target)) {
            return port;
        }
    }
    PortInfo info;
    info.path = target.empty() ? path : target;
    info.name = info.path.rfind("/dev/", 0) == 0 ? info.path.substr(5) : info.path;
    return info;
}

bool SameAdapter(const PortInfo& a, const PortInfo& b) {
    if (!a.byId.empty() || !b.byId.empty()) {
        return a.byId == b.byId;
    }
    if (a.usbVendor.empty() || a.usbVendor != b.usbVendor || a.usbProduct != b.usbProduct) {
        return false;
    }
    if (!a.serial.empty() || !b.serial.empty()) {
        return a.serial == b.serial;
    }
    return !a.usbPath.empty() && a.usbPath == b.usbPath;
}

std::string ResolvePortLink(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
        return path;
    }
    const std::string real = RealPath(path);
    return real.empty() ? path : real;
}

int ReadLatencyTimer(const std::string& file) {
    const std::string text = ReadFirstLine(file);
    if (text.empty() || text.size() > 4 || !AllDigits(text)) {
        return -1;
    }
    return std::atoi(text.c_str());
}

bool LowerLatencyTimer(const std::string& file) {
    {
        std::ofstream out(file, std::ios::trunc);
        if (!out) {
            return false;
        }
        out << "1\n";
        if (!out.flush()) {
            return false;
        }
    }
    return ReadLatencyTimer(file) == 1;
}

PortHolder FindPortHolder(const std::string& devicePath, const std::string& procDir) {
    const std::string real = RealPath(devicePath);
    std::map<long, std::string> pids;  // in pid order
    for (const std::string& n : ListDir(procDir)) {
        if (AllDigits(n) && n.size() < 10) {
            pids.emplace(std::atol(n.c_str()), n);
        }
    }
    const long self = static_cast<long>(::getpid());
    for (const auto& [pid, dirName] : pids) {
        if (pid == self) {
            continue;
        }
        const std::string fdDir = procDir + "/" + dirName + "/fd";
        for (const std::string& fd : ListDir(fdDir)) {
            const std::string target = ReadLink(fdDir + "/" + fd);
            if (!target.empty() && (target == devicePath || (!real.empty() && target == real))) {
                std::string name = ReadFirstLine(procDir + "/" + dirName + "/comm");
                return PortHolder{static_cast<int>(pid), name.empty() ? dirName : name};
            }
        }
    }
    return {};
}

std::string DeviceGroup(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return {};
    }
    std::vector<char> buf(16384);
    group g{};
    group* found = nullptr;
    if (::getgrgid_r(st.st_gid, &g, buf.data(), buf.size(), &found) != 0 || found == nullptr ||
        found->gr_name == nullptr) {
        return {};
    }
    return found->gr_name;
}

}  // namespace tavro
