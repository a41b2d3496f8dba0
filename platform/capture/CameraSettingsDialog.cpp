#include "platform/capture/CameraSettingsDialog.h"

#include <algorithm>

#include "platform/Menus.h"
#include "platform/NightPalette.h"
#include "platform/QuickDraw.h"
#include "platform/TextUtils.h"

namespace {

constexpr int kWidth = 480;
constexpr int kTop = 16;
constexpr int kRowHeight = 28;
constexpr int kItemHeight = 20;
constexpr int kLabelLeft = 16, kLabelRight = 196;
constexpr int kControlLeft = 204, kControlRight = 404;
constexpr int kValueLeft = 412, kValueRight = kWidth - 10;
constexpr int kThumbHalfWidth = 4;

// The dialog that runs: its user items (the sliders) draw from it.
struct Session {
    CaptureSource* source = nullptr;
    DialogPtr dialog = nullptr;
    std::vector<CameraControl> controls;
};
Session* sSession = nullptr;

size_t RowOf(int16_t item) { return static_cast<size_t>((item - 3) / 3); }

Rect ItemBox(DialogPtr dialog, int16_t item) {
    Rect box;
    GetDialogItem(dialog, item, nullptr, nullptr, &box);
    return box;
}

ControlHandle ItemHandle(DialogPtr dialog, int16_t item) {
    ControlHandle handle = nullptr;
    GetDialogItem(dialog, item, nullptr, &handle, nullptr);
    return handle;
}

int ThumbCentre(const CameraControl& c, const Rect& box) {
    const int travel = RectWidth(box) - 2 * kThumbHalfWidth - 1;
    const int64_t span = int64_t(c.maximum) - c.minimum;
    const int64_t at = span > 0 ? (int64_t(std::clamp(c.value, c.minimum, c.maximum)) - c.minimum) * travel / span : 0;
    return box.left + kThumbHalfWidth + static_cast<int>(at);
}

// A track across the item and a thumb at the value; dim when the camera would not
// take a change now.
void DrawSlider(DialogPtr dialog, int16_t item) {
    if (sSession == nullptr || dialog != sSession->dialog) return;
    const CameraControl& c = sSession->controls[RowOf(item)];
    const Rect box = ItemBox(dialog, item);
    RGBBackColor(&night::kBackground);
    EraseRect(&box);
    const bool dim = c.readOnly || c.inactive;
    RGBForeColor(dim ? &night::kDimText : &night::kFrame);
    const int middle = (box.top + box.bottom) / 2;
    MoveTo(box.left + kThumbHalfWidth, middle);
    LineTo(box.right - kThumbHalfWidth - 1, middle);
    const int x = ThumbCentre(c, box);
    Rect thumb = MakeRect(x - kThumbHalfWidth, box.top + 2, x + kThumbHalfWidth + 1, box.bottom - 2);
    RGBForeColor(dim ? &night::kDimText : &night::kText);
    PaintRect(&thumb);
}

void ShowValue(DialogPtr dialog, size_t row, const CameraControl& c) {
    const int16_t item = CameraSettingsLayout::ControlItem(row);
    switch (c.kind) {
        case CameraControlKind::kSlider: {
            Str255 text;
            NumToString(c.value, text);
            SetDialogItemText(ItemHandle(dialog, CameraSettingsLayout::ValueItem(row)), text);
            DrawSlider(dialog, item);
            break;
        }
        case CameraControlKind::kCheckBox:
            SetControlValue(ItemHandle(dialog, item), c.value ? 1 : 0);
            break;
        case CameraControlKind::kPopup: {
            auto at = std::find_if(c.choices.begin(), c.choices.end(),
                                   [&](const CameraControlChoice& choice) { return choice.value == c.value; });
            if (at != c.choices.end()) SetControlValue(ItemHandle(dialog, item), static_cast<int16_t>(1 + (at - c.choices.begin())));
            break;
        }
    }
}

// Reads the settings back from the camera (one change may move others, as an
// automatic mode does) and shows them.
void Refresh(Session& s) {
    std::vector<CameraControl> now = s.source->Controls();
    for (size_t row = 0; row < s.controls.size(); ++row) {
        auto fresh = std::find_if(now.begin(), now.end(), [&](const CameraControl& c) { return c.id == s.controls[row].id; });
        if (fresh != now.end()) {
            s.controls[row].value = fresh->value;
            s.controls[row].inactive = fresh->inactive;
        }
        ShowValue(s.dialog, row, s.controls[row]);
    }
}

bool Apply(Session& s, const CameraControl& c, int32_t value) {
    if (s.source->SetControl(c.id, value)) return true;
    SysBeep(1);
    return false;
}

// Follows the mouse while the button is held, setting the camera as it goes.
void TrackSlider(Session& s, size_t row) {
    CameraControl& c = s.controls[row];
    const Rect box = ItemBox(s.dialog, CameraSettingsLayout::ControlItem(row));
    SetPort(GetDialogPort(s.dialog));
    do {
        Point mouse;
        GetMouse(&mouse);
        const int32_t value = SliderValueAt(c, box, mouse.h);
        if (value != c.value) {
            if (!s.source->SetControl(c.id, value)) {
                SysBeep(1);
                break;
            }
            c.value = value;
            ShowValue(s.dialog, row, c);
        }
    } while (StillDown());
}

void HandleHit(Session& s, int16_t item) {
    if (item == CameraSettingsLayout::kDefaultsItem) {
        for (const CameraControl& c : s.controls)
            if (!c.readOnly && c.value != c.defaultValue) s.source->SetControl(c.id, c.defaultValue);
        Refresh(s);
        return;
    }
    const size_t row = RowOf(item);
    if (item < 3 || row >= s.controls.size() || item != CameraSettingsLayout::ControlItem(row)) return;
    const CameraControl& c = s.controls[row];
    switch (c.kind) {
        case CameraControlKind::kSlider:
            TrackSlider(s, row);
            break;
        case CameraControlKind::kCheckBox:
            Apply(s, c, c.value ? 0 : 1);
            break;
        case CameraControlKind::kPopup: {
            const int16_t chosen = GetControlValue(ItemHandle(s.dialog, item));
            if (chosen >= 1 && static_cast<size_t>(chosen) <= c.choices.size()) Apply(s, c, c.choices[chosen - 1].value);
            break;
        }
    }
    Refresh(s);
}

}  // namespace

