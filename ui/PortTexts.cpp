#include "ui/PortTexts.h"

#include <algorithm>
#include <cstring>

namespace tavro::ui {

namespace {

constexpr int IDS_PORT_IN_USE = 217;
constexpr int IDS_PORT_SPEED = 218;
constexpr int IDS_PORT_ERROR = 219;
constexpr int IDS_PORT_ON_BOARD = 220;
constexpr int IDS_PORT_USB_MODEM = 221;
constexpr int IDS_PORT_BLUETOOTH = 222;
constexpr int IDS_PORT_USB_ID = 223;
constexpr int IDS_PORT_SIMULATED_ONE = 224;
constexpr int IDS_PORT_SIMULATED_MANY = 225;
constexpr int IDS_PORT_NONE = 226;
constexpr int IDS_PORT_MISSING = 227;
constexpr int IDS_PORT_NOT_SERIAL = 228;
constexpr int IDS_PORT_PERMISSION = 229;

}  // namespace

std::string PortDescription(const PortInfo& port, const StringTable& strings) {
    switch (port.kind) {
        case PortKind::kNamed:
            return port.detail;
        case PortKind::kOnBoard:
            return std::string(strings.Text(IDS_PORT_ON_BOARD));
        case PortKind::kUsbModem:
            return std::string(strings.Text(IDS_PORT_USB_MODEM));
        case PortKind::kBluetooth:
            return std::string(strings.Text(IDS_PORT_BLUETOOTH));
        case PortKind::kUsbId:
            return strings.Format(IDS_PORT_USB_ID, port.detail);
        case PortKind::kSimulated: {
            const bool many =
                std::find(port.detail.begin(), port.detail.end(), ',') != port.detail.end();
            return strings.Format(many ? IDS_PORT_SIMULATED_MANY : IDS_PORT_SIMULATED_ONE,
                                  port.detail);
        }
        case PortKind::kUnknown:
            break;
    }
    return {};
}

std::string PortOpenReason(const OpenError& error, const StringTable& strings) {
    switch (error.kind) {
        case OpenFailure::kNone:
            return {};
        case OpenFailure::kNotFound:
            return error.path.empty() ? std::string(strings.Text(IDS_PORT_NONE))
                                      : strings.Format(IDS_PORT_MISSING, error.path);
        case OpenFailure::kNotATerminal:
            return strings.Format(IDS_PORT_NOT_SERIAL, error.path);
        case OpenFailure::kPermissionDenied:
            return strings.Format(IDS_PORT_PERMISSION, error.path);
        case OpenFailure::kBusy:
            return strings.Format(IDS_PORT_IN_USE, error.path);
        case OpenFailure::kUnsupportedSpeed:
            return strings.Format(IDS_PORT_SPEED, error.baud);
        case OpenFailure::kConfiguration:
        case OpenFailure::kIo:
            break;
    }
    // The system's own words for the error, as it gives them.
    return strings.Format(IDS_PORT_ERROR, error.path, std::strerror(error.error));
}

}  // namespace tavro::ui
