#pragma once

#include "settings_transfer/QueryFile.h"

#include <QString>
#include <QStringList>

#include <array>
#include <utility>

// What the download and the upload need of the instrument settings window:
// its command exchange, its pauses, progress bars and editors. The walks keep
// no widget of their own, so they run the same against a test's recording
// window as against the real one.
class TransferWindow
{
public:
    enum class Walk { Download, Upload };

    // The exchange's modes: an "ok" or "OK" is expected, or any reply.
    static constexpr int AcknowledgedCommand = 1;
    static constexpr int InstrumentQuery = 3;

    virtual QString SendInstrumentCommand(const QString& command, int mode) = 0;
    // True once a command of this transfer could not be written: the adapter
    // is gone, so the walk ends there and what it read so far is all there is.
    // A window whose writes cannot fail need not say.
    virtual bool WriteFailed() const { return false; }
    virtual void Pause(int milliseconds) = 0;
    // One step of the walk's bar, with its label.
    virtual void StepProgress(Walk walk) = 0;
    virtual void AddSettingLine(const QString& line) = 0;
    virtual void AddToRestoreFile(const QString& line) = 0;
    // A data line is done: the walk's editors put their caret at the start of
    // nextLine and the window repaints.
    virtual void LineDone(Walk walk, int nextLine) = 0;
    virtual void Repaint() = 0;

protected:
    ~TransferWindow() = default;
};

// The download's walk over the lines of a query file, and its working state,
// which lives as long as the window.
class SettingsQuery
{
public:
    static constexpr std::size_t ValueLimit = 40;

    explicit SettingsQuery(TransferWindow& window) : Window(window) {}

    // Sends the file's commands, adds each setting line as it comes and its
    // restore line in file order, the held-back ones last. Every line sent
    // or added is one line (WithoutLineEnds). At a command that could not be
    // written the walk ends, that line yielding nothing and no held-back line
    // added.
    void QueryInstrumentSettings(const QStringList& lines);

    void AddRestoreLine(const QString& line);
    void ClearValueMap();
    void ClearValueList();
    void ClearDeferredRestoreLines();
    int DeferredRestoreCount() const { return static_cast<int>(DeferredRestoreLines.size()); }

    bool DeferRestoreLines = false;
    // Every held line is kept, in order, however many a file defers.
    QStringList DeferredRestoreLines;
    std::array<std::pair<QString, QString>, ValueLimit> ValueMap;  // reply text, value
    std::array<QString, ValueLimit> ValueList;

private:
    void FollowComment(const QString& line);
    void RunDataLine(const QString& line);
    void RunPlainQuery(const QString& label, const QString& rest);
    void RunSerialNumberQuery(const QString& label, const QString& rest);
    void RunDisplayOnlyQuery(const QString& label, const QString& rest);
    void RunCommandLine(const QString& label, const QString& rest);
    void RunTypedLine(const QString& label, const QString& rest);
    void RunExtractLine(const QString& label, QString fields);
    void RunLookupLine(const QString& label, QString fields);
    void RunListLine(const QString& label, QString fields);
    void RunPickLine(const QString& label, QString fields);
    std::size_t ReadValueMap(QString& fields);
    QString LookUp(const QString& reply, std::size_t pairs) const;
    void CollectValueList(const QString& reply, const QString& separator, const QueryFile::Markers& markers);
    QString Reply(const QString& command, int mode, const QString& terminator);
    bool YieldsNothing(const QString& reply) const;
    void AddSettingLine(const QString& label, const QString& value);
    void AddSetting(const QString& label, const QString& command, const QString& value);

    TransferWindow& Window;
};

// The upload's walk over the lines of a restore file: each command is sent,
// as one line, and its value shown as a setting line. It ends at a command
// that could not be written.
void RestoreInstrumentSettings(TransferWindow& window, const QStringList& lines);
