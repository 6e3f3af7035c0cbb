#include "platform/MenuShortcuts.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>

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

// A window whose menu shares Ctrl+X between two entries and has a hidden
// menu, a disabled menu, a submenu and a disabled entry in front of an enabled
// one. Keys typed into another window are left alone.
TEST(MenuShortcuts, FirstEnabledEntryInMenuOrderAnswersAndBeatsTheFocusedEdit)
{
    QMainWindow window;
    auto* edit = new QLineEdit("abc");
    window.setCentralWidget(edit);
    QMenuBar& bar = *window.menuBar();
    QAction* exit = AddEntry(*bar.addMenu("&File"), "E&xit", "Ctrl+X");
    QAction* cut = AddEntry(*bar.addMenu("&Edit"), "Cu&t", "Ctrl+X");
    QMenu* hidden = bar.addMenu("Controls");
    hidden->menuAction()->setVisible(false);
    QAction* send = AddEntry(*hidden, "Send", "F1");
    AddEntry(*hidden, "Old", "F2")->setEnabled(false);
    QAction* enabledSecond = AddEntry(*hidden, "New", "F2");
    QMenu* off = bar.addMenu("Off");
    AddEntry(*off, "Gone", "F3");
    off->menuAction()->setEnabled(false);
    QMenu* tools = bar.addMenu("Tools");
    QAction* nested = AddEntry(*tools->addMenu("Log"), "View Log", "F10");
    QAction* plain = AddEntry(*tools, "Plain");
    new MenuShortcuts(window, bar);
    window.show();

    const std::pair<const char*, QAction*> cases[] = {
        {"Ctrl+X", exit}, {"F1", send}, {"F2", enabledSecond}, {"F3", nullptr},
        {"F10", nested},  {"Shift+F1", nullptr}, {"", nullptr}};
    for (const auto& [keys, entry] : cases)
        EXPECT_EQ(FindMenuShortcut(bar, QKeySequence(keys)), entry) << keys;
    // Shown after a tab, but never registered with Qt, which would call a
    // shared key ambiguous or let the line edit cut on Ctrl+X.
    EXPECT_EQ(exit->text() + nested->text() + plain->text(), "E&xit\tCtrl+XView Log\tF10Plain");
    EXPECT_TRUE(exit->shortcut().isEmpty());

    QSignalSpy exits(exit, &QAction::triggered);
    QSignalSpy cuts(cut, &QAction::triggered);
    QSignalSpy sends(send, &QAction::triggered);
    QAction popupEntry("Pop-up entry");
    popupEntry.setShortcut(QKeySequence("F1"));
    popupEntry.setShortcutContext(Qt::WidgetWithChildrenShortcut);
    edit->addAction(&popupEntry);
    QSignalSpy popup(&popupEntry, &QAction::triggered);
    edit->selectAll();
    Focus(*edit);
    QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClicks(edit, "de");
    QTest::keyClick(edit, Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_EQ(edit->text(), "abcde");
    QTest::keyClick(edit, Qt::Key_F1);
    QLineEdit other;
    other.show();
    Focus(other);
    QTest::keyClick(&other, Qt::Key_F1);
    QTest::keyClick(&other, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ((std::array<qsizetype, 4>{exits.count(), cuts.count(), sends.count(), popup.count()}),
              (std::array<qsizetype, 4>{1, 0, 1, 0}));
    exit->setEnabled(false);
    EXPECT_EQ(FindMenuShortcut(bar, QKeySequence("Ctrl+X")), cut);
}

} // namespace
