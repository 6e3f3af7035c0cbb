#include "platform/ControlEvents.h"

#include <QApplication>
#include <QFocusEvent>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using platform::ControlEvents;

constexpr int None = -1;

// One row per key: the virtual key code of its key down and key up and the
// character of its key press, in that order (the keys held with it left out).
TEST(KeyEvents, EachKeyGivesItsCodesInOrder)
{
    const Qt::KeyboardModifiers no;
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const struct { Qt::Key Key; Qt::KeyboardModifiers Held; int Code; int Press; } keys[] = {
        {Qt::Key_A, no, 'A', 'a'}, {Qt::Key_Z, no, 'Z', 'z'}, {Qt::Key_5, no, '5', '5'},
        {Qt::Key_5, Qt::KeypadModifier, 101, '5'}, {Qt::Key_Left, no, 37, None}, {Qt::Key_Up, no, 38, None},
        {Qt::Key_Right, no, 39, None}, {Qt::Key_Down, no, 40, None}, {Qt::Key_F1, no, 112, None},
        {Qt::Key_F12, no, 123, None}, {Qt::Key_Delete, no, 46, None}, {Qt::Key_Return, no, 13, 13},
        {Qt::Key_Enter, no, 13, 13}, {Qt::Key_Backspace, no, 8, 8}, {Qt::Key_Escape, no, 27, 27},
        // Ctrl with a letter gives the letter's control character.
        {Qt::Key_A, ctrl, 'A', 1}, {Qt::Key_V, ctrl, 'V', 22}, {Qt::Key_Z, ctrl, 'Z', 26},
        {Qt::Key_5, ctrl, '5', None}, {Qt::Key_V, Qt::AltModifier, 'V', None},
        {Qt::Key_V, ctrl | Qt::AltModifier, 'V', None},
    };
    QLineEdit edit;
    auto& events = ControlEvents::Of(&edit);
    std::vector<int> seen;
    const auto note = [&seen](int& code, Qt::KeyboardModifiers) {
        if (code < 16 || code > 18)
            seen.push_back(code);
    };
    events.OnKeyDown = note;
    events.OnKeyPress = [&](char& key) { seen.push_back(-key); };
    events.OnKeyUp = note;
    for (const auto& k : keys) {
        seen.clear();
        QTest::keyClick(&edit, k.Key, k.Held);
        const std::vector<int> expected = k.Press == None ? std::vector<int>{k.Code, k.Code}
                                                          : std::vector<int>{k.Code, -k.Press, k.Code};
        EXPECT_EQ(seen, expected) << QKeySequence(k.Key | k.Held).toString().toStdString();
    }
    // A held key repeats its key down and press but is released once.
    seen.clear();
    QKeyEvent repeatRelease(QEvent::KeyRelease, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"), true);
    QCoreApplication::sendEvent(&edit, &repeatRelease);
    EXPECT_TRUE(seen.empty());
}

// The filter of a numeric box: digits and Backspace pass, 'x' becomes 'y',
// everything else is swallowed, Ctrl+V and Ctrl+X included.
TEST(KeyEvents, KeyPressSwallowsOrChangesCharactersAndKeyDownKeepsKeys)
{
    QLineEdit edit;
    auto& events = ControlEvents::Of(&edit);
    int changes = 0;
    events.OnChange = [&] { ++changes; };
    events.OnKeyPress = [](char& key) {
        if (key == 'x')
            key = 'y';
        else if ((key < '0' || key > '9') && key != 8)
            key = 0;
    };
    QTest::keyClicks(&edit, QStringLiteral("1a2.x3"));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QApplication::clipboard()->setText(QStringLiteral("abc"));
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(&edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), "12y");
    EXPECT_EQ(changes, 5);

    // A control character left as it is keeps the edit's own action.
    events.OnKeyPress = nullptr;
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    events.OnKeyDown = [](int& key, Qt::KeyboardModifiers) { key = key == 37 || key == 'Q' ? 0 : key; };
    QTest::keyClick(&edit, Qt::Key_Left);
    EXPECT_EQ(edit.cursorPosition(), 3);
    QTest::keyClick(&edit, Qt::Key_Home);
    // Held back at key down, a character key still types its character.
    QTest::keyClick(&edit, Qt::Key_Q);
    EXPECT_EQ(edit.text(), "qabc");
}

// Whatever brings line breaks into a single-line edit, its text stays one
// line, with the caret behind what was put in.
TEST(SingleLineEdits, LineBreaksInsideBecomeOneBlankAndAtTheEndsGo)
{
    const struct { QString Before; int Caret; QString Pasted; QString After; int CaretAfter; } cases[] = {
        {"", 0, "\r\n;LC:FL 3\r\n", ";LC:FL 3", 8}, {"AB", 1, "x\n\n\ry", "Ax yB", 4},
        {"AB", 0, QStringLiteral("C\u2029"), "C AB", 2}, {"A ", 2, "\tB ", "A \tB ", 5},
    };
    for (const auto& c : cases) {
        QLineEdit edit(c.Before);
        ControlEvents::Of(&edit);
        edit.setCursorPosition(c.Caret);
        QApplication::clipboard()->setText(c.Pasted);
        edit.paste();
        EXPECT_EQ(edit.text(), c.After) << c.Pasted.toStdString();
        EXPECT_EQ(edit.cursorPosition(), c.CaretAfter) << c.Pasted.toStdString();
    }
}

// Leaving for another control is an exit; switching windows or opening a
// pop-up menu is not.
TEST(FocusEvents, ExitRunsOnlyWhenTheFocusMovesToAnotherControl)
{
    QLineEdit edit;
    int exits = 0;
    ControlEvents::Of(&edit).OnExit = [&] { ++exits; };
    const std::pair<Qt::FocusReason, int> reasons[] = {{Qt::TabFocusReason, 1}, {Qt::MouseFocusReason, 1},
                                                      {Qt::OtherFocusReason, 1}, {Qt::ActiveWindowFocusReason, 0},
                                                      {Qt::PopupFocusReason, 0}};
    for (const auto& [reason, expected] : reasons) {
        exits = 0;
        QFocusEvent leave(QEvent::FocusOut, reason);
        QCoreApplication::sendEvent(&edit, &leave);
        EXPECT_EQ(exits, expected) << reason;
    }
}

} // namespace
