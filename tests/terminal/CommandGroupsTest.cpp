#include "ConfigurationTestSupport.h"
#include "TrafficFixture.h"

#include "terminal/ComboDialog.h"
#include "terminal/IncrementDialog.h"

#include <QPushButton>
#include <QTest>

namespace {

void Retype(QLineEdit* edit, const QString& text)
{
    edit->clear();
    QTest::keyClicks(edit, text);
}

// ---- Common strings on the wire ----

using CommonStringSends = TrafficFixture;

// Enter on the placeholder or an empty box leaves the configuration unchanged;
// a text holding "Command" marks it, though the send road drops it.
TEST_F(CommonStringSends, ButtonFunctionKeyCtrlWAndEnterSendWhatTheirBoxesHold)
{
    Retype(CommonString(1), "A1");
    Retype(CommonString(4), "B4");
    MainControl<QPushButton>("bbSendString1")->click();
    FocusControl(*CommonString(1));
    QTest::keyClick(CommonString(1), Qt::Key_F4);
    Retype(CommandBox(), "C0");
    QTest::keyClick(CommandBox(), Qt::Key_W, Qt::ControlModifier);
    ASSERT_TRUE(Instrument->WaitForCommands(3));

    const struct {
        int String;
        const char* Text;
        bool Marks;
    } enters[] = {{3, "Empty", false}, {5, "", false}, {2, "X Command", true}, {1, ";LC:FL 1", true}};
    for (const auto& e : enters) {
        CommTermForm->ConfigChanged = false;
        Retype(CommonString(e.String), e.Text);
        QTest::keyClick(CommonString(e.String), Qt::Key_Return);
        EXPECT_EQ(CommTermForm->ConfigChanged, e.Marks) << e.Text;
    }
    ASSERT_TRUE(Instrument->WaitForCommands(4));
    EXPECT_EQ(Instrument->Commands(), (QList<QByteArray>{"A1", "B4", "C0", ";LC:FL 1"}));
}

// ---- Groups ----

// Ten groups told apart by their texts, group 3 ("Name 2") shown at start.
class CommandGroups : public ConfiguredWindows
{
protected:
    void PrepareInstallFolder() override { WriteConfigFile(DistinctFile(2)); }

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
        ModalScript copy(*OKRightDlg);
        copy.Then([&offered, target, ok](QDialog&) {
            QComboBox& names = *OKRightDlg->cboBox;
            for (int i = 0; i < names.count(); ++i)
                offered << names.itemText(i);
            EXPECT_EQ(names.currentIndex(), -1);
            names.setCurrentIndex(target);
            (ok ? OKRightDlg->OKBtn : OKRightDlg->CancelBtn)->click();
        });
        CommTermForm->CopytoGroup1->trigger();
        EXPECT_EQ(OKRightDlg->windowTitle(), "Copy To Group");
        return offered;
    }

    static void RenameTo(const QString& name, bool ok = true)
    {
        ModalScript rename(*IncrementForm);
        rename.Then([name, ok](QDialog&) {
            IncrementForm->leIncValue->setText(name);
            (ok ? IncrementForm->cmdOK : IncrementForm->cmdCancel)->click();
        });
        CommTermForm->RenameGroup1->trigger();
    }
};

