#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;

// The life every control panel shares: created hidden at start-up, shown by
// the main window as an ordinary window, and hidden again when closed with its
// controls and fields kept for the next showing.
namespace panels {

class PanelWindow : public QWidget
{
    Q_OBJECT
public:
    // Each showing; a window restored from the task bar is not shown anew.
    virtual void FormShow() = 0;
    // Each close, before the window hides.
    virtual void FormClose() = 0;

protected:
    // A window of its own, with these flags besides.
    PanelWindow(QWidget* parent, Qt::WindowFlags flags);

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};

// Puts the main window back to its normal size when a closing panel had it
// minimised, that is unless "Show Comm Terminal" is ticked.
void RestoreCommTerminal();

// A labelled edit's label is the label whose buddy it is; it shows and hides
// with its edit.
QLabel* EditLabel(const QLineEdit& edit);
void SetLabelledEditVisible(QLineEdit& edit, bool visible);

} // namespace panels
