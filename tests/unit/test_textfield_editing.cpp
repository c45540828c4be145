// The editing rules every edit box shares: the whole text selected on opening, printable
// characters, BackSpace, Delete, Left, Right, Home and End.
#include "gui/platform/editbox.h"

#include <gtest/gtest.h>

namespace {

void type(EditLine& line, const char* text) {
    for (const char* c = text; *c != '\0'; ++c) {
        line.type(*c);
    }
}

TEST(EditLine, TypingReplacesTheTextSelectedOnOpening) {
    EditLine line("71");
    EXPECT_TRUE(line.allSelected());
    EXPECT_EQ(line.caret(), 2u);
    type(line, "64");
    EXPECT_EQ(line.text(), "64");
    EXPECT_FALSE(line.allSelected());
    EXPECT_EQ(line.caret(), 2u);

    EditLine empty("");
    EXPECT_FALSE(empty.allSelected());
    type(empty, "a b");
    EXPECT_EQ(empty.text(), "a b");
}

TEST(EditLine, BackspaceAndDeleteRemoveTheSelectionOrOneCharacter) {
    EditLine line("abc");
    line.press(EditLine::Delete);
    EXPECT_EQ(line.text(), "");
    EditLine other("abcd");
    other.press(EditLine::Backspace);
    EXPECT_EQ(other.text(), "");

    EditLine edit("abcd");
    edit.press(EditLine::End);
    edit.press(EditLine::Backspace);
    EXPECT_EQ(edit.text(), "abc");
    edit.press(EditLine::Home);
    edit.press(EditLine::Backspace);
    EXPECT_EQ(edit.text(), "abc") << "nothing before the caret";
    edit.press(EditLine::Delete);
    EXPECT_EQ(edit.text(), "bc");
    edit.press(EditLine::End);
    edit.press(EditLine::Delete);
    EXPECT_EQ(edit.text(), "bc") << "nothing after the caret";
}

TEST(EditLine, CaretKeysMoveWithinTheLineAndEndTheSelection) {
    EditLine line("abcd");
    line.press(EditLine::Left);
    EXPECT_FALSE(line.allSelected());
    EXPECT_EQ(line.caret(), 0u) << "Left from the selection lands on its start";
    line.press(EditLine::Left);
    EXPECT_EQ(line.caret(), 0u);
    line.press(EditLine::Right);
    line.press(EditLine::Right);
    EXPECT_EQ(line.caret(), 2u);
    type(line, "X");
    EXPECT_EQ(line.text(), "abXcd");
    line.press(EditLine::End);
    line.press(EditLine::Right);
    EXPECT_EQ(line.caret(), 5u);

    EditLine selected("abcd");
    selected.press(EditLine::Right);
    EXPECT_EQ(selected.caret(), 4u);
    EditLine home("abcd");
    home.press(EditLine::Home);
    type(home, "<");
    EXPECT_EQ(home.text(), "<abcd");
}

TEST(EditLine, ControlCharactersAreIgnoredAndTheLineHasALimit) {
    EditLine line("");
    for (const char c : {'\t', '\r', '\n', '\x1b', '\x7f', '\0'}) {
        line.type(c);
    }
    EXPECT_EQ(line.text(), "");
    line.type('\xe9');
    EXPECT_EQ(line.text(), "\xe9") << "Latin-1 letters are printable";
    for (size_t i = 0; i < EditLine::kMaxLength + 10; ++i) {
        line.type('x');
    }
    EXPECT_EQ(line.text().size(), EditLine::kMaxLength);
}

} // namespace
