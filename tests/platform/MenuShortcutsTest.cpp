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

using namespace platform;

QAction* AddEntry(QMenu& menu, const QString& caption, const char* keys = nullptr)
{
    QAction* entry = menu.addAction(caption);
    if (keys != nullptr)
        entry->setProperty(MenuShortcutProperty, QString::fromLatin1(keys));
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
        Window.setCentralWidget(Edit);
        QMenuBar& bar = *Window.menuBar();
        QMenu* file = bar.addMenu("&File");
        Exit = AddEntry(*file, "E&xit", "Ctrl+X");
        QMenu* edit = bar.addMenu("&Edit");
        Cut = AddEntry(*edit, "Cu&t", "Ctrl+X");
        QMenu* hidden = bar.addMenu("Controls");
        hidden->menuAction()->setVisible(false);
        Hidden = AddEntry(*hidden, "Send", "F1");
        AddEntry(*hidden, "Old", "F2")->setEnabled(false);
        EnabledSecond = AddEntry(*hidden, "New", "F2");
        QMenu* off = bar.addMenu("Off");
        AddEntry(*off, "Gone", "F3");
        off->menuAction()->setEnabled(false);
        QMenu* tools = bar.addMenu("Tools");
        QMenu* sub = tools->addMenu("Log");
        Nested = AddEntry(*sub, "View Log", "F10");
        Plain = AddEntry(*tools, "Plain");
        new MenuShortcuts(Window, bar);
        Window.show();
    }

    QMainWindow Window;
    QLineEdit* Edit = new QLineEdit;
    QAction* Exit = nullptr;
    QAction* Cut = nullptr;
    QAction* Hidden = nullptr;
    QAction* EnabledSecond = nullptr;
    QAction* Nested = nullptr;
    QAction* Plain = nullptr;
};

TEST_F(MenuWindow, EntriesShowTheirShortcutAfterATab)
{
    EXPECT_EQ(Exit->text(), "E&xit\tCtrl+X");
    EXPECT_EQ(Nested->text(), "View Log\tF10");
    EXPECT_EQ(Plain->text(), "Plain");
    // Nothing is registered with Qt, which would make a shared key ambiguous.
    EXPECT_TRUE(Exit->shortcut().isEmpty());
}

TEST_F(MenuWindow, FirstEnabledEntryInMenuOrderAnswersHiddenMenusIncluded)
{
    const std::pair<const char*, QAction*> cases[] = {
        {"Ctrl+X", Exit}, {"F1", Hidden}, {"F2", EnabledSecond}, {"F3", nullptr},
        {"F10", Nested},  {"Shift+F1", nullptr}, {"", nullptr}};
    for (const auto& [keys, entry] : cases)
        EXPECT_EQ(FindMenuShortcut(*Window.menuBar(), QKeySequence(keys)), entry) << keys;
    Exit->setEnabled(false);
    EXPECT_EQ(FindMenuShortcut(*Window.menuBar(), QKeySequence("Ctrl+X")), Cut);
}

// Qt would let the line edit cut on Ctrl+X, or call the shared key ambiguous.
TEST_F(MenuWindow, MenuKeyBeatsTheFocusedLineEditAndItsQtShortcutsButOtherKeysReachIt)
{
    QSignalSpy exits(Exit, &QAction::triggered);
    QSignalSpy cuts(Cut, &QAction::triggered);
    QSignalSpy hidden(Hidden, &QAction::triggered);
    QAction popupEntry("Pop-up entry");
    popupEntry.setShortcut(QKeySequence("F1"));
    popupEntry.setShortcutContext(Qt::WidgetWithChildrenShortcut);
    Edit->addAction(&popupEntry);
    QSignalSpy popup(&popupEntry, &QAction::triggered);
    Edit->setText("abc");
    Edit->selectAll();
    Focus(*Edit);

    QTest::keyClick(Edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(exits.count(), 1);
    EXPECT_EQ(cuts.count(), 0);
    EXPECT_EQ(Edit->text(), "abc");
    QTest::keyClick(Edit, Qt::Key_End);
    QTest::keyClicks(Edit, "de");
    QTest::keyClick(Edit, Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_EQ(Edit->text(), "abcde");
    EXPECT_EQ(hidden.count(), 0);
    QTest::keyClick(Edit, Qt::Key_F1);
    EXPECT_EQ(hidden.count(), 1);
    EXPECT_EQ(popup.count(), 0);
}

TEST_F(MenuWindow, KeysOfAnotherWindowAreLeftAlone)
{
    QSignalSpy hidden(Hidden, &QAction::triggered);
    QSignalSpy exits(Exit, &QAction::triggered);
    QLineEdit other;
    other.show();
    Focus(other);
    QTest::keyClick(&other, Qt::Key_F1);
    QTest::keyClick(&other, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(hidden.count(), 0);
    EXPECT_EQ(exits.count(), 0);
}

// The standard edit actions act on whatever control has the focus, as far as
// that control allows.
TEST(EditActions, CutCopyPasteAndSelectAllOnTheFocusedControl)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* line = new QLineEdit("hello");
    auto* readOnly = new QLineEdit("fixed");
    readOnly->setReadOnly(true);
    auto* combo = new QComboBox;
    combo->setEditable(true);
    auto* pane = new QTextEdit("line");
    auto* button = new QPushButton("b");
    for (QWidget* control : std::initializer_list<QWidget*>{line, readOnly, combo, pane, button})
        layout->addWidget(control);
    window.show();

    Focus(*line);
    EditFocusedControl(EditCommand::SelectAll);
    EditFocusedControl(EditCommand::Cut);
    EXPECT_EQ(line->text(), "");
    EXPECT_EQ(QApplication::clipboard()->text(), "hello");
    EditFocusedControl(EditCommand::Paste);
    EditFocusedControl(EditCommand::Paste);
    EXPECT_EQ(line->text(), "hellohello");
    Focus(*combo);
    EditFocusedControl(EditCommand::Paste);
    EXPECT_EQ(combo->currentText(), "hello");

    Focus(*readOnly);
    EditFocusedControl(EditCommand::SelectAll);
    EditFocusedControl(EditCommand::Cut);
    EditFocusedControl(EditCommand::Paste);
    EXPECT_EQ(readOnly->text(), "fixed");
    EXPECT_EQ(QApplication::clipboard()->text(), "hello");
    EditFocusedControl(EditCommand::Copy);
    EXPECT_EQ(QApplication::clipboard()->text(), "fixed");

    Focus(*pane);
    EditFocusedControl(EditCommand::SelectAll);
    EditFocusedControl(EditCommand::Copy);
    EXPECT_EQ(QApplication::clipboard()->text(), "line");

    // A control without text is left alone, and so is every other control.
    Focus(*button);
    EditFocusedControl(EditCommand::Paste);
    EditFocusedControl(EditCommand::Cut);
    EXPECT_EQ(line->text(), "hellohello");
    EXPECT_EQ(QApplication::clipboard()->text(), "line");
}

} // namespace
