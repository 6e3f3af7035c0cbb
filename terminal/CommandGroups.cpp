#include "terminal/Main.h"

#include "platform/ControlEvents.h"
#include "platform/EventGuard.h"
#include "platform/ListSelection.h"
#include "platform/PopupMenu.h"
#include "platform/WindowShowing.h"
#include "terminal/ComboDialog.h"
#include "terminal/IncrementDialog.h"

#include <QMenu>

namespace {

constexpr char EnterKey = 13;
const QString EmptyString = QStringLiteral("Empty");
const QString EmptyCommand = QStringLiteral("Command");

bool IsGroupIndex(int group)
{
    return group >= 0 && group < 10;
}

} // namespace

void TCommTermForm::ConnectCommandGroups()
{
    // Text typed into the group box never becomes an eleventh group.
    cboCommandGroup->setInsertPolicy(QComboBox::NoInsert);
    platform::OnListSelect(cboCommandGroup, [this] { cboCommandGroupSelect(); });
    const QPushButton* const buttons[] = {bbSendString1, bbSendString2, bbSendString3, bbSendString4, bbSendString5};
    const std::array<QLineEdit*, 5> edits = CommonStringEdits();
    for (int n = 0; n < 5; ++n) {
        connect(buttons[n], &QPushButton::clicked, this, platform::Guarded([this, n] { SendCommonString(n); }));
        platform::ControlEvents::Of(edits[static_cast<std::size_t>(n)]).OnKeyPress = [this, n](char& key) {
            CommonStringKeyPress(n, key);
        };
    }
    BuildCommandGroupMenu();
}

// The box's edit shows the same menu in place of its own.
void TCommTermForm::BuildCommandGroupMenu()
{
    PopupMenuCommandGroup = new QMenu(this);
    PopupMenuCommandGroup->setObjectName(QStringLiteral("PopupMenuCommandGroup"));
    QMenu& menu = *PopupMenuCommandGroup;
    RenameGroup1 = platform::AddMenuEntry(menu, QStringLiteral("RenameGroup1"), QStringLiteral("Rename Group"),
                                          [this] { RenameGroup1Click(); });
    CopytoGroup1 = platform::AddMenuEntry(menu, QStringLiteral("CopytoGroup1"),
                                          QStringLiteral("Copy Command Strings to Group"),
                                          [this] { CopytoGroup1Click(); });
    ResetCommands1 = platform::AddMenuEntry(menu, QStringLiteral("ResetCommands1"),
                                            QStringLiteral("Reset Command Strings"),
                                            [this] { ResetCommands1Click(); });
    platform::AttachPopupMenu(*cboCommandGroup, menu);
    platform::AttachPopupMenu(*cboCommandGroup->lineEdit(), menu);
}

std::array<QLineEdit*, 5> TCommTermForm::CommonStringEdits() const
{
    return {edString1, edString2, edString3, edString4, edString5};
}

void TCommTermForm::DisplayCommandGroup(int group)
{
    const TCommandGroup& shown = CommandGroups.at(static_cast<std::size_t>(group));
    const std::array<QLineEdit*, 5> edits = CommonStringEdits();
    for (std::size_t i = 0; i < edits.size(); ++i)
        edits[i]->setText(shown.CommandStrings[i]);
    CommandArray = shown.Commands;
    CommandIndex = 0;
    eSendCommand->setText(CommandArray[0]);
}

// The group's name stays as it is: only renaming changes it.
void TCommTermForm::StoreCommandGroup(int group)
{
    if (!IsGroupIndex(group))
        return;
    TCommandGroup& stored = CommandGroups[static_cast<std::size_t>(group)];
    const std::array<QLineEdit*, 5> edits = CommonStringEdits();
    for (std::size_t i = 0; i < edits.size(); ++i)
        stored.CommandStrings[i] = edits[i]->text();
    stored.Commands = CommandArray;
}

void TCommTermForm::cboCommandGroupSelect()
{
    cmdStopCycleClick();
    const int selected = cboCommandGroup->currentIndex();
    if (!IsGroupIndex(selected))
        return;
    if (CurrentGroup != -1)
        StoreCommandGroup(CurrentGroup);
    DisplayCommandGroup(selected);
    CurrentGroup = selected;
}

void TCommTermForm::SendCommandBoxText()
{
    char key = EnterKey;
    eSendCommandKeyPress(key);
}

