#include "link/PortMessages.h"

#include <cstring>

#include "link/StringIds.h"

namespace tavro {

namespace {

// Probes every new serial adapter for a modem and holds it meanwhile.
constexpr const char* kModemProber = "ModemManager";
// Where a rule that keeps the prober away from one adapter goes.
constexpr const char* kProberRuleFile = "/etc/udev/rules.d/99-tavro.rules";

std::string ErrorName(int error) {
    const char* name = error != 0 ? ::strerrorname_np(error) : nullptr;
    return name != nullptr ? name : std::to_string(error);
}

// Commands and rules are typed as they stand in every language, so they are arguments of the
// texts rather than part of them.
std::string JoinGroupCommand(const std::string& group, const std::string& user) {
    return "sudo usermod -aG " + group + " " + user;
}

std::string StopProberCommand() {
    return std::string("sudo systemctl stop ") + kModemProber;
}

std::string ProberRule(const std::string& vendor, const std::string& product) {
    return "ATTRS{idVendor}==\"" + vendor + "\", ATTRS{idProduct}==\"" + product +
           "\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"";
}

}  // namespace

LinkMessage OpenFailureMessage(const OpenError& e) {
    switch (e.kind) {
        case OpenFailure::kNone:
            return {};
        case OpenFailure::kNotFound:
            if (e.path.empty()) {
                return {ids::IDS_NO_PORT, {}};
            }
            return {ids::IDS_PORT_NOT_FOUND, {e.path}};
        case OpenFailure::kNotATerminal:
            return {ids::IDS_PORT_NOT_A_TERMINAL, {e.path}};
        case OpenFailure::kUnsupportedSpeed:
            return {ids::IDS_PORT_SPEED, {e.baud}};
        case OpenFailure::kPermissionDenied:
            if (e.group.empty()) {
                return {ids::IDS_PORT_PERMISSION_NO_GROUP, {e.path}};
            }
            return {ids::IDS_PORT_PERMISSION, {e.path, e.group, JoinGroupCommand(e.group, e.user)}};
        case OpenFailure::kBusy:
            if (e.holderPid == 0) {
                return {ids::IDS_PORT_IN_USE, {e.path}};
            }
            if (e.holderName == kModemProber) {
                if (!e.usbVendor.empty()) {
                    return {ids::IDS_PORT_HELD_BY_PROBER_USB,
                            {e.path, e.holderName, e.holderPid, std::string(kProberRuleFile),
                             ProberRule(e.usbVendor, e.usbProduct), StopProberCommand()}};
                }
                return {ids::IDS_PORT_HELD_BY_PROBER,
                        {e.path, e.holderName, e.holderPid, StopProberCommand()}};
            }
            return {ids::IDS_PORT_HELD, {e.path, e.holderName, e.holderPid}};
        case OpenFailure::kConfiguration:
        case OpenFailure::kIo:
            break;
    }
    return {ids::IDS_PORT_SETUP, {e.path, ErrorName(e.error)}};
}

std::string LowerLatencyCommand(const std::string& latencyFile) {
    return "echo 1 | sudo tee " + latencyFile;
}

}  // namespace tavro
