#pragma once

#include "ui_CommLog.h"

#include <QColor>
#include <QDateTime>
#include <QMainWindow>
#include <QString>

#include <array>

class QLineEdit;
class QMenu;
class QTimer;

namespace platform {
class DisplayedLineCounter;
}

// The communications log window: a coloured record of the traffic on the serial
// line beside the table of instrument error replies. It can be minimised but not
// maximised.
class TCommLogForm : public QMainWindow, private Ui::TCommLogForm
{
    Q_OBJECT

public:
    explicit TCommLogForm(QWidget* parent = nullptr);

    // Controls that tests and other windows reach by name.
    using Ui::TCommLogForm::reLog;
    using Ui::TCommLogForm::SBar;

    // Entries appended after this take the colour.
    void SetAttributeColor(const QColor& colour);
    // Adds one entry as the last line. A full log is saved under Logs/ and
    // restarted with the entry; a save that fails throws its file error to
    // the caller, with logging switched off and the entry not added.
    void AppendToLog(const QString& entry);
    void UpdateSBar(int lineCount, bool enabled);
    void DisplayCommErrors();
    void WriteCommErrorsToRLOG();
    void SaveLogFile();

    // Window events.
    void FormCreate();
    void FormShow();
    void FormClose();
    void tmrUpdateTimer();

    // Controls and menu entries.
    void Button1Click();
    void cmdClearErrorsClick();
    void rbLogEnaClick();
    void rbLogDisClick();
    void SavetoFile1Click();
    void SavetoFile2Click();
    void Print1Click();
    void Print2Click();
    void Exit1Click();

    int LogLineCount = 0;
    std::array<int, 10> CommErrorCount{};
    std::array<QString, 10> CommErrorCommand;

    QMenu* PopupMenuCommLog = nullptr;
    QTimer* tmrUpdate = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct ErrorRow
    {
        QLabel* Label;
        QLineEdit* Count;
        QLineEdit* Command;
    };

    void WrapAtDesignedWidth();
    void BuildPopupMenu();
    void ConnectControls();
    std::array<ErrorRow, 10> ErrorRows() const;
    int ReLogLineCount();
    QColor AttributeColor() const;
    void AddLine(const QString& line);
    void SaveLogAs(bool withErrorTable);
    void PrintLog();
    static bool LogEnabled();

    platform::DisplayedLineCounter* LineCounter = nullptr;
};

extern TCommLogForm* CommLogForm;

// The file an automatic save writes: in Logs/ of the install folder, the
// stem, the local date and time as "mmddyy_hhnnss", then ".doc". Two saves
// within one second share the name.
QString AutomaticSaveFileName(const QString& stem, const QDateTime& when = QDateTime::currentDateTime());
