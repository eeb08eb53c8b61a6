#include "dialogs/connect/CDlgCom.h"

#include "dialogs/common/PortCaption.h"
#include "link/CComPort.h"
#include "link/Numbers.h"
#include "link/PortMessages.h"
#include "link/StatusBlock.h"
#include "link/StringIds.h"
#include "ui/CCtrlBatch.h"

namespace tavro {

namespace {

constexpr const char* kDeviceFolder = "/dev/";

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace

CDlgCom::CDlgCom(LinkContext& ctx, const ui::DialogServices& services, std::string defaultPath,
                 int defaultSpeed)
    : ctx_(ctx),
      services_(services),
      defaultPath_(std::move(defaultPath)),
      defaultSpeed_(defaultSpeed) {}

CDlgCom::~CDlgCom() {
    if (form_) {
        form_->SetListener(nullptr);
    }
}

int CDlgCom::DoModal(ui::Form* parent) {
    const int result =
        ui::RunModalDialog(services_, form_, kTemplate, parent, *this, [this] { OnInitDialog(); });
    return result == ui::kIdOk ? ui::kIdOk : ui::kIdCancel;
}

void CDlgCom::OnInitDialog() {
    ctx_.status.frontPhase = kFrontComSelect;
    ui::CCtrlBatch::ApplyCaptions(ui::CCtrlBatch::ComSelectTable(), *form_, ctx_.status.controlType,
                                  services_.strings);
    ports_ = CComPort(ctx_).EnumeratePorts();
    form_->ClearItems(IDC_PORT);
    if (ports_.empty()) {
        form_->AddItem(IDC_PORT, services_.strings.Text(ids::IDS_NOT_AVAILABLE));
    }
    for (const PortInfo& port : ports_) {
        form_->AddItem(IDC_PORT, ui::PortCaption(port, services_.strings));
    }
    form_->SetCurrentItem(IDC_PORT, CComPort::FindPort(ports_, defaultPath_));
    form_->SetCurrentItem(IDC_SPEED, form_->FindItem(IDC_SPEED, Format("%d", defaultSpeed_)));
    ShowLatencyNote();
}

void CDlgCom::OnSelectionChanged(ui::ControlId id) {
    if (id == IDC_PORT) {
        ShowLatencyNote();
    }
}

void CDlgCom::ShowLatencyNote() {
    const int index = form_->CurrentItem(IDC_PORT);
    const PortInfo* port = index >= 0 && static_cast<std::size_t>(index) < ports_.size()
                               ? &ports_[static_cast<std::size_t>(index)]
                               : nullptr;
    const bool slow = port != nullptr && port->latencyMs > 1 && !port->latencyFile.empty();
    if (slow) {
        form_->SetText(IDC_LATENCY_NOTE, services_.strings.Format(ids::IDS_LATENCY_HINT, port->name,
                                                                  port->latencyMs));
        form_->SetText(IDC_LATENCY_COMMAND, LowerLatencyCommand(port->latencyFile));
    }
    form_->SetVisible(IDC_LATENCY_NOTE, slow);
    form_->SetVisible(IDC_LATENCY_COMMAND, slow);
}

void CDlgCom::OnClicked(ui::ControlId id) {
    if (id == IDC_NEXT) {
        Next();
    } else if (id == IDC_CANCEL) {
        form_->EndModal(ui::kIdCancel);
    }
}

void CDlgCom::Next() {
    choice_.speed = Atoi(form_->Text(IDC_SPEED));
    choice_.path = ChosenPath();
    form_->EndModal(ui::kIdOk);
}

std::string CDlgCom::ChosenPath() const {
    const std::string text = form_->Text(IDC_PORT);
    if (text == services_.strings.Text(ids::IDS_NOT_AVAILABLE)) {
        return {};
    }
    const int index = form_->CurrentItem(IDC_PORT);
    if (index >= 0 && static_cast<std::size_t>(index) < ports_.size() &&
        form_->ItemText(IDC_PORT, index) == text) {
        return ports_[static_cast<std::size_t>(index)].path;
    }
    // Typed into an editable list: a port's name, a device name or a whole path.
    const std::string typed = Trimmed(text);
    if (typed.empty()) {
        return {};
    }
    for (const PortInfo& port : ports_) {
        if (port.name == typed || ui::PortCaption(port, services_.strings) == typed) {
            return port.path;
        }
    }
    if (typed.front() == '/') {
        return typed;
    }
    return kDeviceFolder + typed;
}

}  // namespace tavro
