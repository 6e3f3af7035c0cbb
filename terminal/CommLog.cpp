#include "terminal/CommLog.h"

#include "platform/ControlEvents.h"
#include "platform/Conversions.h"
#include "platform/DisplayedLines.h"
#include "platform/EditActions.h"
#include "platform/EventGuard.h"
#include "platform/PopupMenu.h"
#include "platform/InstallFolder.h"
#include "platform/RichText.h"
#include "platform/Services.h"
#include "terminal/DialogPlacement.h"
#include "terminal/Main.h"

#include <QCloseEvent>
#include <QLayout>
#include <QMenu>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

#include <utility>

TCommLogForm* CommLogForm = nullptr;

namespace {

constexpr int LogLineLimit = 20000;
constexpr int IdleInterval = 5000;
constexpr int ShownInterval = 2000;

const QString NoError = QStringLiteral("No Error");
const QColor Silver(0xC0, 0xC0, 0xC0);
const QColor White(0xFF, 0xFF, 0xFF);

void PaintEdit(QLineEdit& edit, const QColor& colour)
{
    QPalette palette = edit.palette();
    palette.setColor(QPalette::Base, colour);
    edit.setPalette(palette);
}

} // namespace

TCommLogForm::TCommLogForm(QWidget* parent)
    : QMainWindow(parent,
                  Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    setupUi(this);
    tmrUpdate = new QTimer(this);
    LineCounter = new platform::DisplayedLineCounter(*reLog);
    for (const ErrorRow& row : ErrorRows()) {
        PaintEdit(*row.Count, Silver);
        PaintEdit(*row.Command, Silver);
    }
    BuildPopupMenu();
    ConnectControls();
    CentreOnScreen(*this);
    WrapAtDesignedWidth();
    FormCreate();
}

// Logging goes on while the window is hidden, and a window that has never
// been shown has not laid out its controls yet. The log is given its
// designed width at once, so an entry counts the lines it will be shown on
// whether or not the window has been shown.
void TCommLogForm::WrapAtDesignedWidth()
{
    // Parents come before their children, so each layout sees its widget's final size.
    layout()->activate();
    for (QWidget* control : findChildren<QWidget*>()) {
        if (control->layout() != nullptr)
            control->layout()->activate();
    }
    platform::WrapAtCurrentWidth(*reLog);
}

void TCommLogForm::BuildPopupMenu()
{
    PopupMenuCommLog = new QMenu(this);
    PopupMenuCommLog->setObjectName(QStringLiteral("PopupMenuCommLog"));
    platform::AddEditEntries(*PopupMenuCommLog, true);
    PopupMenuCommLog->addSeparator();
    platform::AddMenuEntry(*PopupMenuCommLog, QStringLiteral("Print1"), QStringLiteral("Print"),
                           [this] { Print1Click(); });
    platform::AddMenuEntry(*PopupMenuCommLog, QStringLiteral("SavetoFile1"), QStringLiteral("Save to File"),
                           [this] { SavetoFile1Click(); });
    platform::AttachPopupMenu(*reLog, *PopupMenuCommLog);
}

void TCommLogForm::ConnectControls()
{
    using Handler = void (TCommLogForm::*)();
    const std::pair<QAction*, Handler> entries[] = {
        {SavetoFile2, &TCommLogForm::SavetoFile2Click},
        {Print2, &TCommLogForm::Print2Click},
        {Exit1, &TCommLogForm::Exit1Click},
    };
    for (const auto& [entry, handler] : entries)
        platform::ConnectEntry(entry, this, handler);
    connect(Button1, &QPushButton::clicked, this, platform::Guarded([this] { Button1Click(); }));
    connect(cmdClearErrors, &QPushButton::clicked, this, platform::Guarded([this] { cmdClearErrorsClick(); }));
    platform::OnStateClick(rbLogEna, [this] { rbLogEnaClick(); });
    platform::OnStateClick(rbLogDis, [this] { rbLogDisClick(); });
    connect(tmrUpdate, &QTimer::timeout, this, platform::Guarded([this] { tmrUpdateTimer(); }));
}

std::array<TCommLogForm::ErrorRow, 10> TCommLogForm::ErrorRows() const
{
    return {{
        {lblE0, edE0Count, edE0Text},
        {lblE1, edE1Count, edE1Text},
        {lblE2, edE2Count, edE2Text},
        {lblE3, edE3Count, edE3Text},
        {lblE4, edE4Count, edE4Text},
        {lblE5, edE5Count, edE5Text},
        {lblE6, edE6Count, edE6Text},
        {lblE7, edE7Count, edE7Text},
        {lblE8, edE8Count, edE8Text},
        {lblE9, edE9Count, edE9Text},
    }};
}

bool TCommLogForm::LogEnabled()
{
    return CommTermForm->LogEnabled;
}

// ---- Window events ----

void TCommLogForm::FormCreate()
{
    reLog->clear();
    tmrUpdate->setInterval(IdleInterval);
    tmrUpdate->stop();
    LogLineCount = 0;
    UpdateSBar(0, LogEnabled());
}

void TCommLogForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    FormShow();
}

void TCommLogForm::FormShow()
{
    tmrUpdate->setInterval(ShownInterval);
    tmrUpdate->start();
}

// Closing only hides the window; the log keeps its text and logging goes on.
void TCommLogForm::closeEvent(QCloseEvent* event)
{
    FormClose();
    QMainWindow::closeEvent(event);
}

void TCommLogForm::FormClose()
{
    tmrUpdate->stop();
}

void TCommLogForm::tmrUpdateTimer()
{
    DisplayCommErrors();
    UpdateSBar(LogLineCount, LogEnabled());
    if (LogEnabled())
        rbLogEna->setChecked(true);
    else
        rbLogDis->setChecked(true);
}

