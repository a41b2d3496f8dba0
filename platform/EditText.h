// The text of an editable dialog field: one line of at most 255 characters with a
// selection (the caret is an empty selection) and the editing keys of the toolbox.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class EditText {
public:
    static constexpr int kMaxLength = 255;

    enum class KeyResult { kIgnored, kMoved, kChanged };

    const std::string& Text() const { return text_; }
    // Replaces the text (cut at kMaxLength) and selects all of it.
    void SetText(std::string_view text);

    int SelectionStart() const { return anchor_ < caret_ ? anchor_ : caret_; }
    int SelectionEnd() const { return anchor_ < caret_ ? caret_ : anchor_; }
    // The moving end of the selection, where the caret is drawn.
    int Caret() const { return caret_; }
    bool HasSelection() const { return anchor_ != caret_; }

    // Selects start..end-1 (clamped to the text); the caret goes to end.
    void Select(int start, int end);
    void SelectAll() { Select(0, Length()); }

    // Typing, deleting and moving; each returns whether the text changed or only the
    // selection moved. Printable characters replace the selection; nothing is typed
    // past kMaxLength.
    KeyResult HandleKey(unsigned char c, uint16_t modifiers);
    bool Type(unsigned char c);
    bool Backspace();
    bool DeleteForward();
    void MoveLeft(bool extend);
    void MoveRight(bool extend);
    void MoveHome(bool extend);
    void MoveEnd(bool extend);

    // A press at a character boundary (with shift: extends the selection) and the drag
    // that follows it.
    void ClickAt(int index, bool extend);
    void DragTo(int index);

private:
    int Length() const { return static_cast<int>(text_.size()); }
    int Clamp(int index) const;
    void MoveCaret(int index, bool extend);
    void DeleteSelection();

    std::string text_;
    int anchor_ = 0;  // the fixed end of the selection
    int caret_ = 0;
};
