// The menu bar: its installation with the marks taken from the present settings, and
// one handler per menu.
#include <cmath>

#include "app/MainObject.h"
#include "platform/Dialogs.h"
#include "platform/Menus.h"

namespace {

enum MenuId : int16_t {
    kAppleMenu = 128,
    kFileMenu = 129,
    kEditMenu = 130,
    kDebayerizeMenu = 131,
    kMiscMenu = 132,
    kViewMenu = 133,
};

// The resource type of desk accessories, the four characters "DRVR".
constexpr uint32_t kDeskAccessoryType = uint32_t('D') << 24 | uint32_t('R') << 16 | uint32_t('V') << 8 | uint32_t('R');

// Items that take a value: the item of value 0 and the values after it.
constexpr int16_t kBayerPatternItemBase = 3;
constexpr int16_t kDebayerAlgItemBase = 8;
constexpr int16_t kChannelItemBase = 19;
constexpr int16_t kChannelItemLast = 22;

void CheckItem(int16_t menu, int16_t item, bool checked) {
    if (MenuHandle m = GetMenuHandle(menu)) CheckMenuItem(m, item, checked);
}

void EnableItem(int16_t menu, int16_t item) {
    if (MenuHandle m = GetMenuHandle(menu)) EnableMenuItem(m, item);
}

void DisableItem(int16_t menu, int16_t item) {
    if (MenuHandle m = GetMenuHandle(menu)) DisableMenuItem(m, item);
}

// The item that marks a power-of-two square of side dim: base + log2(dim), computed in
// floating point and truncated.
int16_t Pow2Item(int base, int dim) { return static_cast<int16_t>(base + std::log2(static_cast<double>(dim))); }

void ShowAndSelect(WindowPtr w) {
    if (w == nullptr) return;
    ShowWindow(w);
    SelectWindow(w);
}

}  // namespace

void MainObject::MenuBarInit() {
    SetMenuBar(GetNewMBar(128));
    // Linux has no desk accessories and no application menu of its own: the File menu
    // keeps its Quit item.
    AppendResMenu(GetMenuHandle(kAppleMenu), kDeskAccessoryType);
    DisableItem(kFileMenu, 5);
    DisableItem(kFileMenu, 9);
    DisableItem(kFileMenu, 10);
    DisableItem(kMiscMenu, 4);
    DisableItem(kViewMenu, 15);
    CheckItem(kDebayerizeMenu, 1, rawFrameProcessor->GetDebayerize());
    CheckItem(kDebayerizeMenu, kBayerPatternItemBase + rawFrameProcessor->GetBayerPattern(), true);
    CheckItem(kDebayerizeMenu, kDebayerAlgItemBase + rawFrameProcessor->GetDebayerAlg(), true);
    CheckItem(kMiscMenu, 8, autoGuider->GetDecDisabled());
    CheckItem(kMiscMenu, 9, !autoGuider->GetNorthIsUp());
    CheckItem(kMiscMenu, 10, !autoGuider->GetEastIsRight());
    CheckItem(kMiscMenu, Pow2Item(pow2MenuItemBase, frameWindowsGroup->GetPow2Dim()), true);
    CheckItem(kViewMenu, kChannelItemBase, true);
    DrawMenuBar();
}

void MainObject::HandleMenuChoice(long choice) {
    if (choice == 0) return;
    auto menu = static_cast<int16_t>(choice >> 16);
    auto item = static_cast<int16_t>(choice & 0xFFFF);
    switch (menu) {
        case kAppleMenu:
            HandleAppleChoice(item);
            break;
        case kFileMenu:
            HandleFileChoice(item);
            break;
        case kEditMenu:
            HandleEditChoice(item);
            break;
        case kDebayerizeMenu:
            HandleDebayerizeChoice(item);
            break;
        case kMiscMenu:
            HandleMiscChoice(item);
            break;
        case kViewMenu:
            HandleViewChoice(item);
            break;
        default:
            break;
    }
    HiliteMenu(0);
}

void MainObject::HandleAppleChoice(short item) {
    if (item == 1) DoAboutBox();
}

void MainObject::HandleFileChoice(short item) {
    switch (item) {
        case 1:
            if (WindowPtr w = FrontWindow()) HideWindow(w);
            break;
        case 3:
            if (webcamInterface->SetSaveMovieLocation()) EnableItem(kFileMenu, 5);
            break;
        case 4:
            webcamInterface->GetSaveMovieFileHeader();
            break;
        case 5:
            if (!webcamInterface->GetRecordingMovie()) {
                webcamInterface->SaveMovie();
                movieStartTick = static_cast<int>(TickCount());
            }
            break;
        case 7:
            if (frameWindowsGroup->SetSavePictureLocation()) {
                EnableItem(kFileMenu, 9);
                EnableItem(kFileMenu, 10);
            }
            break;
        case 8:
            frameWindowsGroup->GetSavePictureFileHeader();
            break;
        case 9:
            frameWindowsGroup->SavePresentPicture(rawFrameProcessor->GetLastFrameDuration());
            break;
        case 10:
            rawFrameProcessor->DoBatchCaptureDialog(stopWatch);
            break;
        case 11:
            rawFrameProcessor->CancelBatch();
            stopWatch->ResetStopWatch();
            break;
        case 13:
            quit = true;
            break;
        default:
            break;
    }
}

