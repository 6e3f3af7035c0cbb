#include "platform/EditActions.h"
#include "platform/MenuShortcuts.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QMainWindow>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

using platform::EditCommand;
using platform::EditFocusedControl;
using platform::FindMenuShortcut;
using platform::MenuShortcut;
using platform::SetMenuShortcut;

QAction* AddEntry(QMenu& menu, const QString& caption, const char* keys = nullptr)
{
    QAction* entry = menu.addAction(caption);
    if (keys != nullptr)
        entry->setProperty(platform::MenuShortcutProperty, QString::fromLatin1(keys));
    return entry;
}

void Focus(QWidget& control)
{
    QApplication::setActiveWindow(control.window());
    control.setFocus(Qt::OtherFocusReason);
}

// A window whose menu shares Ctrl+X between two entries, has a hidden menu,
// and disabled entries in front of enabled ones.
class MenuWindow : public ::testing::Test
{
protected:
    MenuWindow()
    {
        auto* central = new QWidget;
        auto* layout = new QVBoxLayout(central);
        Edit = new QLineEdit;
        layout->addWidget(Edit);
        Window.setCentralWidget(central);
        QMenuBar& bar = *Window.menuBar();
        QMenu* file = bar.addMenu("&File");
        Exit = AddEntry(*file, "E&xit", "Ctrl+X");
        QMenu* edit = bar.addMenu("&Edit");
        Cut = AddEntry(*edit, "Cu&t", "Ctrl+X");
        QMenu* hidden = bar.addMenu("Controls");
        hidden->menuAction()->setVisible(false);
        Hidden = AddEntry(*hidden, "Send", "F1");
        DisabledFirst = AddEntry(*hidden, "Old", "F2");
        DisabledFirst->setEnabled(false);
        EnabledSecond = AddEntry(*hidden, "New", "F2");
        QMenu* off = bar.addMenu("Off");
        InDisabledMenu = AddEntry(*off, "Gone", "F3");
        off->menuAction()->setEnabled(false);
        QMenu* tools = bar.addMenu("Tools");
        QMenu* sub = tools->addMenu("Log");
        Nested = AddEntry(*sub, "View Log", "F10");
        Plain = AddEntry(*tools, "Plain");
        new platform::MenuShortcuts(Window, bar);
        Window.show();
    }

    QMainWindow Window;
    QLineEdit* Edit = nullptr;
    QAction* Exit = nullptr;
    QAction* Cut = nullptr;
    QAction* Hidden = nullptr;
    QAction* DisabledFirst = nullptr;
    QAction* EnabledSecond = nullptr;
    QAction* InDisabledMenu = nullptr;
    QAction* Nested = nullptr;
    QAction* Plain = nullptr;
};

TEST_F(MenuWindow, EntriesShowTheirShortcutAfterATab)
{
    EXPECT_EQ(Exit->text(), "E&xit\tCtrl+X");
    EXPECT_EQ(Nested->text(), "View Log\tF10");
    EXPECT_EQ(Plain->text(), "Plain");
    EXPECT_EQ(MenuShortcut(Exit), QKeySequence("Ctrl+X"));
    // Nothing is registered with Qt, which would make a shared key ambiguous.
    EXPECT_TRUE(Exit->shortcut().isEmpty());
}

TEST_F(MenuWindow, FirstEntryInMenuOrderWinsASharedKey)
{
    EXPECT_EQ(FindMenuShortcut(*Window.menuBar(), QKeySequence("Ctrl+X")), Exit);
    Exit->setEnabled(false);
    EXPECT_EQ(FindMenuShortcut(*Window.menuBar(), QKeySequence("Ctrl+X")), Cut);
}

TEST_F(MenuWindow, HiddenMenusAnswerAndDisabledOnesDoNot)
{
    const QMenuBar& bar = *Window.menuBar();
    EXPECT_EQ(FindMenuShortcut(bar, QKeySequence("F1")), Hidden);
    EXPECT_EQ(FindMenuShortcut(bar, QKeySequence("F2")), EnabledSecond);
    EXPECT_EQ(FindMenuShortcut(bar, QKeySequence("F3")), nullptr);
    EXPECT_EQ(FindMenuShortcut(bar, QKeySequence("F10")), Nested);
    EXPECT_EQ(FindMenuShortcut(bar, QKeySequence("Shift+F1")), nullptr);
    EXPECT_EQ(FindMenuShortcut(bar, QKeySequence()), nullptr);
}

