#include "ConfigurationTestSupport.h"

#include "terminal/ComboDialog.h"
#include "terminal/IncrementDialog.h"

#include <QClipboard>
#include <QPushButton>

namespace {

// Ten groups told apart by their texts (group g is "Name g" with strings
// "S g.i" and commands "C g.i"), group 2 shown at start, and an instrument
// on COM3 that answers "OK".
class CommandGroups : public ConfiguredWindows
{
protected:
    void PrepareInstallFolder() override
    {
        Instrument = std::make_unique<FakeInstrument>(3);
        Instrument->SetRule([](const QByteArray&) { return FakeReply("OK\r\n"); });
        WriteConfigFile(DistinctFile(2));
    }
    void SetUp() override
    {
        ConfiguredWindows::SetUp();
        ASSERT_EQ(CommTermForm->CurrentGroup, 2);
        // As a selected port would leave them, so the user can type.
        CommTermForm->EnableCommActiveObjects();
    }

    void SelectPort() { QTest::keyClick(MainControl("cboCommTerminal"), Qt::Key_Down); }
    static const TCommandGroup& Group(int g) { return CommTermForm->CommandGroups.at(static_cast<std::size_t>(g)); }

    // Copies the shown group to the item chosen (-1 none) with OK or Cancel;
    // gives the names the dialog offered.
    static QStringList CopyTo(int target, bool ok = true)
    {
        QStringList offered;
        ModalScript copy(*OKRightDlg);
        copy.Then([&offered, target, ok](QDialog&) {
            offered = Items(*OKRightDlg->cboBox);
            OKRightDlg->cboBox->setCurrentIndex(target);
            (ok ? OKRightDlg->OKBtn : OKRightDlg->CancelBtn)->click();
        });
        CommTermForm->CopytoGroup1->trigger();
        return offered;
    }
    // Renames the shown group, the step playing the user in the dialog.
    static void Rename(const std::function<void(QLineEdit& edit)>& user)
    {
        ModalScript rename(*IncrementForm);
        rename.Then([user](QDialog&) { user(*IncrementForm->leIncValue); });
        CommTermForm->RenameGroup1->trigger();
    }

    // What a user pastes over the whole text of an edit.
    static void PasteInto(QLineEdit& edit, const QString& text)
    {
        QApplication::clipboard()->setText(text);
        FocusControl(edit);
        edit.selectAll();
        QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    }