// ---- The log ----

void TCommLogForm::SetAttributeColor(const QColor& colour)
{
    QTextCharFormat format;
    format.setForeground(colour);
    reLog->mergeCurrentCharFormat(format);
}

QColor TCommLogForm::AttributeColor() const
{
    return reLog->currentCharFormat().foreground().color();
}

void TCommLogForm::AppendToLog(const QString& entry)
{
    LogLineCount = ReLogLineCount();
    if (LogLineCount < LogLineLimit) {
        AddLine(entry);
    } else {
        const QColor colour = AttributeColor();
        CommTermForm->LogEnabled = false;
        CommTermForm->DisableLog1Click();
        SaveLogFile();
        reLog->clear();
        LogLineCount = ReLogLineCount();
        SetAttributeColor(colour);
        AddLine(entry);
        CommTermForm->LogEnabled = true;
        CommTermForm->EnableLog1Click();
    }
    UpdateSBar(ReLogLineCount(), LogEnabled());
}

int TCommLogForm::ReLogLineCount()
{
    return LineCounter->Count();
}

// Each line ends with a paragraph break, so the log always ends in an empty
// paragraph that is not counted. An added line is not part of the user's
// undo history.
void TCommLogForm::AddLine(const QString& line)
{
    QTextDocument& log = *reLog->document();
    QTextCharFormat format;
    format.setForeground(AttributeColor());
    QTextCursor end(&log);
    end.movePosition(QTextCursor::End);
    log.setUndoRedoEnabled(false);
    // One edit, so the document is laid out once per line.
    end.beginEditBlock();
    if (!end.block().text().isEmpty())
        end.insertBlock();
    end.insertText(line, format);
    end.insertBlock();
    end.endEditBlock();
    log.setUndoRedoEnabled(true);
}

void TCommLogForm::UpdateSBar(int lineCount, bool enabled)
{
    SBar->SetPanelText(0, QStringLiteral(" Line Count: %1").arg(lineCount));
    SBar->SetPanelText(1, enabled ? QStringLiteral(" Status: Logging Communications")
                                  : QStringLiteral(" Status: Comm Logging Disabled"));
}

// The file is rich text although its name ends in ".doc". Logs/ is expected to
// exist; nothing creates it.
void TCommLogForm::SaveLogFile()
{
    const QString fileName = AutomaticSaveFileName(QStringLiteral("Comm Log Output"));
    WriteCommErrorsToRLOG();
    platform::SaveRichTextToFile(fileName, *reLog->document());
}

QString AutomaticSaveFileName(const QString& stem, const QDateTime& when)
{
    const QString stamp = platform::FormatDateTime(QStringLiteral("mmddyy_hhnnss"), when);
    return InstallFolder::File(QStringLiteral("Logs/") + stem + stamp + QStringLiteral(".doc"));
}

// ---- The error table ----

void TCommLogForm::DisplayCommErrors()
{
    const auto rows = ErrorRows();
    for (std::size_t n = 0; n < rows.size(); ++n) {
        rows[n].Count->setText(QString::number(CommErrorCount[n]));
        rows[n].Command->setText(CommErrorCommand[n]);
        const QColor& colour = rows[n].Command->text() == NoError ? Silver : White;
        PaintEdit(*rows[n].Count, colour);
        PaintEdit(*rows[n].Command, colour);
    }
    update();
}

// The rows take the texts the window shows; no padding aligns the columns.
void TCommLogForm::WriteCommErrorsToRLOG()
{
    AddLine(QString());
    AddLine(lblErrorCol->text() + QString(6, u' ') + lblCountCol->text() + QString(6, u' ')
            + lblCommandCol->text());
    AddLine(QString());
    for (const ErrorRow& row : ErrorRows())
        AddLine(row.Label->text() + QString(12, u' ') + row.Count->text() + QString(16, u' ')
                + row.Command->text());
}

// ---- User commands ----

void TCommLogForm::Button1Click()
{
    reLog->clear();
    LogLineCount = ReLogLineCount();
    UpdateSBar(LogLineCount, LogEnabled());
}

void TCommLogForm::cmdClearErrorsClick()
{
    CommTermForm->ResetCommErrorArray();
    DisplayCommErrors();
}

void TCommLogForm::rbLogEnaClick()
{
    CommTermForm->EnableLog1Click();
}

void TCommLogForm::rbLogDisClick()
{
    CommTermForm->DisableLog1Click();
}

void TCommLogForm::SavetoFile1Click()
{
    SaveLogAs(true);
}

void TCommLogForm::SavetoFile2Click()
{
    SaveLogAs(false);
}

// The name is used as chosen: no extension is added.
void TCommLogForm::SaveLogAs(bool withErrorTable)
{
    platform::FileDialogRequest request;
    request.Filter = QStringLiteral("Rich Edit (*.rtf)|*.rtf|All Files (*.*)|*.*");
    request.OverwritePrompt = true;
    const std::optional<QString> fileName = platform::Services().SaveFileName(this, request);
    if (!fileName)
        return;
    if (withErrorTable)
        WriteCommErrorsToRLOG();
    platform::SaveRichTextToFile(*fileName, *reLog->document());
}

void TCommLogForm::Print1Click()
{
    PrintLog();
}

void TCommLogForm::Print2Click()
{
    PrintLog();
}

void TCommLogForm::PrintLog()
{
    WriteCommErrorsToRLOG();
    platform::Services().PrintDocument(this, *reLog->document(), QStringLiteral("Communications Log"));
}

void TCommLogForm::Exit1Click()
{
    close();
}