int32_t SliderValueAt(const CameraControl& c, const Rect& box, int h) {
    const int travel = RectWidth(box) - 2 * kThumbHalfWidth - 1;
    const int64_t span = int64_t(c.maximum) - c.minimum;
    if (span <= 0 || travel <= 0) return c.minimum;
    const int64_t along = std::clamp<int64_t>(h - (box.left + kThumbHalfWidth), 0, travel);
    const int64_t raw = c.minimum + (along * span + travel / 2) / travel;
    const int64_t step = std::max<int32_t>(c.step, 1);
    const int64_t stepped = c.minimum + (raw - c.minimum + step / 2) / step * step;
    return static_cast<int32_t>(std::min<int64_t>(stepped, c.maximum));
}

CameraSettingsLayout LayoutCameraSettings(const std::vector<CameraControl>& controls) {
    CameraSettingsLayout layout;
    DialogTemplate& t = layout.dialog;
    t.id = CameraSettingsLayout::kDialogId;
    t.title = "Camera Settings";
    t.centered = true;
    t.defaultItem = CameraSettingsLayout::kDoneItem;
    t.cancelItem = CameraSettingsLayout::kDoneItem;
    const int rows = std::max<int>(1, static_cast<int>(controls.size()));
    const int bottom = kTop + rows * kRowHeight + 16;
    t.bounds = MakeRect(0, 0, kWidth, bottom + 36);
    t.items.push_back({DialogItemKind::kButton, MakeRect(kWidth - 90, bottom, kWidth - 20, bottom + 22), "Done"});
    t.items.push_back({DialogItemKind::kButton, MakeRect(kWidth - 190, bottom, kWidth - 100, bottom + 22), "Defaults"});
    if (controls.empty()) {
        t.items.push_back({DialogItemKind::kStaticText, MakeRect(kLabelLeft, kTop, kWidth - 16, kTop + kItemHeight),
                           "This camera has no settings.", false});
        return layout;
    }
    for (size_t row = 0; row < controls.size(); ++row) {
        const CameraControl& c = controls[row];
        const int top = kTop + static_cast<int>(row) * kRowHeight;
        DialogItemTemplate item;
        item.bounds = MakeRect(kControlLeft, top, kControlRight, top + kItemHeight);
        item.enabled = !c.readOnly;
        switch (c.kind) {
            case CameraControlKind::kSlider:
                item.kind = DialogItemKind::kUserItem;
                break;
            case CameraControlKind::kCheckBox:
                item.kind = DialogItemKind::kCheckBox;
                item.value = c.value ? 1 : 0;
                break;
            case CameraControlKind::kPopup: {
                item.kind = DialogItemKind::kPopup;
                item.menuId = static_cast<int16_t>(CameraSettingsLayout::kFirstMenuId + row);
                MenuTemplate menu;
                menu.id = item.menuId;
                menu.title = c.name;
                item.value = 1;
                for (size_t i = 0; i < c.choices.size(); ++i) {
                    menu.items.push_back({c.choices[i].name});
                    if (c.choices[i].value == c.value) item.value = static_cast<int16_t>(i + 1);
                }
                layout.menus.push_back(menu);
                break;
            }
        }
        t.items.push_back(item);
        t.items.push_back({DialogItemKind::kStaticText, MakeRect(kLabelLeft, top + 2, kLabelRight, top + kItemHeight),
                           c.name, false});
        t.items.push_back({DialogItemKind::kStaticText, MakeRect(kValueLeft, top + 2, kValueRight, top + kItemHeight),
                           "", false});
    }
    return layout;
}

void RunCameraSettingsDialog(CaptureSource& source) {
    Session session;
    session.source = &source;
    session.controls = source.Controls();
    CameraSettingsLayout layout = LayoutCameraSettings(session.controls);
    for (const MenuTemplate& menu : layout.menus) RegisterMenuTemplate(menu);
    DialogPtr dialog = NewDialogFromTemplate(layout.dialog, kInFront);
    if (dialog == nullptr) return;
    session.dialog = dialog;
    sSession = &session;
    for (size_t row = 0; row < session.controls.size(); ++row)
        if (session.controls[row].kind == CameraControlKind::kSlider)
            SetUserItemDrawProc(dialog, CameraSettingsLayout::ControlItem(row), DrawSlider);
    ShowWindow(GetDialogWindow(dialog));
    SetPort(GetDialogPort(dialog));
    for (size_t row = 0; row < session.controls.size(); ++row) ShowValue(dialog, row, session.controls[row]);
    int16_t item = 0;
    for (;;) {
        ModalDialog(nullptr, &item);
        if (item == CameraSettingsLayout::kDoneItem) break;
        HandleHit(session, item);
    }
    sSession = nullptr;
    DisposeDialog(dialog);
}
