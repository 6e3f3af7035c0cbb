// The settings download and upload walks over arbitrary query and restore
// files, against an instrument whose replies come from the input too: no
// crash, no sanitizer report, no walk that never ends, the bar, the pauses
// and the caret within their bounds, and every command sent and every
// settings and restore line added a single line: no carriage return, line
// feed or zero in it.
//
// Input: the file's text, a zero byte, then the replies separated by 0x01,
// given in turn and over again.

#include "settings_transfer/SettingsWalks.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

void RequireOneLine(const QString& text)
{
    for (const QChar character : text)
        Require(character != QLatin1Char('\r') && character != QLatin1Char('\n') && character != QChar(u'\0'));
}

class FuzzWindow : public TransferWindow
{
public:
    explicit FuzzWindow(QList<QByteArray> replies) : Replies(std::move(replies)) {}

    QString SendInstrumentCommand(const QString& command, int mode) override
    {
        Require(mode == AcknowledgedCommand || mode == InstrumentQuery);
        RequireOneLine(command);
        ++Sent;
        return Replies.isEmpty() ? QString() : QString::fromLatin1(Replies[Sent % Replies.size()]);
    }
    void Pause(int milliseconds) override
    {
        Require(milliseconds == 20 || milliseconds == 50);
        Pauses += milliseconds == 20;
    }
    void StepProgress(Walk) override { ++Steps; }
    void AddSettingLine(const QString& line) override { RequireOneLine(line); }
    void AddToRestoreFile(const QString& line) override { RequireOneLine(line); }
    void LineDone(Walk, int nextLine) override
    {
        Require(nextLine > LastLineDone);
        LastLineDone = nextLine;
    }
    void Repaint() override {}

    QList<QByteArray> Replies;
    qsizetype Sent = 0;
    qsizetype Pauses = 0;
    int Steps = 0;
    int LastLineDone = 0;
};

void Check(const FuzzWindow& window, const QStringList& lines)
{
    Require(window.Steps <= 100);
    Require(window.Pauses == lines.size());
    Require(window.LastLineDone <= lines.size());
    Require(window.Sent <= lines.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype end = input.indexOf('\0');
    // Lines as an editor may hold them, a stray carriage return inside.
    const QStringList lines = QString::fromLatin1(end < 0 ? input : input.left(end)).split(QLatin1Char('\n'));
    const QList<QByteArray> replies = end < 0 ? QList<QByteArray>() : input.mid(end + 1).split('\x01');

    FuzzWindow download(replies);
    SettingsQuery query(download);
    query.QueryInstrumentSettings(lines);
    Check(download, lines);

    FuzzWindow upload(replies);
    RestoreInstrumentSettings(upload, lines);
    Check(upload, lines);
    return 0;
}
