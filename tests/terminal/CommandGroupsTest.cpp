#include "ConfigurationTestSupport.h"
#include "TrafficFixture.h"

#include "terminal/ComboDialog.h"
#include "terminal/IncrementDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

// ---- Common strings on the wire ----

class CommonStringSends : public TrafficFixture
{
protected:
    void SetUp() override
    {
        TrafficFixture::SetUp();
        if (HasFatalFailure())
            return;
        CommTermForm->ConfigChanged = false;
    }

    static void Retype(QLineEdit* edit, const QString& text)
    {
        edit->clear();
        QTest::keyClicks(edit, text);
    }
};

TEST_F(CommonStringSends, ButtonFunctionKeyAndCtrlWSendWhatTheirBoxesHold)
{
    Retype(CommonString(1), "A1");
    Retype(CommonString(4), "B4");
    MainControl<QPushButton>("bbSendString1")->click();
    FocusControl(*CommonString(1));
    QTest::keyClick(CommonString(1), Qt::Key_F4);
    Retype(CommandBox(), "C0");
    QTest::keyClick(CommandBox(), Qt::Key_W, Qt::ControlModifier);
    ASSERT_TRUE(Instrument->WaitForCommands(3));
    EXPECT_EQ(Instrument->Commands(), (QList<QByteArray>{"A1", "B4", "C0"}));
    EXPECT_EQ(CommonString(4)->text(), "B4");
}

TEST_F(CommonStringSends, EnterSendsTheTextButNoPlaceholderOrEmptyText)
{
    ASSERT_EQ(CommonString(3)->text(), "Empty");
    FocusControl(*CommonString(3));
    QTest::keyClick(CommonString(3), Qt::Key_F3);
    QTest::keyClick(CommonString(3), Qt::Key_Return);
    EXPECT_FALSE(CommTermForm->ConfigChanged);
    CommonString(5)->clear();
    QTest::keyClick(CommonString(5), Qt::Key_Return);
    EXPECT_FALSE(CommTermForm->ConfigChanged);
    // A text holding "Command" marks the configuration, though the send road drops it.
    Retype(CommonString(2), "X Command");
    QTest::keyClick(CommonString(2), Qt::Key_Return);
    EXPECT_TRUE(CommTermForm->ConfigChanged);

    CommTermForm->ConfigChanged = false;
    Retype(CommonString(1), ";LC:FL 1");
    QTest::keyClick(CommonString(1), Qt::Key_Return);
    ASSERT_TRUE(Instrument->WaitForCommands(1));
    EXPECT_EQ(Instrument->Received(), ";LC:FL 1\r\n");
    EXPECT_TRUE(CommTermForm->ConfigChanged);
}

// ---- Groups ----

// Ten groups told apart by their texts, group 3 ("Name 2") shown at start.
class CommandGroups : public ConfiguredWindows
{
protected:
    void PrepareInstallFolder() override { WriteConfigFile(CrLfLines(DistinctFileLines("COMX", "0D,0A", 2))); }

    void SetUp() override
    {
        ConfiguredWindows::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_EQ(CommTermForm->CurrentGroup, 2);
        // As a selected port would leave them, so the user can type.
        CommTermForm->EnableCommActiveObjects();
    }

    static QString ShownCommand() { return CommTermForm->eSendCommand->text(); }

    // Copies the shown group through the dialog: chooses the item (-1 none)
    // and ends with OK or Cancel; gives the names the dialog offered.
    static QStringList CopyTo(int target, bool ok = true)
    {
        QStringList offered;
        WhenShown(*OKRightDlg, [&offered, target, ok] {
            QComboBox& names = *OKRightDlg->cboBox;
            for (int i = 0; i < names.count(); ++i)
                offered << names.itemText(i);
            EXPECT_EQ(names.currentIndex(), -1);
            names.setCurrentIndex(target);
            (ok ? OKRightDlg->OKBtn : OKRightDlg->CancelBtn)->click();
        });
        CommTermForm->CopytoGroup1->trigger();
        return offered;
    }

