#pragma once

#include <string>
#include <vector>

namespace tavro {

// What kind of device is behind a port; the COM selection words it in the user's language.
enum class PortKind {
    kOther,
    kUsbSerial,  // a USB-serial adapter (ttyUSB)
    kUsbModem,   // a USB CDC ACM device (ttyACM)
    kOnBoard,    // an on-board UART (ttyS)
    kBluetooth,  // rfcomm
    kVirtual,    // a pseudo-terminal registered with its own words: `detail`
    kSimulated,  // a simulated controller: `detail` lists its IDs ("1, 3")
};

struct PortInfo {
    std::string path;  // "/dev/ttyUSB0"
    std::string name;  // "ttyUSB0", what the list shows
    PortKind kind = PortKind::kOther;
    std::string detail;      // what a virtual port registered; empty for real devices
    bool isVirtual = false;  // registered by a simulator
    // From the USB device behind the port, where there is one ("0403", "6001", ...).
    std::string usbVendor;
    std::string usbProduct;
    std::string manufacturer;
    std::string product;
    std::string serial;
    std::string usbPath;  // the USB device's place on the bus ("1-1.2"): the socket
    // "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"; empty when none.
    std::string byId;
    // The adapter's latency timer in ms (FTDI), -1 when it has none.
    int latencyMs = -1;
    std::string latencyFile;  // the sysfs file that holds it
};

// Where ports are looked for; tests point these at fixture folders. The by-id names are in
// devDir + "/serial/by-id".
struct PortScanConfig {
    std::string sysClassTty = "/sys/class/tty";
    std::string devDir = "/dev";
    std::string registryDir;  // empty: VirtualPortRegistryDir()
    std::string procDir = "/proc";
};

// Real serial devices (USB adapters, CDC ACM, on-board UARTs that exist), in natural order,
// followed by the virtual ports that simulators have registered and that are still alive.
std::vector<PortInfo> ListSerialPorts(const PortScanConfig& config = {});

// The listed port that is this device, reached by its path, its by-id name or a link to it;
// a port described from sysfs alone when it is not listed (a path the user typed).
PortInfo DescribePort(const std::string& path, const PortScanConfig& config = {});

// The same adapter: the same by-id name, or the same USB identity (vendor, product and
// serial number; or, for adapters without a serial number, the same socket).
bool SameAdapter(const PortInfo& a, const PortInfo& b);

// The device a by-id name or another link points to; other paths as they are.
std::string ResolvePortLink(const std::string& path);

// Reads a latency timer file: its value in ms, -1 when it cannot be read.
int ReadLatencyTimer(const std::string& file);
// Asks for 1 ms; true when the file then reads 1.
bool LowerLatencyTimer(const std::string& file);

// The process that has a device open, as /proc shows it.
struct PortHolder {
    int pid = 0;  // 0: none found
    std::string name;
};
// The first process (lowest pid) other than this one with a descriptor on the device.
PortHolder FindPortHolder(const std::string& devicePath, const std::string& procDir = "/proc");

// The name of the group that owns a device node; empty when it has none or cannot be read.
std::string DeviceGroup(const std::string& path);

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