// Nothing in the program edits: the menu is there for the desktop's conventions.
void MainObject::HandleEditChoice(short) {}

void MainObject::HandleDebayerizeChoice(short item) {
    if (item == 1) {
        rawFrameProcessor->ToggleDebayerize();
        CheckItem(kDebayerizeMenu, 1, rawFrameProcessor->GetDebayerize());
    } else if (item >= kBayerPatternItemBase && item <= kBayerPatternItemBase + 3) {
        CheckItem(kDebayerizeMenu, kBayerPatternItemBase + rawFrameProcessor->GetBayerPattern(), false);
        rawFrameProcessor->SetBayerPattern(static_cast<BayerColor>(item - kBayerPatternItemBase));
        CheckItem(kDebayerizeMenu, item, true);
    } else if (item >= kDebayerAlgItemBase && item <= kDebayerAlgItemBase + 2) {
        CheckItem(kDebayerizeMenu, kDebayerAlgItemBase + rawFrameProcessor->GetDebayerAlg(), false);
        rawFrameProcessor->SetDebayerAlgorithm(static_cast<DebayerAlg>(item - kDebayerAlgItemBase));
        CheckItem(kDebayerizeMenu, item, true);
    }
}

void MainObject::HandleMiscChoice(short item) {
    switch (item) {
        case 1:
            serialInterface->Configure();
            break;
        case 3:
            frameWindowsGroup->RetrieveAutoDetectLongExposureRect();
            break;
        case 4:
            frameWindowsGroup->DefineAutoDetectLongExposureRect(true, Point{-1, -1});
            stopWatch->ResetStopWatch();
            DisableItem(kMiscMenu, 4);
            break;
        case 7:
            frameWindowsGroup->DefineAutoGuideRect(true);
            autoGuider->SetNormalMode(true);
            break;
        case 8:
            autoGuider->ToggleDecGuiding();
            CheckItem(kMiscMenu, 8, autoGuider->GetDecDisabled());
            break;
        case 9:
            autoGuider->FlipAutoGuideNS();
            CheckItem(kMiscMenu, 9, !autoGuider->GetNorthIsUp());
            break;
        case 10:
            autoGuider->FlipAutoGuideEW();
            CheckItem(kMiscMenu, 10, !autoGuider->GetEastIsRight());
            break;
        case 13:
        case 14:
        case 15:
        case 16: {
            CheckItem(kMiscMenu, Pow2Item(pow2MenuItemBase, frameWindowsGroup->GetPow2Dim()), false);
            auto dim = static_cast<int>(std::pow(2.0, item - pow2MenuItemBase));
            frameWindowsGroup->SetPow2Dim(dim);
            CheckItem(kMiscMenu, Pow2Item(pow2MenuItemBase, dim), true);
            break;
        }
        case 5:
            rawFrameProcessor->BeginCutoffCalibration(dataWindow);
            break;
        default:
            break;
    }
}

void MainObject::HandleViewChoice(short item) {
    switch (item) {
        case 1:
            webcamInterface->DoWebcamSettingsDialog();
            break;
        case 15:
            frameWindowsGroup->DefineTarget(true);
            DisableItem(kViewMenu, 15);
            break;
        case 16:
            frameWindowsGroup->IncreaseTargetBrightness();
            break;
        case 17:
            frameWindowsGroup->DecreaseTargetBrightness();
            break;
        case 24:
            ShowAndSelect(frameWindowsGroup->GetRawFrameWindow());
            break;
        case 25:
            ShowAndSelect(frameWindowsGroup->GetLevelAdjustedFrameWindow());
            break;
        case 26:
            ShowAndSelect(frameWindowsGroup->GetChannelsWindow());
            break;
        case 27:
            ShowAndSelect(GetDialogWindow(histogramsDialog->GetHistogramsDialog()));
            break;
        case 28:
            ShowAndSelect(dataWindow->GetDataWindow());
            break;
        case 29:
            ShowAndSelect(frameWindowsGroup->GetFocusAidWindow());
            frameWindowsGroup->EraseFocusAidWindow();
            break;
        default:
            if (item >= kChannelItemBase && item <= kChannelItemLast) {
                for (int16_t i = kChannelItemBase; i <= kChannelItemLast; ++i) CheckItem(kViewMenu, i, false);
                rawFrameProcessor->SetChannel(item - kChannelItemBase);
                CheckItem(kViewMenu, item, true);
            }
            break;
    }
}

void MainObject::DoAboutBox() {
    DialogPtr dialog = GetNewDialog(128, nullptr, kInFront);
    if (dialog == nullptr) return;
    ShowWindow(GetDialogWindow(dialog));
    SetPort(GetDialogPort(dialog));
    SetDialogDefaultItem(dialog, 1);
    int16_t item = 0;
    do {
        ModalDialog(nullptr, &item);
    } while (item != 1 && !quit);
    DisposeDialog(dialog);
}
