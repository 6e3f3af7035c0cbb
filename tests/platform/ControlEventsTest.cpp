#include "platform/ControlEvents.h"
#include "platform/Exceptions.h"

#include "support/TestServices.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTextEdit>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <array>

using platform::ControlEvents;

TEST(KeyEvents, KeyDownThenKeyPressThenKeyUpWithTheClassLibrarysCodes)
{
    QLineEdit edit;
    auto& events = ControlEvents::Of(&edit);
    QStringList order;
    events.OnKeyDown = [&](int& key, Qt::KeyboardModifiers) { order << QStringLiteral("down %1").arg(key); };
    events.OnKeyPress = [&](char& key) { order << QStringLiteral("press %1").arg(int(key)); };
    events.OnKeyUp = [&](int& key, Qt::KeyboardModifiers) { order << QStringLiteral("up %1").arg(key); };
    QTest::keyClick(&edit, Qt::Key_A);
    QTest::keyClick(&edit, Qt::Key_Left);
    EXPECT_EQ(order, (QStringList{"down 65", "press 97", "up 65", "down 37", "up 37"}));
    EXPECT_EQ(&ControlEvents::Of(&edit), &events);

    std::vector<int> down;
    std::vector<int> pressed;
    events.OnKeyDown = [&](int& key, Qt::KeyboardModifiers) { down.push_back(key); };
    events.OnKeyPress = [&](char& key) { pressed.push_back(key); };
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Right, Qt::Key_Down, Qt::Key_F1, Qt::Key_F5, Qt::Key_F12, Qt::Key_Z,
                        Qt::Key_5, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Backspace, Qt::Key_Escape})
        QTest::keyClick(&edit, key);
    EXPECT_EQ(down, (std::vector<int>{38, 39, 40, 112, 116, 123, 'Z', '5', 13, 13, 8, 27}));
    EXPECT_EQ(pressed, (std::vector<int>{'z', '5', 13, 13, 8, 27}));
}

TEST(KeyEvents, KeyPressCanSwallowOrChangeTheCharacterAndKeyDownCanKeepAKey)
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
    EXPECT_EQ(edit.text(), "12y3");
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), "12y");
    EXPECT_EQ(changes, 5);   // a swallowed key changes nothing

    events.OnKeyPress = nullptr;
    events.OnKeyDown = [](int& key, Qt::KeyboardModifiers) {
        if (key == 37 || key == 'Q')
            key = 0;
    };
    QTest::keyClick(&edit, Qt::Key_Left);
    EXPECT_EQ(edit.cursorPosition(), 3);
    QTest::keyClick(&edit, Qt::Key_Home);
    EXPECT_EQ(edit.cursorPosition(), 0);
    // Held back at key down, a character key still types its character.
    QTest::keyClick(&edit, Qt::Key_Q);
    EXPECT_EQ(edit.text(), "q12y");
}

TEST(KeyEvents, CommandKeysAndRepeatsGiveNoCharacterOrKeyUp)
{
    QLineEdit edit(QStringLiteral("abc"));
    auto& events = ControlEvents::Of(&edit);
    int presses = 0;
    std::vector<int> ups;
    events.OnKeyPress = [&](char&) { ++presses; };
    events.OnKeyUp = [&](int& key, Qt::KeyboardModifiers) { ups.push_back(key); };
    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
    QKeyEvent repeatRelease(QEvent::KeyRelease, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"), true);
    QCoreApplication::sendEvent(&edit, &repeatRelease);

    EXPECT_EQ(presses, 0);
    EXPECT_EQ(edit.selectedText(), "abc");
    EXPECT_EQ(ups, (std::vector<int>{'A', 17}));   // only the releases of Ctrl+A
}

TEST(KeyEvents, AFailingHandlerIsShownAndItsKeyGoesNoFurther)
{
    InstalledTestServices ui;
    QLineEdit edit;
    ControlEvents::Of(&edit).OnKeyPress = [](char& key) {
        if (key == '!')
            throw EConvertError(QStringLiteral("'!' is not a valid integer value"));
    };
    QTest::keyClicks(&edit, QStringLiteral("1!2"));
    EXPECT_EQ(edit.text(), "12");
    EXPECT_EQ(ui.Exceptions, std::vector<QString>{"'!' is not a valid integer value"});
}

TEST(ChangeEvents, RaisedForTextSetByCodeInEditsAndPanes)
{
    QLineEdit edit;
    QTextEdit pane;
    int editChanges = 0;
    int paneChanges = 0;
    ControlEvents::Of(&edit).OnChange = [&] { ++editChanges; };
    ControlEvents::Of(&pane).OnChange = [&] { ++paneChanges; };
    edit.setText(QStringLiteral("0D,0A"));
    pane.setPlainText(QStringLiteral("line"));
    EXPECT_EQ(editChanges, 1);
    EXPECT_GE(paneChanges, 1);
}

TEST(FocusEvents, ExitRunsWhenTheFocusLeavesAndCanTakeItBack)
{
    QWidget window;
    auto* first = new QLineEdit;
    auto* second = new QLineEdit;
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(first);
    layout->addWidget(second);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    first->setFocus();
    int exits = 0;
    ControlEvents::Of(first).OnExit = [&] {
        ++exits;
        if (first->text().isEmpty())
            first->setFocus();
    };

    second->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(QApplication::focusWidget(), first);
    first->setText(QStringLiteral("5"));
    second->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(exits, 2);
    EXPECT_EQ(QApplication::focusWidget(), second);
}

TEST(ClickEvents, LeftClickOnAnEditCheckBoxOnEveryChangeRadioOnlyWhenChecked)
{
    QWidget window;
    auto* edit = new QLineEdit(&window);
    auto* box = new QCheckBox(&window);
    auto* one = new QRadioButton(&window);
    auto* two = new QRadioButton(&window);
    std::array<int, 4> clicks{};
    ControlEvents::Of(edit).OnClick = [&] { ++clicks[0]; };
    platform::OnStateClick(box, [&] { ++clicks[1]; });
    platform::OnStateClick(one, [&] { ++clicks[2]; });
    platform::OnStateClick(two, [&] { ++clicks[3]; });

    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::mouseClick(edit, Qt::RightButton);
    box->setChecked(true);
    box->setChecked(true);
    box->setChecked(false);
    one->setChecked(true);
    two->setChecked(true);   // unchecks the first, which is no click
    EXPECT_EQ(clicks, (std::array<int, 4>{1, 2, 1, 1}));
}

TEST(TrackBar, ClampsAndRaisesChangeOnlyWhenThePositionMoves)
{
    QSlider slider;
    slider.setRange(-45, 45);
    auto& bar = platform::TrackBar::Of(&slider);
    int changes = 0;
    bar.OnChange = [&] { ++changes; };
    bar.SetPosition(90);
    EXPECT_EQ(bar.Position(), 45);
    bar.SetPosition(45);
    bar.SetPosition(100);
    EXPECT_EQ(changes, 1);
    bar.SetPosition(-3);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(&platform::TrackBar::Of(&slider), &bar);
}