void TCommTermForm::SendCommonString(int index)
{
    eSendCommand->setText(CommonStringEdits().at(static_cast<std::size_t>(index))->text());
    SendCommandBoxText();
}

void TCommTermForm::bbSendString1Click() { SendCommonString(0); }
void TCommTermForm::bbSendString2Click() { SendCommonString(1); }
void TCommTermForm::bbSendString3Click() { SendCommonString(2); }
void TCommTermForm::bbSendString4Click() { SendCommonString(3); }
void TCommTermForm::bbSendString5Click() { SendCommonString(4); }

// Typing Enter in a common string marks the configuration changed even for a
// text the send road will not send (one holding "Command"); a placeholder or
// an empty text changes nothing.
void TCommTermForm::CommonStringKeyPress(int index, char& key)
{
    if (key != EnterKey)
        return;
    const QString text = CommonStringEdits().at(static_cast<std::size_t>(index))->text();
    if (text.isEmpty() || text.contains(EmptyString))
        return;
    ConfigChanged = true;
    eSendCommand->setText(text);
    SendCommandBoxText();
}

void TCommTermForm::edString1KeyPress(char& key) { CommonStringKeyPress(0, key); }
void TCommTermForm::edString2KeyPress(char& key) { CommonStringKeyPress(1, key); }
void TCommTermForm::edString3KeyPress(char& key) { CommonStringKeyPress(2, key); }
void TCommTermForm::edString4KeyPress(char& key) { CommonStringKeyPress(3, key); }
void TCommTermForm::edString5KeyPress(char& key) { CommonStringKeyPress(4, key); }

void TCommTermForm::SendCommandField1Click() { SendCommandBoxText(); }
void TCommTermForm::CommonCommandString11Click() { bbSendString1Click(); }
void TCommTermForm::CommonCommandString21Click() { bbSendString2Click(); }
void TCommTermForm::CommonCommandString31Click() { bbSendString3Click(); }
void TCommTermForm::CommonCommandString41Click() { bbSendString4Click(); }
void TCommTermForm::CommonCommandString51Click() { bbSendString5Click(); }

// The group record keeps its texts until the group is next stored.
void TCommTermForm::ResetCommandStrings1Click()
{
    for (QLineEdit* edit : CommonStringEdits())
        edit->setText(EmptyString);
    CommandArray.fill(EmptyCommand);
    eSendCommand->setText(EmptyCommand);
}

void TCommTermForm::ResetCommands1Click()
{
    ResetCommandStrings1Click();
}

// Any text is a name, an empty one included; Cancel puts the old name back
// into the box, whose text the user may have edited.
void TCommTermForm::RenameGroup1Click()
{
    if (!IsGroupIndex(CurrentGroup))
        return;
    QString& name = CommandGroups[static_cast<std::size_t>(CurrentGroup)].GroupName;
    IncrementForm->setWindowTitle(QStringLiteral("Rename Group"));
    IncrementForm->lblIncValue->setText(QStringLiteral("Group Name"));
    IncrementForm->leIncValue->setText(name);
    if (platform::ShowModal(*IncrementForm) == QDialog::Accepted)
        name = IncrementForm->leIncValue->text();
    cboCommandGroup->setItemText(CurrentGroup, name);
    cboCommandGroup->setEditText(name);
}

// The target keeps its name; the shown group stays on screen.
void TCommTermForm::CopytoGroup1Click()
{
    if (!IsGroupIndex(CurrentGroup))
        return;
    StoreCommandGroup(CurrentGroup);
    OKRightDlg->setWindowTitle(QStringLiteral("Copy To Group"));
    OKRightDlg->Label1->setText(QStringLiteral("Copy To:"));
    QComboBox& targets = *OKRightDlg->cboBox;
    targets.clear();
    for (const TCommandGroup& group : CommandGroups)
        targets.addItem(group.GroupName);
    targets.setCurrentIndex(-1);
    targets.setPlaceholderText(QStringLiteral("Group Name"));
    if (platform::ShowModal(*OKRightDlg) != QDialog::Accepted)
        return;
    const int target = targets.currentIndex();
    if (!IsGroupIndex(target) || target == CurrentGroup)
        return;
    const TCommandGroup& source = CommandGroups[static_cast<std::size_t>(CurrentGroup)];
    TCommandGroup& copy = CommandGroups[static_cast<std::size_t>(target)];
    copy.CommandStrings = source.CommandStrings;
    copy.Commands = source.Commands;
}
