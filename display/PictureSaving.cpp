// Picture saving: the present frame recorded as a picture and written as a picture
// file under a generated name, with the outcome shown in the raw frame window.
#include <algorithm>
#include <climits>
#include <cstdint>

#include "display/FrameWindowsGroup.h"
#include "image/GWorldWrapper.h"
#include "platform/Dialogs.h"
#include "platform/TextUtils.h"
#include "processing/RawFrameProcessor.h"

namespace {

constexpr int16_t kFileNamesDialogId = 130;
constexpr int16_t kFileNamesOkItem = 1;
constexpr int16_t kFileNamesHeaderItem = 2;
constexpr int16_t kFileNamesRestartItem = 3;

// The text across the raw frame window: the largest size from 35 down in steps of 5
// that fits the window less 20 pixels, but never below 5.
constexpr int kLargestTextSize = 35;
constexpr int kTextSizeStep = 5;
constexpr int kSmallestTextSize = 5;
constexpr int kTextMargin = 20;
// Room between the lines of the "NOT saved" notice.
constexpr int kLineGap = 6;

// A failed save beeps three times, far enough apart to be heard as three.
constexpr int kFailedSaveBeeps = 3;
constexpr uint32_t kTicksBetweenBeeps = 15;

void AppendText(StringPtr s, const char* text) {
    Str255 piece;
    CtoPascal(text, piece);
    PascalAppend(s, piece);
}

void AppendNumber(StringPtr s, long n) {
    Str255 digits;
    NumToString(n, digits);
    PascalAppend(s, digits);
}

// Whole seconds of an exposure, truncated towards zero, kept within 32 bits.
long WholeSeconds(double seconds) {
    return seconds >= static_cast<double>(INT32_MAX) ? INT32_MAX : static_cast<long>(seconds);
}

void WaitTicks(uint32_t ticks) {
    const uint32_t start = TickCount();
    while (TickCount() - start < ticks) {
    }
}

void BeepForFailedSave() {
    for (int i = 0; i < kFailedSaveBeeps; ++i) {
        if (i > 0) WaitTicks(kTicksBetweenBeeps);
        SysBeep(1);
    }
}

// Sets the largest text size, from largest down, at which text fits maxWidth; the
// current port's size is left at it.
int FitTextSize(ConstStr255Param text, int largest, int maxWidth) {
    int size = largest;
    TextSize(size);
    while (StringWidth(text) > maxWidth && size - kTextSizeStep >= kSmallestTextSize) {
        size -= kTextSizeStep;
        TextSize(size);
    }
    return size;
}

// One line of bold text centred on h at baseline v in colour, with a black copy one
// pixel right and down. Leaves the foreground black and the background white.
void DrawShadowedLine(ConstStr255Param text, int centreH, int v, long colour) {
    const int width = StringWidth(text);
    ForeColor(colour);
    MoveTo(centreH - width / 2, v);
    DrawString(text);
    ForeColor(blackColor);
    BackColor(whiteColor);
    MoveTo(centreH - width / 2 + 1, v + 1);
    DrawString(text);
}

}  // namespace

void FrameWindowsGroup::InitPictureSaving() {
    CtoPascal("Untitled", savePictureFileHeader);
    GetAppFSSpec(&savePictureLocation);
}

void FrameWindowsGroup::BuildSavePictureFileName(unsigned char* name, double seconds) {
    // The number and the seconds first: the header gives way to them.
    Str255 tail = {0};
    if (savePictureCount < 100) AppendText(tail, "0");
    if (savePictureCount < 10) AppendText(tail, "0");
    AppendNumber(tail, savePictureCount);
    savePictureCount += 1;
    if (seconds > 0.0) {
        AppendText(tail, "-");
        AppendNumber(tail, WholeSeconds(seconds));
        AppendText(tail, "secs");
    }
    name[0] = 0;
    if (savePictureFileHeader[0] > 0) {
        PascalCopy(savePictureFileHeader, name);
        MendFileName(name);
        CutPascal(name, kMaxFileNameLength - 1 - tail[0]);
        AppendText(name, "-");
    }
    PascalAppend(name, tail);
}

