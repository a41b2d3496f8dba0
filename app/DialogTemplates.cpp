// The dialogs of the program. Item numbers are the ones the program's code uses;
// items after them are labels.
#include "app/Templates.h"
#include "platform/Dialogs.h"

namespace {

DialogItemTemplate Button(Rect r, const char* title) { return {DialogItemKind::kButton, r, title}; }
DialogItemTemplate Label(Rect r, const char* text) { return {DialogItemKind::kStaticText, r, text, false}; }
DialogItemTemplate Field(Rect r, const char* text) { return {DialogItemKind::kEditText, r, text}; }
DialogItemTemplate CheckBox(Rect r, const char* title) { return {DialogItemKind::kCheckBox, r, title}; }
DialogItemTemplate Radio(Rect r) { return {DialogItemKind::kRadioButton, r, ""}; }
DialogItemTemplate UserArea(Rect r) { return {DialogItemKind::kUserItem, r, ""}; }
DialogItemTemplate Popup(Rect r, int16_t menuId) {
    return {DialogItemKind::kPopup, r, "", true, menuId, 1};
}

// A modal dialog of the given size, centred on the screen.
DialogTemplate Modal(int16_t id, const char* title, int width, int height) {
    DialogTemplate t;
    t.id = id;
    t.title = title;
    t.bounds = MakeRect(0, 0, width, height);
    t.centered = true;
    return t;
}

// 1 OK; the rest tells what scopecam is and how the keys of the desktop map.
void RegisterAboutBox() {
    DialogTemplate t = Modal(128, "About scopecam", 440, 270);
    t.cancelItem = 1;
    t.items = {
        Button(MakeRect(350, 228, 420, 250), "OK"),
        Label(MakeRect(20, 16, 420, 34), "scopecam " SCOPECAM_VERSION),
        Label(MakeRect(20, 42, 420, 94),
              "Live video, levels and histograms, de-Bayering, focus aid, autoguiding and "
              "long exposures with a webcam on a telescope."),
        Label(MakeRect(20, 104, 420, 220),
              "Modifier keys:\n"
              "command = Ctrl (menu shortcuts; Ctrl+Q quits)\n"
              "shift = Shift\n"
              "option = Alt\n"
              "control = Super, or the right mouse button"),
    };
    RegisterDialogTemplate(t);
}

// Modeless, drawn mostly by the program: 1-5 the histogram scale (in the cells it
// leaves open at y 190), 6 automatic levels, 7 reset levels, 8 the histograms and
// level sliders.
void RegisterHistogramsDialog() {
    DialogTemplate t;
    t.id = 129;
    t.title = "Histograms";
    t.bounds = MakeRect(340, 562, 930, 782);
    t.centered = false;
    t.defaultItem = 0;
    for (int i = 0; i < 5; ++i) {
        const int left = 132 + 60 * i;
        t.items.push_back(Radio(MakeRect(left, 190, left + 12, 202)));
    }
    t.items[2].value = 1;
    t.items.push_back(Button(MakeRect(430, 190, 500, 210), "Auto"));
    t.items.push_back(Button(MakeRect(510, 190, 580, 210), "Reset"));
    t.items.push_back(UserArea(MakeRect(0, 0, 590, 190)));
    RegisterDialogTemplate(t);
}

// 1 OK, 2 the text file names begin with, 3 start the numbering again. Serves both
// pictures and movies.
void RegisterFileNamesDialog() {
    DialogTemplate t = Modal(130, "File Names", 400, 150);
    t.items = {
        Button(MakeRect(310, 110, 380, 132), "OK"),
        Field(MakeRect(20, 44, 380, 68), "Untitled"),
        CheckBox(MakeRect(20, 78, 380, 96), "Start the numbering again at 000"),
        Label(MakeRect(20, 16, 380, 34), "File names begin with:"),
    };
    t.items[2].value = 1;
    RegisterDialogTemplate(t);
}

// 1 quit, 2 go on without a camera, 3 use the simulated sky instead (hidden when the
// program cannot make it).
void RegisterNoCameraDialog() {
    DialogTemplate t = Modal(131, "No Camera", 440, 150);
    t.items = {
        Button(MakeRect(350, 110, 420, 132), "Quit"),
        Button(MakeRect(170, 110, 340, 132), "Go On Without Camera"),
        Button(MakeRect(20, 110, 160, 132), "Simulated Sky"),
        Label(MakeRect(20, 16, 420, 96),
              "No camera could be started. Quit scopecam, go on without a camera (the "
              "menus, keys, serial control and windows keep working), or watch the "
              "simulated sky instead."),
    };
    RegisterDialogTemplate(t);
}

// 1 OK, 2 Cancel, 3-10 what ports 0-7 are used for. The program writes each port's
// path at the left of its pop-up (baseline 55 + 30 per port).
void RegisterSerialPortsDialog() {
    DialogTemplate t = Modal(132, "Serial Ports", 500, 330);
    t.cancelItem = 2;
    t.items = {
        Button(MakeRect(410, 290, 480, 312), "OK"),
        Button(MakeRect(320, 290, 390, 312), "Cancel"),
    };
    for (int port = 0; port < 8; ++port) {
        const int top = 40 + 30 * port;
        t.items.push_back(Popup(MakeRect(180, top, 480, top + 22), kPortUseMenuId));
    }
    t.items.push_back(Label(MakeRect(10, 12, 480, 30), "What each serial port is used for:"));
    RegisterDialogTemplate(t);
}

// 1 start, 2 cancel, 3 the number of exposures.
void RegisterBatchDialog() {
    DialogTemplate t = Modal(133, "Batch Capture", 380, 130);
    t.cancelItem = 2;
    t.items = {
        Button(MakeRect(290, 90, 360, 112), "Start"),
        Button(MakeRect(200, 90, 270, 112), "Cancel"),
        Field(MakeRect(20, 44, 120, 68), "1"),
        Label(MakeRect(20, 16, 360, 34), "Number of long exposures to take and save:"),
    };
    RegisterDialogTemplate(t);
}

}  // namespace

void RegisterDialogTemplates() {
    RegisterAboutBox();
    RegisterHistogramsDialog();
    RegisterFileNamesDialog();
    RegisterNoCameraDialog();
    RegisterSerialPortsDialog();
    RegisterBatchDialog();
}
