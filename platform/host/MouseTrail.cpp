#include "platform/host/MouseTrail.h"

#include <algorithm>

void MouseTrail::RecordMove(Point global, uint16_t modifiers) {
    Entry e{MouseState{global, held_, modifiers}, Kind::kMove};
    // Moves with the button up only say where the mouse is: the latest one is enough.
    if (!held_ && !entries_.empty() && entries_.back().kind == Kind::kMove &&
        !entries_.back().state.down) {
        entries_.back() = e;
        return;
    }
    entries_.push_back(e);
}

void MouseTrail::RecordPress(Point global, uint16_t modifiers) {
    entries_.push_back(Entry{MouseState{global, true, modifiers}, Kind::kPress});
    held_ = true;
}

void MouseTrail::RecordRelease(Point global, uint16_t modifiers) {
    entries_.push_back(Entry{MouseState{global, false, modifiers}, Kind::kRelease});
    held_ = false;
}

void MouseTrail::NotePressDelivered(Point where, uint16_t modifiers) {
    auto isPress = [](const Entry& e) { return e.kind == Kind::kPress; };
    auto press = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) {
        return isPress(e) && e.state.where == where;
    });
    if (press == entries_.end()) press = std::find_if(entries_.begin(), entries_.end(), isPress);
    if (press == entries_.end()) {
        // Not a press of ours (posted by the program): no drag follows it.
        current_ = MouseState{where, false, modifiers};
        return;
    }
    entries_.erase(entries_.begin(), press + 1);
    current_ = MouseState{where, true, modifiers};
}

void MouseTrail::NoteReleaseDelivered(Point where, uint16_t modifiers) {
    // The release of the press handed out, unless a drag loop has read it already.
    for (auto it = entries_.begin(); it != entries_.end() && it->kind != Kind::kPress; ++it) {
        if (it->kind == Kind::kRelease) {
            entries_.erase(entries_.begin(), it + 1);
            break;
        }
    }
    current_ = MouseState{where, false, modifiers};
}

bool MouseTrail::TakeNext(MouseState* state) {
    if (!entries_.empty()) {
        if (entries_.front().kind != Kind::kPress) {
            current_ = entries_.front().state;
            entries_.pop_front();
            *state = current_;
            return true;
        }
        if (current_.down) {
            // The next press is recorded, so the one handed out has ended.
            current_.down = false;
            *state = current_;
            return true;
        }
    }
    *state = current_;
    return false;
}

MouseState MouseTrail::Current() {
    if (!current_.down) {
        while (!entries_.empty() && entries_.front().kind == Kind::kMove &&
               !entries_.front().state.down) {
            current_ = entries_.front().state;
            entries_.pop_front();
        }
    }
    return current_;
}
