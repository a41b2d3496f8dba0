// Following the mouse over the menus: MenuSelect for the bar's pull-downs and
// PopUpMenuSelect for the pop-up menus of dialogs.
//
// A press opens the menu under the mouse and the release chooses the item under it.
// A click that is released where it started (on the menu's title, or on the pop-up's
// own box) leaves the menu open instead, and the next click chooses.
#include <algorithm>
#include <cstdlib>

#include "platform/MenuInternals.h"
#include "platform/ToolboxState.h"

namespace {

// How long an open menu waits for the next click, in ticks, and at most how many
// quiet polls, so that a clock that stands still cannot keep it open forever.
constexpr uint32_t kStickyTimeoutTicks = 30 * 60;
constexpr int kStickyMaxQuietPolls = 30 * 60;

// One open pull-down window and the item lit in it.
class OpenMenu {
public:
    ~OpenMenu() { Close(); }

    void Open(const Menu& menu, const Rect& bounds) {
        Close();
        menu_ = &menu;
        bounds_ = bounds;
        window_ = OpenPullDownWindow(menu, bounds);
        lit_ = 0;
    }

    void Close() {
        if (window_ != nullptr) DisposeWindow(window_);
        window_ = nullptr;
        menu_ = nullptr;
        lit_ = 0;
    }

    const Menu* menu() const { return menu_; }

    // The item under a global point, 0 for none.
    int16_t ItemAt(Point global) const {
        if (menu_ == nullptr || !PtInRect(global, &bounds_)) return 0;
        return MenuItemAtLocal(*menu_, Point{int16_t(global.v - bounds_.top), int16_t(global.h - bounds_.left)});
    }

    void LightItemAt(Point global) {
        if (menu_ == nullptr) return;
        int16_t item = ItemAt(global);
        if (!MenuItemSelectable(*menu_, item)) item = 0;
        if (item == lit_) return;
        lit_ = item;
        DrawPullDown(window_, *menu_, lit_);
    }

    // The choice at a global point: the menu's id and the item, 0 when the item cannot
    // be chosen.
    long ChoiceAt(Point global) const {
        const int16_t item = ItemAt(global);
        if (menu_ == nullptr || !MenuItemSelectable(*menu_, item)) return 0;
        return (static_cast<long>(menu_->id) << 16) | item;
    }

private:
    const Menu* menu_ = nullptr;
    WindowPtr window_ = nullptr;
    Rect bounds_;
    int16_t lit_ = 0;
};

Point MouseNow() {
    Host* host = CurrentHost();
    return host != nullptr ? host->PeekMouse().where : Point{};
}

// Calls follow with the mouse while the button is held; returns where it was released.
template <typename Follow>
Point FollowWhileDown(Follow follow) {
    while (StillDown()) follow(MouseNow());
    const Point end = MouseNow();
    follow(end);
    return end;
}

enum class StickyInput { kPress, kKey, kTimeout };

// Waits with the menu open for the next press (taken from the queue) or key (left in
// the queue, except Escape, which only closes the menu); follow sees the mouse moving.
template <typename Follow>
StickyInput WaitForNextClick(Follow follow) {
    Host* host = CurrentHost();
    if (host == nullptr) return StickyInput::kTimeout;
    auto& queue = Toolbox().queue;
    const uint32_t start = TickCount();
    Point last = MouseNow();
    int quietPolls = 0;
    while (TickCount() - start < kStickyTimeoutTicks && quietPolls < kStickyMaxQuietPolls) {
        host->PumpEvents(queue, 1000000 / 60);
        for (auto it = queue.begin(); it != queue.end();) {
            if (it->what == mouseUp) {
                it = queue.erase(it);  // the release of the click that opened the menu
            } else if (it->what == mouseDown) {
                const EventRecord press = *it;
                queue.erase(it);
                host->NoteMouseEvent(press);
                return StickyInput::kPress;
            } else if (it->what == keyDown || it->what == autoKey) {
                if ((it->message & charCodeMask) == kEscapeCharCode) queue.erase(it);
                return StickyInput::kKey;
            } else {
                ++it;
            }
        }
        const Point now = MouseNow();
        if (now == last) {
            ++quietPolls;
        } else {
            quietPolls = 0;
            last = now;
            follow(now);
        }
    }
    return StickyInput::kTimeout;
}

// Runs the press-and-release of a menu gesture, then any further clicks while the menu
// stays open. stays(p, first) tells whether a release at p keeps the menu open (first:
// the release of the press that opened it).
template <typename Follow, typename Stays>
long TrackMenuGesture(OpenMenu& open, Point start, Follow follow, Stays stays) {
    follow(start);
    Point end = FollowWhileDown(follow);
    if (!stays(end, true)) return open.ChoiceAt(end);
    for (;;) {
        if (WaitForNextClick(follow) != StickyInput::kPress) return 0;
        follow(MouseNow());
        end = FollowWhileDown(follow);
        const long chosen = open.ChoiceAt(end);
        if (chosen != 0) return chosen;
        if (!stays(end, false)) return 0;
    }
}

}  // namespace

long MenuSelect(Point start) {
    MenuManager& manager = TheMenuManager();
    if (manager.installed == nullptr || manager.installed->menus.empty()) return 0;
    const MenuBar& bar = *manager.installed;
    OpenMenu open;
    int openIndex = -1;
    auto follow = [&](Point p) {
        const int title = MenuTitleIndexAt(bar, p);
        if (title >= 0 && title != openIndex) {
            openIndex = title;
            HiliteMenu(bar.menus[title]->id);
            open.Open(*bar.menus[title], BarPullDownBounds(bar, title));
        }
        open.LightItemAt(p);
    };
    // A release on a title keeps its menu open; after the first click, a release
    // anywhere but on a title or an item closes it.
    auto stays = [&](Point p, bool) { return MenuTitleIndexAt(bar, p) >= 0; };
    const long choice = TrackMenuGesture(open, start, follow, stays);
    open.Close();
    HiliteMenu(choice != 0 ? static_cast<int16_t>(choice >> 16) : 0);
    return choice;
}

long PopUpMenuSelect(MenuHandle menu, int16_t top, int16_t left, int16_t popUpItem) {
    if (menu == nullptr || menu->items.empty()) return 0;
    OpenMenu open;
    open.Open(*menu, PopUpBounds(*menu, top, left, popUpItem));
    const Point start = MouseNow();
    auto follow = [&](Point p) { open.LightItemAt(p); };
    // A click released where it was pressed keeps the menu open for the next click.
    auto stays = [&](Point p, bool first) {
        return first && std::abs(p.h - start.h) <= 2 && std::abs(p.v - start.v) <= 2;
    };
    const long choice = TrackMenuGesture(open, start, follow, stays);
    open.Close();
    return choice;
}