    std::unique_ptr<FakeInstrument> Instrument;
};

// Button n, function key n and Enter in box n each send string n. Enter on the
// placeholder or an empty box leaves the configuration unchanged; a text
// holding "Command" marks it, though the send road drops it.
TEST_F(CommandGroups, EveryWayToSendStringNSendsItsOwnText)
{
    SelectPort();
    const Qt::Key functionKeys[] = {Qt::Key_F1, Qt::Key_F2, Qt::Key_F3, Qt::Key_F4, Qt::Key_F5};
    QList<QByteArray> expected;
    for (int n = 1; n <= 5; ++n) {
        MainControl<QPushButton>(QStringLiteral("bbSendString%1").arg(n).toLatin1())->click();
        FocusControl(*CommTermForm->eSendCommand);
        QTest::keyClick(CommTermForm->eSendCommand, functionKeys[n - 1]);
        QTest::keyClick(CommonString(n), Qt::Key_Return);
        expected << QList<QByteArray>(3, QStringLiteral("S 2.%1").arg(n - 1).toLatin1());
    }
    for (const auto& [string, text, marks] : {std::tuple{3, "Empty", false}, {5, "", false}, {2, "X Command", true}}) {
        CommTermForm->ConfigChanged = false;
        CommonString(string)->setText(text);
        QTest::keyClick(CommonString(string), Qt::Key_Return);
        EXPECT_EQ(CommTermForm->ConfigChanged, marks) << text;
    }
    ASSERT_TRUE(Instrument->WaitForCommands(15));
    EXPECT_EQ(Instrument->Commands(), expected);
}

// The shown group's record changes only when it is stored, and the last group
// is a group like any other.
TEST_F(CommandGroups, ChangingGroupsStoresTheShownOneAndShowsTheFirstRecentCommand)
{
    CommonString(1)->setText("typed");
    CommTermForm->CommandArray[3] = "recent";
    CommTermForm->CommandIndex = 3;
    ChooseGroup(9);
    EXPECT_EQ(CommonStrings(), (QStringList{"S 9.0", "S 9.1", "S 9.2", "S 9.3", "S 9.4"}));
    EXPECT_EQ(CommTermForm->CommandArray[9] + CommTermForm->eSendCommand->text(), "C 9.9C 9.0");
    EXPECT_EQ(CommTermForm->CommandIndex, 0);
    MainEntry("ResetCommands1")->trigger();
    EXPECT_EQ(CommonStrings() << CommTermForm->eSendCommand->text(), QStringList(5, "Empty") << "Command");
    EXPECT_EQ(Group(9).CommandStrings[0], "S 9.0");

    ChooseGroup(2);
    EXPECT_EQ((QStringList{CommonString(1)->text(), CommTermForm->CommandArray[3], CommTermForm->eSendCommand->text()}),
              (QStringList{"typed", "recent", "C 2.0"}));
    EXPECT_EQ((QStringList{Group(9).CommandStrings[4], Group(9).Commands[9], Group(9).GroupName}),
              (QStringList{"Empty", "Command", "Name 9"}));
    EXPECT_FALSE(CommTermForm->ConfigChanged);
}

// Copying to the shown group, cancelled or with no name chosen changes no
// record; a copy to another group keeps that group's name and what is shown.
TEST_F(CommandGroups, CopyOffersTenNamesAndCopiesOnlyToAnotherChosenGroup)
{
    const auto before = CommTermForm->CommandGroups;
    CommonString(1)->setText("fresh");
    const QStringList names = Items(*GroupBox());
    ASSERT_EQ(names.size(), 10);
    for (const auto& [target, ok] : {std::pair{2, true}, {4, false}, {-1, true}, {9, true}})
        EXPECT_EQ(CopyTo(target, ok), names);
    for (int g : {0, 1, 3, 4, 5, 6, 7, 8})
        EXPECT_EQ(std::tuple(Group(g).CommandStrings, Group(g).Commands),
                  std::tuple(before[g].CommandStrings, before[g].Commands)) << g;
    EXPECT_EQ(OKRightDlg->windowTitle(), "Copy To Group");
    EXPECT_EQ((QStringList{Group(9).GroupName, Group(9).CommandStrings[0], Group(9).Commands[9]}),
              (QStringList{"Name 9", "fresh", "C 2.9"}));
    EXPECT_EQ(GroupBox()->currentText(), "Name 2");
    EXPECT_FALSE(CommTermForm->ConfigChanged);
}

// The edit selects the whole name on a click and on the side arrows, so what
// is typed replaces it; Enter is OK; Cancel puts the old name back.
TEST_F(CommandGroups, RenameTakesWhatIsTypedAndCancelPutsTheOldNameBack)
{
    QStringList selected;
    Rename([&selected](QLineEdit& edit) {
        QTest::mouseClick(&edit, Qt::LeftButton, {}, QPoint(4, edit.height() / 2));
        selected << edit.selectedText();
        for (Qt::Key key : {Qt::Key_Left, Qt::Key_Right}) {
            edit.setCursorPosition(3);
            QTest::keyClick(&edit, key);
            selected << edit.selectedText();
        }
        QTest::keyClicks(&edit, "Lasers on bench 2");
        QTest::keyClick(&edit, Qt::Key_Return);
    });
    EXPECT_EQ(selected, QStringList(3, "Name 2"));
    EXPECT_EQ(IncrementForm->windowTitle() + IncrementForm->lblIncValue->text(), "Rename GroupGroup Name");
    GroupBox()->setEditText("half typed");
    Rename([](QLineEdit& edit) {
        edit.setText("Not taken");
        IncrementForm->cmdCancel->click();
    });
    EXPECT_EQ(GroupBox()->currentText(), "Lasers on bench 2");
    ChooseGroup(9);
    Rename([](QLineEdit& edit) {
        edit.clear();
        IncrementForm->cmdOK->click();
    });
    EXPECT_EQ(Items(*GroupBox()), (QStringList{"Name 0", "Name 1", "Lasers on bench 2", "Name 3", "Name 4",
                                               "Name 5", "Name 6", "Name 7", "Name 8", ""}));
    EXPECT_FALSE(CommTermForm->ConfigChanged);
}

// Texts pasted over several lines into the port box and the last group go
// out and are stored on one line each: the file keeps its 168 lines and gives
// the port and every group back.
TEST_F(CommandGroups, PastedLineBreaksNeverShiftTheGroupsOfTheFile)
{
    ChooseGroup(9);
    SelectPort();
    PasteInto(*CommTermForm->cboCommTerminal->lineEdit(), "\r\nCOM3\r\n");
    PasteInto(*CommTermForm->eSendCommand, "A\r\nB\r\n");
    QTest::keyClick(CommTermForm->eSendCommand, Qt::Key_Return);
    PasteInto(*CommonString(1), "S\n1");
    Rename([](QLineEdit& edit) {
        PasteInto(edit, "N\r\n\r\n9");
        IncrementForm->cmdOK->click();
    });
    CloseAndStart();
    EXPECT_EQ(ConfigFileBytes().count("\r\n"), 168);
    EXPECT_EQ(CommTermForm->cboCommTerminal->currentText(), "COM3");
    ASSERT_EQ(CommTermForm->CurrentGroup, 9);
    EXPECT_EQ(Items(*GroupBox())[9], "N 9");
    EXPECT_EQ(CommonStrings(), (QStringList{"S 1", "S 9.1", "S 9.2", "S 9.3", "S 9.4"}));
    EXPECT_EQ(Group(9).Commands[1] + Group(8).Commands[9], "A BC 8.9");
    EXPECT_EQ(Instrument->Commands(), QList<QByteArray>{"A B"});
}

} // namespace
