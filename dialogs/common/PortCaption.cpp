#include "dialogs/common/PortCaption.h"
#include "link/StringIds.h"

#include <algorithm>
#include <initializer_list>

namespace tavro::ui {

namespace {

// Separates the parts of a description; the same in both languages, and no bracket that
// would have to be full-width in one of them.
constexpr std::string_view kSeparator = " \u2014 ";  // an em dash between spaces

struct KindCaption {
    PortKind kind;
    int stringId;
};
constexpr KindCaption kKindCaptions[] = {
    {PortKind::kOnBoard, 220},    // "Serial port"
    {PortKind::kUsbModem, 221},   // "USB modem"
    {PortKind::kBluetooth, 222},  // "Bluetooth serial port"
};

void Append(std::string& text, std::string_view part) {
    if (part.empty()) {
        return;
    }
    if (!text.empty()) {
        text += kSeparator;
    }
    text += part;
}

std::string BaseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string SimulatorDescription(const PortInfo& port, const StringTable& strings) {
    const bool many = std::find(port.detail.begin(), port.detail.end(), ',') != port.detail.end();
    return strings.Format(many ? ids::IDS_PORT_SIMULATED_MANY : ids::IDS_PORT_SIMULATED_ONE,
                          port.detail);
}

}  // namespace

std::string PortDescription(const PortInfo& port, const StringTable& strings) {
    if (port.kind == PortKind::kSimulated) {
        return SimulatorDescription(port, strings);
    }
    if (port.isVirtual) {
        return port.detail;
    }
    std::string text;
    for (const std::string* part : {&port.product, &port.manufacturer, &port.serial}) {
        Append(text, *part);
    }
    std::string ids =
        port.usbVendor.empty() ? std::string() : port.usbVendor + ":" + port.usbProduct;
    if (text.empty()) {
        if (port.kind == PortKind::kUsbSerial && !ids.empty()) {
            text = strings.Format(ids::IDS_PORT_USB_ID, ids);
            ids.clear();
        }
        for (const KindCaption& k : kKindCaptions) {
            if (k.kind == port.kind) {
                Append(text, strings.Text(k.stringId));
            }
        }
    }
    Append(text, ids);
    Append(text, BaseName(port.byId));
    if (port.latencyMs > 1) {
        Append(text, strings.Format(ids::IDS_LATENCY_CAPTION, port.latencyMs));
    }
    return text;
}

std::string PortCaption(const PortInfo& port, const StringTable& strings) {
    const std::string description = PortDescription(port, strings);
    if (description.empty()) {
        return port.name;
    }
    return port.name + std::string(kSeparator) + description;
}

}  // namespace tavro::ui
