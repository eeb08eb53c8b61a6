#pragma once

#include <string>
#include <vector>

namespace tavro {

// What is known about the device behind a port; the window words it in its language.
enum class PortKind {
    kUnknown,
    kNamed,      // the device names itself: `detail` is its own words
    kOnBoard,    // an on-board UART
    kUsbModem,   // a CDC ACM device
    kBluetooth,  // an RFCOMM port
    kUsbId,      // a USB device without names: `detail` is "vendor:product"
    kSimulated,  // a simulated controller: `detail` lists its IDs ("1, 3")
};

struct PortInfo {
    std::string path;  // "/dev/ttyUSB0"
    std::string name;  // "ttyUSB0", what the list shows
    PortKind kind = PortKind::kUnknown;
    std::string detail;
    bool isVirtual = false;  // registered by a simulator
};

// Where ports are looked for; tests point these at fixture folders.
struct PortScanConfig {
    std::string sysClassTty = "/sys/class/tty";
    std::string devDir = "/dev";
    std::string registryDir;  // empty: VirtualPortRegistryDir()
};

// Real serial devices (USB adapters, CDC ACM, on-board UARTs that exist), in natural order,
// followed by the virtual ports that simulators have registered and that are still alive.
std::vector<PortInfo> ListSerialPorts(const PortScanConfig& config = {});

// $XDG_RUNTIME_DIR/tavro/ports, or /tmp/tavro-<uid>/ports.
std::string VirtualPortRegistryDir();

// Announces a pseudo-terminal under this process with a description of its own, or as a
// simulated controller with these IDs; the file disappears with Unregister or is ignored
// once the process is gone.
bool RegisterVirtualPort(const std::string& path, const std::string& description,
                         const std::string& registryDir = {});
bool RegisterSimulatedPort(const std::string& path, const std::string& controllerIds,
                           const std::string& registryDir = {});
void UnregisterVirtualPort(const std::string& registryDir = {});

// "ttyUSB2" < "ttyUSB10".
bool NaturalLess(const std::string& a, const std::string& b);

}  // namespace tavro
