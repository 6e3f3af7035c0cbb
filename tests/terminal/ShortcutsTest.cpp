#include "support/WindowFixture.h"

#include "platform/Exceptions.h"
#include "serial/CommSettings.h"
#include "support/ModalScript.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

namespace {

// Keys typed into the main window's controls, once a port would have enabled them.
class Shortcuts : public WindowFixture
{
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        CommTermForm->EnableCommActiveObjects();
        Edit = MainControl<QLineEdit>("eSendCommand");
        FocusControl(*Edit);
    }

    QLineEdit* Edit = nullptr;
};

TEST_F(Shortcuts, EveryEntryKeyReachesItsEntryFromAFocusedEditAndCtrlXExits)
{
    const std::pair<const char*, QKeyCombination> keys[] = {
        {"SendCommandField1", Qt::CTRL | Qt::Key_W},
        {"CommonCommandString11", QKeyCombination(Qt::Key_F1)},
        {"CommonCommandString21", QKeyCombination(Qt::Key_F2)},
        {"CommonCommandString31", QKeyCombination(Qt::Key_F3)},
        {"CommonCommandString41", QKeyCombination(Qt::Key_F4)},
        {"CommonCommandString51", QKeyCombination(Qt::Key_F5)},
        {"StartCycle1", Qt::CTRL | Qt::Key_S},
        {"StopCycle1", Qt::CTRL | Qt::Key_T},
        {"CommProperties1", Qt::CTRL | Qt::Key_P},
        {"ViewLog2", QKeyCombination(Qt::Key_F10)},
    };
    // Ctrl+P shows the port properties dialog modally; each showing is cancelled.
    ModalScript properties(*CommSettingForm);
    for (QLineEdit* edit : {Edit, MainControl<QLineEdit>("edString2")}) {
        FocusControl(*edit);
        for (const auto& [name, key] : keys) {
            QSignalSpy spy(MainEntry(name), &QAction::triggered);
            QTest::keyClick(edit, key.key(), key.keyboardModifiers());
            EXPECT_EQ(spy.count(), 1) << name << " from " << qPrintable(edit->objectName());
        }
    }
    ASSERT_TRUE(CommTermForm->isVisible());

    // Ctrl+X is "E&xit" here, not the line edit's cut nor the edit menu's.
    QSignalSpy cuts(MainEntry("Cut1"), &QAction::triggered);
    FocusControl(*Edit);
    Edit->clear();
    QTest::keyClicks(Edit, "SH?");
    Edit->selectAll();
    QTest::keyClick(Edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(cuts.count(), 0);
    EXPECT_EQ(Edit->text(), "SH?");
    EXPECT_FALSE(CommTermForm->isVisible());
    EXPECT_TRUE(CommTermForm->Closing);
}

TEST_F(Shortcuts, EditKeysWorkThroughTheEditEntriesWhileTheMenuIsHidden)
{
    MainControl<QMenu>("Edit1")->menuAction()->setVisible(false);
    QSignalSpy selects(MainEntry("SelectAll1"), &QAction::triggered);
    QSignalSpy copies(MainEntry("Copy1"), &QAction::triggered);
    QSignalSpy pastes(MainEntry("Paste1"), &QAction::triggered);
    Edit->setText(";LC:FL 3");
    QTest::keyClick(Edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(Edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), ";LC:FL 3");
    Edit->clear();
    QTest::keyClick(Edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Edit->text(), ";LC:FL 3");
    EXPECT_EQ(selects.count(), 1);
    EXPECT_EQ(copies.count(), 1);
    EXPECT_EQ(pastes.count(), 1);
}

TEST_F(Shortcuts, HandlerThatThrowsIsReportedAndTheWindowGoesOn)
{
    QObject::connect(MainEntry("CommonCommandString11"), &QAction::triggered, CommTermForm,
                     [] { throw Exception("Cannot create file \"Logs/x.doc\""); });
    QTest::keyClick(Edit, Qt::Key_F1);
    EXPECT_EQ(Ui.Exceptions, std::vector<QString>{"Cannot create file \"Logs/x.doc\""});
    QSignalSpy next(MainEntry("CommonCommandString21"), &QAction::triggered);
    QTest::keyClick(Edit, Qt::Key_F2);
    EXPECT_EQ(next.count(), 1);
}

} // namespace