    static void RenameTo(const QString& name, bool ok = true)
    {
        WhenShown(*IncrementForm, [name, ok] {
            IncrementForm->leIncValue->setText(name);
            (ok ? IncrementForm->cmdOK : IncrementForm->cmdCancel)->click();
        });
        CommTermForm->RenameGroup1->trigger();
    }
};

TEST_F(CommandGroups, ChangingGroupsKeepsWhatWasTypedAndShowsTheFirstRecentCommand)
{
    CommonString(1)->clear();
    QTest::keyClicks(CommonString(1), "typed");
    CommTermForm->CommandArray[3] = "recent";
    CommTermForm->CommandIndex = 3;

    ChooseGroup(5);
    EXPECT_EQ(CommonStrings(), (QStringList{"S 5.0", "S 5.1", "S 5.2", "S 5.3", "S 5.4"}));
    EXPECT_EQ(CommTermForm->CommandIndex, 0);
    EXPECT_EQ(ShownCommand(), "C 5.0");

    ChooseGroup(2);
    EXPECT_EQ(CommonString(1)->text(), "typed");
    EXPECT_EQ(CommTermForm->CommandArray[3], "recent");
    EXPECT_EQ(ShownCommand(), "C 2.0");
    EXPECT_FALSE(CommTermForm->ConfigChanged);
}

TEST_F(CommandGroups, TextTypedIntoTheGroupBoxAddsNoGroup)
{
    GroupBox()->clearEditText();
    QTest::keyClicks(GroupBox(), "Another");
    QTest::keyClick(GroupBox(), Qt::Key_Return);
    EXPECT_EQ(GroupBoxItems().size(), 10);
    EXPECT_EQ(CommTermForm->CurrentGroup, 2);
}

TEST_F(CommandGroups, CopyToAnotherGroupKeepsItsNameAndTheShownGroup)
{
    CommonString(1)->setText("fresh");
    CopyTo(7);
    const TCommandGroup& copy = CommTermForm->CommandGroups[7];
    EXPECT_EQ(copy.GroupName, "Name 7");
    EXPECT_EQ(copy.CommandStrings[0], "fresh");
    EXPECT_EQ(copy.Commands[9], "C 2.9");
    EXPECT_EQ(GroupBox()->currentText(), "Name 2");
    EXPECT_EQ(CommonString(1)->text(), "fresh");
    EXPECT_FALSE(CommTermForm->ConfigChanged);
    EXPECT_EQ(OKRightDlg->windowTitle(), "Copy To Group");
    EXPECT_EQ(OKRightDlg->Label1->text(), "Copy To:");
    EXPECT_EQ(OKRightDlg->cboBox->placeholderText(), "Group Name");
}

TEST_F(CommandGroups, CopyToTheShownGroupCancelledOrUnchosenChangesNothingAndOffersTenNames)
{
    const auto before = CommTermForm->CommandGroups;
    CommonString(3)->setText("typed");
    const QStringList expected{"Name 0", "Name 1", "Name 2", "Name 3", "Name 4",
                               "Name 5", "Name 6", "Name 7", "Name 8", "Name 9"};
    EXPECT_EQ(CopyTo(2), expected);
    EXPECT_EQ(CopyTo(4, false), expected);
    EXPECT_EQ(CopyTo(-1), expected);
    for (int g : {0, 1, 3, 4, 5, 6, 7, 8, 9}) {
        EXPECT_EQ(CommTermForm->CommandGroups[g].CommandStrings, before[g].CommandStrings) << g;
        EXPECT_EQ(CommTermForm->CommandGroups[g].Commands, before[g].Commands) << g;
    }
}

TEST_F(CommandGroups, RenameTakesAnyTextAndCancelPutsTheOldNameBack)
{
    RenameTo("Lasers on bench 2");
    EXPECT_EQ(IncrementForm->windowTitle(), "Rename Group");
    EXPECT_EQ(IncrementForm->lblIncValue->text(), "Group Name");
    EXPECT_EQ(GroupBoxItems()[2], "Lasers on bench 2");

    GroupBox()->setEditText("half typed");
    RenameTo("Not taken", false);
    EXPECT_EQ(CommTermForm->CommandGroups[2].GroupName, "Lasers on bench 2");
    EXPECT_EQ(GroupBox()->currentText(), "Lasers on bench 2");

    RenameTo("");
    EXPECT_EQ(CommTermForm->CommandGroups[2].GroupName, "");
    EXPECT_EQ(GroupBoxItems()[2], "");
    EXPECT_EQ(GroupBoxItems().size(), 10);
    EXPECT_FALSE(CommTermForm->ConfigChanged);
}

