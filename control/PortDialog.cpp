// The port dialog: the observer gives each listed serial port a function. Every run
// closes everything first and lists the ports afresh, so a port added or removed
// between two dialogs shows up or drops out.
#include "control/SerialInterface.h"
#include "platform/Dialogs.h"
#include "platform/QuickDraw.h"

namespace {

constexpr int16_t kOKItem = 1;
constexpr int16_t kCancelItem = 2;
// Port i's popup is item kFirstPopupItem + i.
constexpr int16_t kFirstPopupItem = 3;

// Where each port's path is written, beside its popup.
constexpr int kPathLeft = 10;
constexpr int kFirstPathBaseline = 55;
constexpr int kPathSpacing = 30;
constexpr int kPathTextSize = 9;
constexpr int kDialogTextSize = 12;

ControlHandle PopupOf(DialogPtr dialog, size_t port) {
    ControlHandle item = nullptr;
    GetDialogItem(dialog, static_cast<int16_t>(kFirstPopupItem + port), nullptr, &item, nullptr);
    return item;
}

}  // namespace

void SerialInterface::Configure() {
    size_t count = static_cast<size_t>(BeginPortConfiguration());
    DialogPtr dialog = GetNewDialog(kPortDialogId, nullptr, kInFront);
    if (dialog == nullptr) {
        FinishPortConfiguration(nullptr);
        return;
    }
    SetDialogDefaultItem(dialog, kOKItem);
    SetDialogCancelItem(dialog, kCancelItem);
    for (size_t i = count; i < static_cast<size_t>(kMaxPorts); ++i)
        HideDialogItem(dialog, static_cast<int16_t>(kFirstPopupItem + i));
    for (size_t i = 0; i < count; ++i) SetControlValue(PopupOf(dialog, i), static_cast<int16_t>(portFunctions[i]));

    ShowWindow(GetDialogWindow(dialog));
    SetPort(GetDialogPort(dialog));
    DrawPortPaths(count);

    // Hits on the popups are the popups' own business.
    int16_t itemHit = 0;
    while (itemHit != kOKItem && itemHit != kCancelItem) ModalDialog(nullptr, &itemHit);

    if (itemHit == kOKItem) {
        std::vector<int32_t> chosen;
        for (size_t i = 0; i < count; ++i) chosen.push_back(GetControlValue(PopupOf(dialog, i)));
        FinishPortConfiguration(&chosen);
    } else {
        FinishPortConfiguration(nullptr);
    }
    DisposeDialog(dialog);
}

int SerialInterface::BeginPortConfiguration() {
    ProcessFutureMessages(true);
    Close(-1);
    FreePortPaths();
    std::vector<SerialPortEntry> services;
    bool matched = false;
    if (FindRS232Ports(&services, matched) == 0 && matched) GetPortPaths(services, kPathBufferSize);
    FitFunctionsToPorts(portPaths.size());
    return static_cast<int>(portPaths.size());
}

void SerialInterface::FinishPortConfiguration(const std::vector<int32_t>* chosen) {
    size_t count = portPaths.size();
    if (chosen) OpenChosenPorts(*chosen);
    FreePortPaths();
    if (chosen && count > 0) {
        InitializeSV203();
        TurnExposureOff(true);
        TurnAmpOn(true);
    }
}

// A port keeps the function it had at the last dialog while it is listed at the same
// place; new places start unused.
void SerialInterface::FitFunctionsToPorts(size_t count) { portFunctions.resize(count, kNoFtn); }

// A port that cannot be opened is recorded as unused, so the next dialog shows it so.
void SerialInterface::OpenChosenPorts(const std::vector<int32_t>& chosen) {
    size_t count = portPaths.size();
    portDescriptors.assign(count, -1);
    savedSettings.assign(count, TerminalSettings{});
    for (size_t i = 0; i < count; ++i) {
        int32_t value = i < chosen.size() ? chosen[i] : kNoFtn;
        if (value == kNoFtn || !OpenPort(portPaths[i].c_str(), static_cast<int>(i))) {
            portDescriptors[i] = -1;
            portFunctions[i] = kNoFtn;
        } else {
            portFunctions[i] = static_cast<SerialPortFtn>(value);
        }
    }
}

void SerialInterface::FreePortPaths() {
    portPaths.clear();
    portLabels.clear();
}

std::string SerialInterface::PortDisplayText(size_t i) const {
    std::string text = portPaths[i];
    if (i < portLabels.size() && !portLabels[i].empty()) text += " (" + portLabels[i] + ")";
    return text;
}

// Drawn once when the dialog appears; the dialog's own redrawing leaves it alone.
void SerialInterface::DrawPortPaths(size_t count) {
    TextSize(kPathTextSize);
    for (size_t i = 0; i < count; ++i) {
        Str255 text;
        CopyCStringToPascal(PortDisplayText(i), text);
        MoveTo(kPathLeft, kFirstPathBaseline + kPathSpacing * static_cast<int>(i));
        DrawString(text);
    }
    TextSize(kDialogTextSize);
}