PictFileResult FrameWindowsGroup::SavePresentPicture(double seconds) {
    PicHandle picture = RecordPresentPicture();
    // Every name tried uses up its number; the one written last is the one shown.
    Str255 name = {0};
    const PictFileResult result =
        AutoPictToNextFreeName(picture, savePictureLocation, [&](StringPtr next) {
            BuildSavePictureFileName(next, seconds);
            PascalCopy(next, name);
        });
    KillPicture(picture);
    if (result.Saved()) {
        SysBeep(1);
    } else {
        BeepForFailedSave();
    }
    ShowSaveInRawFrameWindow(name, result);
    // One turn for the platform, so that the window shows it; the event taken is not
    // handled.
    EventRecord event;
    WaitNextEvent(everyEvent, &event, 0, nullptr);
    return result;
}

// The frame at the buffer's full size and nothing else: no name, overlay, levels or
// de-Bayering. The copy is recorded, not drawn, and the raw frame window's clip stays
// the frame's rectangle.
PicHandle FrameWindowsGroup::RecordPresentPicture() {
    const bool longExposure = rawFrameProcessor->GetAutoDetectLongExposureRect().left != -1;
    GWorldWrapper* frame = longExposure ? longExposureFrame : rawFrame;
    const Rect r = longExposure ? levelAdjustedFrame->GetDim() : rawFrame->GetDim();
    SetPort(GetWindowPort(rawFrameWindow));
    ForeColor(blackColor);
    BackColor(whiteColor);
    PicHandle picture = OpenPicture(&r);
    ClipRect(&r);
    frame->CopyWorldBits(r);
    ClosePicture();
    return picture;
}

// The frame as a negative (white foreground on black), then the name in large bold
// letters; after a failure the words "NOT saved" in red above the name and the reason
// below it. The window keeps this until the next frame is drawn into it.
void FrameWindowsGroup::ShowSaveInRawFrameWindow(ConstStr255Param name, const PictFileResult& result) {
    SetPort(GetWindowPort(rawFrameWindow));
    ForeColor(whiteColor);
    BackColor(blackColor);
    DrawRawFrameWindow();
    Rect p;
    GetPortBounds(GetWindowPort(rawFrameWindow), &p);
    const int maxWidth = p.right - kTextMargin;
    TextFace(bold);
    if (result.Saved()) {
        FitTextSize(name, kLargestTextSize, maxWidth);
        DrawShadowedLine(name, p.right / 2, p.bottom / 2 + 12, whiteColor);
    } else {
        Str255 headline;
        CtoPascal("NOT saved", headline);
        Str255 why;
        CtoPascal(DescribePictFileStatus(result.status), why);
        const ConstStr255Param lines[] = {headline, name, why};
        const long colours[] = {redColor, whiteColor, whiteColor};
        int sizes[3];
        int height = 0;
        for (int i = 0; i < 3; ++i) {
            sizes[i] = FitTextSize(lines[i], kLargestTextSize, maxWidth);
            height += sizes[i] + (i > 0 ? kLineGap : 0);
        }
        // The three lines centred on the window's middle, each baseline one text size
        // below the top of its line.
        int top = p.bottom / 2 - height / 2;
        for (int i = 0; i < 3; ++i) {
            TextSize(sizes[i]);
            DrawShadowedLine(lines[i], p.right / 2, top + sizes[i], colours[i]);
            top += sizes[i] + kLineGap;
        }
    }
    TextSize(12);
    TextFace(normal);
}

void FrameWindowsGroup::GetSavePictureFileHeader() {
    DialogPtr dialog = GetNewDialog(kFileNamesDialogId, nullptr, kInFront);
    if (dialog == nullptr) return;
    ShowWindow(GetDialogWindow(dialog));
    SetPort(GetDialogPort(dialog));
    SetDialogDefaultItem(dialog, kFileNamesOkItem);
    ControlHandle header = nullptr;
    ControlHandle restart = nullptr;
    GetDialogItem(dialog, kFileNamesHeaderItem, nullptr, &header, nullptr);
    GetDialogItem(dialog, kFileNamesRestartItem, nullptr, &restart, nullptr);
    SetDialogItemText(header, savePictureFileHeader);
    SetControlValue(restart, 1);
    int16_t item = 0;
    do {
        ModalDialog(nullptr, &item);
        if (item == kFileNamesRestartItem) SetControlValue(restart, GetControlValue(restart) ? 0 : 1);
    } while (item != kFileNamesOkItem);
    GetDialogItemText(header, savePictureFileHeader);
    if (GetControlValue(restart)) savePictureCount = 0;
    DisposeDialog(dialog);
}

bool FrameWindowsGroup::SetSavePictureLocation() { return ChooseFolder(savePictureLocation); }
