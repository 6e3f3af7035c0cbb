#include "terminal/IncrementDialog.h"

#include "platform/ControlEvents.h"
#include "platform/Showing.h"
#include "terminal/DialogPlacement.h"

TIncrementForm* IncrementForm = nullptr;

namespace {

constexpr char EnterKey = 13;
constexpr int LeftKey = 37;
constexpr int RightKey = 39;

} // namespace

TIncrementForm::TIncrementForm(QWidget* parent)
    : QDialog(parent)
{
    setupUi(this);
    ConnectControls();
}

void TIncrementForm::ConnectControls()
{
    auto& edit = platform::ControlEvents::Of(leIncValue);
    edit.OnKeyPress = [this](char& key) { leIncValueKeyPress(key); };
    edit.OnClick = [this] { leIncValueClick(); };
    edit.OnKeyDown = [this](int& key, Qt::KeyboardModifiers) { leIncValueKeyDown(key); };
    edit.OnKeyUp = [this](int& key, Qt::KeyboardModifiers) { leIncValueKeyUp(key); };
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TIncrementForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (platform::BeginsShowing(*event))
        CentreOnScreen(*this);
}

// Enter ends the dialog through OK; the key itself goes no further, so the
// dialog's default button does not end it a second time.
void TIncrementForm::leIncValueKeyPress(char& key)
{
    if (key != EnterKey)
        return;
    key = 0;
    cmdOK->click();
}

void TIncrementForm::leIncValueClick()
{
    leIncValue->selectAll();
}

// The arrows keep the whole text selected instead of moving the caret, so
// whatever is typed next replaces it.
void TIncrementForm::leIncValueKeyDown(int& key)
{
    if (key == LeftKey || key == RightKey)
        leIncValue->selectAll();
}

void TIncrementForm::leIncValueKeyUp(int& key)
{
    if (key == LeftKey || key == RightKey)
        leIncValue->selectAll();
}
