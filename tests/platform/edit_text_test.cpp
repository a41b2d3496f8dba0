// One line of editable text: typing, deleting, moving and selecting.
#include <gtest/gtest.h>

#include <string>

#include "platform/EditText.h"
#include "platform/Events.h"

namespace {

EditText WithText(const std::string& text, int start, int end) {
    EditText e;
    e.SetText(text);
    e.Select(start, end);
    return e;
}

TEST(EditTextTest, SetTextSelectsAllAndCutsAt255) {
    EditText e;
    e.SetText(std::string(300, 'x'));
    EXPECT_EQ(e.Text().size(), 255u);
    EXPECT_EQ(e.SelectionStart(), 0);
    EXPECT_EQ(e.SelectionEnd(), 255);
}

TEST(EditTextTest, KeysChangeTextAndSelection) {
    struct Case {
        const char* name;
        int start, end;        // selection before
        unsigned char key;
        uint16_t modifiers;
        const char* text;      // after
        int selStart, selEnd;  // after
        EditText::KeyResult result;
    };
    using R = EditText::KeyResult;
    const Case cases[] = {
        {"type at caret", 2, 2, 'X', 0, "abXcd", 3, 3, R::kChanged},
        {"type over selection", 1, 3, 'X', 0, "aXd", 2, 2, R::kChanged},
        {"latin-1 letter", 4, 4, 0xE9, 0, "abcd\xE9", 5, 5, R::kChanged},
        {"control code is no text", 2, 2, 0x85, 0, "abcd", 2, 2, R::kIgnored},
        {"backspace", 2, 2, kBackspaceCharCode, 0, "acd", 1, 1, R::kChanged},
        {"backspace at start", 0, 0, kBackspaceCharCode, 0, "abcd", 0, 0, R::kIgnored},
        {"backspace selection", 1, 3, kBackspaceCharCode, 0, "ad", 1, 1, R::kChanged},
        {"delete forward", 2, 2, kDeleteCharCode, 0, "abd", 2, 2, R::kChanged},
        {"delete at end", 4, 4, kDeleteCharCode, 0, "abcd", 4, 4, R::kIgnored},
        {"delete selection", 3, 1, kDeleteCharCode, 0, "ad", 1, 1, R::kChanged},
        {"left", 2, 2, kLeftArrowCharCode, 0, "abcd", 1, 1, R::kMoved},
        {"left at start", 0, 0, kLeftArrowCharCode, 0, "abcd", 0, 0, R::kMoved},
        {"left collapses selection", 1, 3, kLeftArrowCharCode, 0, "abcd", 1, 1, R::kMoved},
        {"right collapses selection", 1, 3, kRightArrowCharCode, 0, "abcd", 3, 3, R::kMoved},
        {"shift right extends", 1, 2, kRightArrowCharCode, shiftKey, "abcd", 1, 3, R::kMoved},
        {"shift left shrinks", 1, 3, kLeftArrowCharCode, shiftKey, "abcd", 1, 2, R::kMoved},
        {"up goes home", 3, 3, kUpArrowCharCode, 0, "abcd", 0, 0, R::kMoved},
        {"down goes to the end", 1, 1, kDownArrowCharCode, 0, "abcd", 4, 4, R::kMoved},
        {"shift down selects to the end", 1, 1, kDownArrowCharCode, shiftKey, "abcd", 1, 4, R::kMoved},
        {"ctrl+a selects all", 2, 2, 'a', cmdKey, "abcd", 0, 4, R::kMoved},
        {"other ctrl keys do nothing", 2, 2, 'x', cmdKey, "abcd", 2, 2, R::kIgnored},
        {"return is not text", 2, 2, kReturnCharCode, 0, "abcd", 2, 2, R::kIgnored},
        {"tab is not text", 2, 2, kTabCharCode, 0, "abcd", 2, 2, R::kIgnored},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditText e = WithText("abcd", c.start, c.end);
        EXPECT_EQ(e.HandleKey(c.key, c.modifiers), c.result);
        EXPECT_EQ(e.Text(), c.text);
        EXPECT_EQ(e.SelectionStart(), c.selStart);
        EXPECT_EQ(e.SelectionEnd(), c.selEnd);
    }
}

TEST(EditTextTest, NothingIsTypedPastTheLimitButASelectionCanBeReplaced) {
    EditText e = WithText(std::string(255, 'a'), 255, 255);
    EXPECT_FALSE(e.Type('b'));
    EXPECT_EQ(e.Text().size(), 255u);
    e.Select(0, 1);
    EXPECT_TRUE(e.Type('b'));
    EXPECT_EQ(e.Text().size(), 255u);
    EXPECT_EQ(e.Text()[0], 'b');
}

TEST(EditTextTest, ClicksAndDragsSelectWithinTheText) {
    EditText e = WithText("abcdef", 0, 0);
    e.ClickAt(4, false);
    EXPECT_EQ(e.Caret(), 4);
    EXPECT_FALSE(e.HasSelection());
    e.DragTo(1);
    EXPECT_EQ(e.SelectionStart(), 1);
    EXPECT_EQ(e.SelectionEnd(), 4);
    e.ClickAt(99, true);  // shift-click beyond the end extends to the end
    EXPECT_EQ(e.SelectionStart(), 4);
    EXPECT_EQ(e.SelectionEnd(), 6);
    e.Select(-5, 99);
    EXPECT_EQ(e.SelectionStart(), 0);
    EXPECT_EQ(e.SelectionEnd(), 6);
}

}  // namespace