TEST_F(CommandGroups, RenameEditSelectsAllOnClickAndSideArrowsAndEnterIsOK)
{
    QString afterClick, afterLeft, afterRight;
    WhenShown(*IncrementForm, [&] {
        QLineEdit* edit = IncrementForm->leIncValue;
        edit->setCursorPosition(2);
        QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(4, edit->height() / 2));
        afterClick = edit->selectedText();
        edit->setCursorPosition(3);
        QTest::keyClick(edit, Qt::Key_Left);
        afterLeft = edit->selectedText();
        edit->setCursorPosition(3);
        QTest::keyClick(edit, Qt::Key_Right);
        afterRight = edit->selectedText();
        // What is typed next replaces the whole name.
        QTest::keyClicks(edit, "Typed");
        QTest::keyClick(edit, Qt::Key_Return);
    });
    CommTermForm->RenameGroup1->trigger();
    EXPECT_EQ(afterClick, "Name 2");
    EXPECT_EQ(afterLeft, "Name 2");
    EXPECT_EQ(afterRight, "Name 2");
    EXPECT_EQ(CommTermForm->CommandGroups[2].GroupName, "Typed");
}

TEST_F(CommandGroups, WithNoGroupShownRenameAndCopyDoNothing)
{
    StartWith(CrLfLines(DistinctFileLines("COMX", "0D,0A", -1)));
    const auto before = CommTermForm->CommandGroups;
    int opened = 0;
    for (QDialog* dialog : {static_cast<QDialog*>(IncrementForm), static_cast<QDialog*>(OKRightDlg)})
        QTimer::singleShot(0, dialog, [&opened, dialog] {
            opened += dialog->isVisible() ? 1 : 0;
            dialog->reject();
        });
    CommTermForm->RenameGroup1->trigger();
    CommTermForm->CopytoGroup1->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(opened, 0);
    for (int g = 0; g < 10; ++g) {
        EXPECT_EQ(CommTermForm->CommandGroups[g].GroupName, before[g].GroupName);
        EXPECT_EQ(CommTermForm->CommandGroups[g].CommandStrings, before[g].CommandStrings);
    }
}

TEST_F(CommandGroups, ResetThenGroupChangeStoresThePlaceholders)
{
    const std::pair<const char*, int> entries[] = {{"ResetCommandStrings1", 2}, {"ResetCommands1", 5}};
    for (const auto& [entry, group] : entries) {
        ChooseGroup(group);
        CommTermForm->CommandIndex = 4;
        QAction* reset = CommTermForm->findChild<QAction*>(entry);
        ASSERT_NE(reset, nullptr) << entry;
        reset->trigger();
        EXPECT_EQ(CommonStrings(), QStringList(5, "Empty")) << entry;
        EXPECT_EQ(ShownCommand(), "Command") << entry;
        EXPECT_EQ(CommTermForm->CommandIndex, 4) << entry;
        // The record changes only when the group is stored.
        const TCommandGroup& record = CommTermForm->CommandGroups[static_cast<std::size_t>(group)];
        EXPECT_EQ(record.CommandStrings[0], QStringLiteral("S %1.0").arg(group)) << entry;
        ChooseGroup(8);
        EXPECT_EQ(record.CommandStrings[4], "Empty") << entry;
        EXPECT_EQ(record.Commands[0], "Command") << entry;
        EXPECT_EQ(record.Commands[9], "Command") << entry;
        EXPECT_EQ(record.GroupName, QStringLiteral("Name %1").arg(group)) << entry;
        EXPECT_FALSE(CommTermForm->ConfigChanged) << entry;
    }
}

} // namespace