TEST_F(CommandGroups, ChangingGroupsKeepsWhatWasTypedAndShowsTheFirstRecentCommand)
{
    Retype(CommonString(1), "typed");
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

// Copying to the shown group, cancelled or with no name chosen changes no
// record; a copy to another group keeps that group's name and what is shown.
TEST_F(CommandGroups, CopyOffersTenNamesAndCopiesOnlyToAnotherChosenGroup)
{
    const auto before = CommTermForm->CommandGroups;
    CommonString(1)->setText("fresh");
    const QStringList names = GroupBoxItems();
    ASSERT_EQ(names.size(), 10);
    EXPECT_EQ(CopyTo(2), names);
    EXPECT_EQ(CopyTo(4, false), names);
    EXPECT_EQ(CopyTo(-1), names);
    for (int g : {0, 1, 3, 4, 5, 6, 7, 8, 9}) {
        EXPECT_EQ(CommTermForm->CommandGroups[g].CommandStrings, before[g].CommandStrings) << g;
        EXPECT_EQ(CommTermForm->CommandGroups[g].Commands, before[g].Commands) << g;
    }

    EXPECT_EQ(CopyTo(7), names);
    const TCommandGroup& copy = CommTermForm->CommandGroups[7];
    EXPECT_EQ(copy.GroupName, "Name 7");
    EXPECT_EQ(copy.CommandStrings[0], "fresh");
    EXPECT_EQ(copy.Commands[9], "C 2.9");
    EXPECT_EQ(GroupBox()->currentText(), "Name 2");
    EXPECT_FALSE(CommTermForm->ConfigChanged);
}

// The edit selects the whole name on a click and on the side arrows, so what
// is typed replaces it, and Enter is OK.
TEST_F(CommandGroups, RenameTakesWhatIsTypedAndCancelPutsTheOldNameBack)
{
    QStringList selected;
    {
        ModalScript rename(*IncrementForm);
        rename.Then([&selected](QDialog&) {
            QLineEdit* edit = IncrementForm->leIncValue;
            edit->setCursorPosition(2);
            QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(4, edit->height() / 2));
            selected << edit->selectedText();
            for (Qt::Key key : {Qt::Key_Left, Qt::Key_Right}) {
                edit->setCursorPosition(3);
                QTest::keyClick(edit, key);
                selected << edit->selectedText();
            }
            QTest::keyClicks(edit, "Lasers on bench 2");
            QTest::keyClick(edit, Qt::Key_Return);
        });
        CommTermForm->RenameGroup1->trigger();
    }
    EXPECT_EQ(selected, QStringList(3, "Name 2"));
    EXPECT_EQ(IncrementForm->windowTitle(), "Rename Group");
    EXPECT_EQ(GroupBoxItems()[2], "Lasers on bench 2");

    GroupBox()->setEditText("half typed");
    RenameTo("Not taken", false);
    EXPECT_EQ(CommTermForm->CommandGroups[2].GroupName, "Lasers on bench 2");
    EXPECT_EQ(GroupBox()->currentText(), "Lasers on bench 2");

    RenameTo("");
    EXPECT_EQ(GroupBoxItems()[2], "");
    EXPECT_EQ(GroupBoxItems().size(), 10);
    EXPECT_FALSE(CommTermForm->ConfigChanged);
}

// The record changes only when the group is stored.
TEST_F(CommandGroups, ResetThenGroupChangeStoresThePlaceholders)
{
    const std::pair<const char*, int> entries[] = {{"ResetCommandStrings1", 2}, {"ResetCommands1", 5}};
    for (const auto& [entry, group] : entries) {
        SCOPED_TRACE(entry);
        ChooseGroup(group);
        CommTermForm->CommandIndex = 4;
        ASSERT_NE(CommTermForm->findChild<QAction*>(entry), nullptr);
        CommTermForm->findChild<QAction*>(entry)->trigger();
        EXPECT_EQ(CommonStrings(), QStringList(5, "Empty"));
        EXPECT_EQ(ShownCommand(), "Command");
        EXPECT_EQ(CommTermForm->CommandIndex, 4);
        const TCommandGroup& record = CommTermForm->CommandGroups[static_cast<std::size_t>(group)];
        EXPECT_EQ(record.CommandStrings[0], QStringLiteral("S %1.0").arg(group));
        ChooseGroup(8);
        EXPECT_EQ(record.CommandStrings[4], "Empty");
        EXPECT_EQ(record.Commands[9], "Command");
        EXPECT_EQ(record.GroupName, QStringLiteral("Name %1").arg(group));
        EXPECT_FALSE(CommTermForm->ConfigChanged);
    }
}

} // namespace
