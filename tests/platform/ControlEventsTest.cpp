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
#include <QWidget>

#include <gtest/gtest.h>

using platform::ControlEvents;

namespace {

// A shown, active window with two edits, so focus moves as a user moves it.
struct TwoEdits
{
    TwoEdits()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(first);
        layout->addWidget(second);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        first->setFocus();
    }
    QWidget window;
    QLineEdit* first = new QLineEdit;
    QLineEdit* second = new QLineEdit;
};

} // namespace

TEST(KeyEvents, KeyDownThenKeyPressThenKeyUp)
{
    QLineEdit edit;
    auto& events = ControlEvents::Of(&edit);
    QStringList order;
    events.OnKeyDown = [&](int& key, Qt::KeyboardModifiers) { order << QStringLiteral("down %1").arg(key); };
    events.OnKeyPress = [&](char& key) { order << QStringLiteral("press %1").arg(int(key)); };
    events.OnKeyUp = [&](int& key, Qt::KeyboardModifiers) { order << QStringLiteral("up %1").arg(key); };

    QTest::keyClick(&edit, Qt::Key_A);
    QTest::keyClick(&edit, Qt::Key_Left);

    EXPECT_EQ(order, (QStringList{QStringLiteral("down 65"), QStringLiteral("press 97"), QStringLiteral("up 65"),
                                  QStringLiteral("down 37"), QStringLiteral("up 37")}));
    EXPECT_EQ(&ControlEvents::Of(&edit), &events);
}

TEST(KeyEvents, GivesTheClassLibrarysKeyCodes)
{
    QLineEdit edit;
    auto& events = ControlEvents::Of(&edit);
    std::vector<int> down;
    std::vector<int> pressed;
    events.OnKeyDown = [&](int& key, Qt::KeyboardModifiers) { down.push_back(key); };
    events.OnKeyPress = [&](char& key) { pressed.push_back(key); };

    for (Qt::Key key : {Qt::Key_Left, Qt::Key_Up, Qt::Key_Right, Qt::Key_Down, Qt::Key_F1, Qt::Key_F5, Qt::Key_F12,
                        Qt::Key_Z, Qt::Key_5, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Backspace, Qt::Key_Escape})
        QTest::keyClick(&edit, key);

    EXPECT_EQ(down, (std::vector<int>{37, 38, 39, 40, 112, 116, 123, 'Z', '5', 13, 13, 8, 27}));
    EXPECT_EQ(pressed, (std::vector<int>{'z', '5', 13, 13, 8, 27}));
}

TEST(KeyEvents, KeyPressCanSwallowOrChangeTheCharacter)
{
    QLineEdit edit;
    ControlEvents::Of(&edit).OnKeyPress = [](char& key) {
        if (key == 'x')
            key = 'y';
        else if ((key < '0' || key > '9') && key != 8)
            key = 0;
    };

    QTest::keyClicks(&edit, QStringLiteral("1a2.x3"));
    EXPECT_EQ(edit.text(), QStringLiteral("12y3"));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), QStringLiteral("12y"));
}

TEST(KeyEvents, KeyDownCanKeepAKeyFromTheControl)
{
    QLineEdit edit(QStringLiteral("abc"));
    edit.setCursorPosition(3);
    ControlEvents::Of(&edit).OnKeyDown = [](int& key, Qt::KeyboardModifiers) {
        if (key == 37)
            key = 0;
    };
    QTest::keyClick(&edit, Qt::Key_Left);
    EXPECT_EQ(edit.cursorPosition(), 3);
    QTest::keyClick(&edit, Qt::Key_Home);
    EXPECT_EQ(edit.cursorPosition(), 0);

    // Held back at key down, a character key still types its character.
    ControlEvents::Of(&edit).OnKeyDown = [](int& key, Qt::KeyboardModifiers) { key = 0; };
    QTest::keyClick(&edit, Qt::Key_Q);
    EXPECT_EQ(edit.text(), QStringLiteral("qabc"));
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
    EXPECT_EQ(presses, 0);
    EXPECT_EQ(edit.selectedText(), QStringLiteral("abc"));

    QKeyEvent repeatRelease(QEvent::KeyRelease, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"), true);
    QCoreApplication::sendEvent(&edit, &repeatRelease);
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

    EXPECT_EQ(edit.text(), QStringLiteral("12"));
    EXPECT_EQ(ui.Exceptions, std::vector<QString>{QStringLiteral("'!' is not a valid integer value")});
}

TEST(ChangeEvents, RaisedForTypedTextAndTextSetByCode)
{
    QLineEdit edit;
    QTextEdit pane;
    int editChanges = 0;
    int paneChanges = 0;
    ControlEvents::Of(&edit).OnChange = [&] { ++editChanges; };
    ControlEvents::Of(&pane).OnChange = [&] { ++paneChanges; };

    edit.setText(QStringLiteral("0D,0A"));
    QTest::keyClicks(&edit, QStringLiteral("xy"));
    pane.setPlainText(QStringLiteral("line"));

    EXPECT_EQ(editChanges, 3);
    EXPECT_GE(paneChanges, 1);
}

TEST(FocusEvents, ExitWhenTheFocusMovesToAnotherControl)
{
    TwoEdits form;
    int exits = 0;
    ControlEvents::Of(form.first).OnExit = [&] { ++exits; };

    form.second->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(exits, 1);
    form.first->setFocus();
    EXPECT_EQ(exits, 1);
}

TEST(FocusEvents, AnExitHandlerCanTakeTheFocusBack)
{
    TwoEdits form;
    auto* first = form.first;
    ControlEvents::Of(first).OnExit = [first] {
        if (first->text().isEmpty())
            first->setFocus();
    };

    form.second->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(QApplication::focusWidget(), form.first);
    form.first->setText(QStringLiteral("5"));
    form.second->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(QApplication::focusWidget(), form.second);
}

TEST(ClickEvents, AMouseClickOnAnEdit)
{
    TwoEdits form;
    int clicks = 0;
    ControlEvents::Of(form.second).OnClick = [&] { ++clicks; };
    QTest::mouseClick(form.second, Qt::LeftButton);
    QTest::mouseClick(form.second, Qt::RightButton);
    EXPECT_EQ(clicks, 1);
}

TEST(ClickEvents, CheckBoxClickRunsOnEveryStateChangeRadioOnlyWhenChecked)
{
    QWidget window;
    auto* box = new QCheckBox(&window);
    auto* one = new QRadioButton(&window);
    auto* two = new QRadioButton(&window);
    int boxClicks = 0;
    int oneClicks = 0;
    int twoClicks = 0;
    platform::OnStateClick(box, [&] { ++boxClicks; });
    platform::OnStateClick(one, [&] { ++oneClicks; });
    platform::OnStateClick(two, [&] { ++twoClicks; });

    box->setChecked(true);
    box->setChecked(true);
    box->setChecked(false);
    one->setChecked(true);
    two->setChecked(true);

    EXPECT_EQ(boxClicks, 2);
    EXPECT_EQ(oneClicks, 1);
    EXPECT_EQ(twoClicks, 1);
    EXPECT_FALSE(one->isChecked());
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
    bar.SelStart = bar.Position();
    EXPECT_EQ(platform::TrackBar::Of(&slider).SelStart, -3);
}
