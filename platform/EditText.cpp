// Editing one line of text: typing, deleting, caret movement and selection.
#include "platform/EditText.h"

#include <algorithm>

#include "platform/Events.h"

namespace {
// Latin-1 text characters; control codes (and the C1 range) are keys, not text.
bool IsPrintable(unsigned char c) { return (c >= 0x20 && c < 0x7F) || c >= 0xA0; }

constexpr unsigned char kHomeCharCode = 0x01;
constexpr unsigned char kEndCharCode = 0x04;
}  // namespace

int EditText::Clamp(int index) const { return std::clamp(index, 0, Length()); }

void EditText::SetText(std::string_view text) {
    text_.assign(text.substr(0, kMaxLength));
    SelectAll();
}

void EditText::Select(int start, int end) {
    anchor_ = Clamp(start);
    caret_ = Clamp(end);
}

void EditText::MoveCaret(int index, bool extend) {
    caret_ = Clamp(index);
    if (!extend) anchor_ = caret_;
}

void EditText::DeleteSelection() {
    const int start = SelectionStart();
    text_.erase(static_cast<size_t>(start), static_cast<size_t>(SelectionEnd() - start));
    anchor_ = caret_ = start;
}

bool EditText::Type(unsigned char c) {
    if (!IsPrintable(c)) return false;
    if (Length() - (SelectionEnd() - SelectionStart()) >= kMaxLength) return false;
    DeleteSelection();
    text_.insert(text_.begin() + caret_, static_cast<char>(c));
    anchor_ = ++caret_;
    return true;
}

bool EditText::Backspace() {
    if (HasSelection()) {
        DeleteSelection();
        return true;
    }
    if (caret_ == 0) return false;
    text_.erase(static_cast<size_t>(caret_ - 1), 1);
    anchor_ = --caret_;
    return true;
}

bool EditText::DeleteForward() {
    if (HasSelection()) {
        DeleteSelection();
        return true;
    }
    if (caret_ == Length()) return false;
    text_.erase(static_cast<size_t>(caret_), 1);
    return true;
}

// Without shift an arrow collapses a selection to its side, as text fields do.
void EditText::MoveLeft(bool extend) {
    MoveCaret(HasSelection() && !extend ? SelectionStart() : caret_ - 1, extend);
}

void EditText::MoveRight(bool extend) {
    MoveCaret(HasSelection() && !extend ? SelectionEnd() : caret_ + 1, extend);
}

void EditText::MoveHome(bool extend) { MoveCaret(0, extend); }
void EditText::MoveEnd(bool extend) { MoveCaret(Length(), extend); }

void EditText::ClickAt(int index, bool extend) { MoveCaret(index, extend); }
void EditText::DragTo(int index) { MoveCaret(index, true); }

EditText::KeyResult EditText::HandleKey(unsigned char c, uint16_t modifiers) {
    const bool extend = (modifiers & shiftKey) != 0;
    if ((modifiers & cmdKey) != 0) {
        if (c == 'a' || c == 'A' || c == 0x01) {
            SelectAll();
            return KeyResult::kMoved;
        }
        return KeyResult::kIgnored;
    }
    switch (c) {
        case kLeftArrowCharCode: MoveLeft(extend); return KeyResult::kMoved;
        case kRightArrowCharCode: MoveRight(extend); return KeyResult::kMoved;
        case kUpArrowCharCode:
        case kHomeCharCode: MoveHome(extend); return KeyResult::kMoved;
        case kDownArrowCharCode:
        case kEndCharCode: MoveEnd(extend); return KeyResult::kMoved;
        case kBackspaceCharCode: return Backspace() ? KeyResult::kChanged : KeyResult::kIgnored;
        case kDeleteCharCode: return DeleteForward() ? KeyResult::kChanged : KeyResult::kIgnored;
        default: return Type(c) ? KeyResult::kChanged : KeyResult::kIgnored;
    }
}