TEST_F(MenuWindow, MenuKeyBeatsTheFocusedLineEdit)
{
    QSignalSpy exits(Exit, &QAction::triggered);
    QSignalSpy cuts(Cut, &QAction::triggered);
    Edit->setText("abc");
    Edit->selectAll();
    Focus(*Edit);
    QTest::keyClick(Edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(exits.count(), 1);
    EXPECT_EQ(cuts.count(), 0);
    EXPECT_EQ(Edit->text(), "abc");
}

TEST_F(MenuWindow, OtherKeysStillReachTheControl)
{
    QSignalSpy hidden(Hidden, &QAction::triggered);
    Focus(*Edit);
    QTest::keyClicks(Edit, "ab");
    QTest::keyClick(Edit, Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_EQ(Edit->text(), "ab");
    EXPECT_EQ(hidden.count(), 0);
    QTest::keyClick(Edit, Qt::Key_F1);
    EXPECT_EQ(hidden.count(), 1);
}

TEST_F(MenuWindow, MenuKeyBeatsAQtShortcutOfTheSameKey)
{
    QSignalSpy hidden(Hidden, &QAction::triggered);
    QAction popupEntry("Pop-up entry");
    popupEntry.setShortcut(QKeySequence("F1"));
    popupEntry.setShortcutContext(Qt::WidgetWithChildrenShortcut);
    Edit->addAction(&popupEntry);
    QSignalSpy popup(&popupEntry, &QAction::triggered);
    Focus(*Edit);
    QTest::keyClick(Edit, Qt::Key_F1);
    EXPECT_EQ(hidden.count(), 1);
    EXPECT_EQ(popup.count(), 0);
}

TEST_F(MenuWindow, KeysOfAnotherWindowAreLeftAlone)
{
    QSignalSpy hidden(Hidden, &QAction::triggered);
    QLineEdit other;
    other.show();
    Focus(other);
    QTest::keyClick(&other, Qt::Key_F1);
    QTest::keyClick(&other, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(hidden.count(), 0);
}

TEST_F(MenuWindow, ShortcutCanBeChangedAndRemoved)
{
    SetMenuShortcut(Plain, QKeySequence("Ctrl+P"));
    EXPECT_EQ(Plain->text(), "Plain\tCtrl+P");
    EXPECT_EQ(FindMenuShortcut(*Window.menuBar(), QKeySequence("Ctrl+P")), Plain);
    SetMenuShortcut(Plain, QKeySequence());
    EXPECT_EQ(Plain->text(), "Plain");
    EXPECT_EQ(FindMenuShortcut(*Window.menuBar(), QKeySequence("Ctrl+P")), nullptr);
}

// The standard edit actions act on whatever control has the focus.
class EditActions : public ::testing::Test
{
protected:
    EditActions()
    {
        auto* layout = new QVBoxLayout(&Window);
        Line = new QLineEdit;
        ReadOnly = new QLineEdit;
        ReadOnly->setReadOnly(true);
        Combo = new QComboBox;
        Combo->setEditable(true);
        Pane = new QTextEdit;
        for (QWidget* control : {static_cast<QWidget*>(Line), static_cast<QWidget*>(ReadOnly),
                                 static_cast<QWidget*>(Combo), static_cast<QWidget*>(Pane)})
            layout->addWidget(control);
        Window.show();
        QApplication::clipboard()->setText("clip");
    }

    QWidget Window;
    QLineEdit* Line = nullptr;
    QLineEdit* ReadOnly = nullptr;
    QComboBox* Combo = nullptr;
    QTextEdit* Pane = nullptr;
};

TEST_F(EditActions, CutCopyPasteAndSelectAllInALineEdit)
{
    Line->setText("hello");
    Focus(*Line);
    EditFocusedControl(EditCommand::SelectAll);
    EXPECT_EQ(Line->selectedText(), "hello");
    EditFocusedControl(EditCommand::Cut);
    EXPECT_EQ(Line->text(), "");
    EXPECT_EQ(QApplication::clipboard()->text(), "hello");
    EditFocusedControl(EditCommand::Paste);
    EditFocusedControl(EditCommand::Paste);
    EXPECT_EQ(Line->text(), "hellohello");
}

TEST_F(EditActions, ReadOnlyControlOnlyCopies)
{
    ReadOnly->setText("fixed");
    Focus(*ReadOnly);
    EditFocusedControl(EditCommand::SelectAll);
    EditFocusedControl(EditCommand::Cut);
    EXPECT_EQ(ReadOnly->text(), "fixed");
    EXPECT_EQ(QApplication::clipboard()->text(), "clip");
    EditFocusedControl(EditCommand::Paste);
    EXPECT_EQ(ReadOnly->text(), "fixed");
    EditFocusedControl(EditCommand::Copy);
    EXPECT_EQ(QApplication::clipboard()->text(), "fixed");
}

TEST_F(EditActions, ComboBoxAndTextPaneAreEditedToo)
{
    Focus(*Combo);
    EditFocusedControl(EditCommand::Paste);
    EXPECT_EQ(Combo->currentText(), "clip");
    Pane->setPlainText("line");
    Focus(*Pane);
    EditFocusedControl(EditCommand::SelectAll);
    EditFocusedControl(EditCommand::Copy);
    EXPECT_EQ(QApplication::clipboard()->text(), "line");
}

TEST_F(EditActions, ControlWithoutTextIsLeftAlone)
{
    QPushButton button("b");
    button.show();
    Focus(button);
    Line->setText("kept");
    EditFocusedControl(EditCommand::Paste);
    EditFocusedControl(EditCommand::Cut);
    EXPECT_EQ(Line->text(), "kept");
    EXPECT_EQ(QApplication::clipboard()->text(), "clip");
}

} // namespace
