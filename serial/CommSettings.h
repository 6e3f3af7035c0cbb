#pragma once

#include "ui_CommSettings.h"

#include <QByteArray>
#include <QDialog>
#include <QString>

#include <cstdint>

// The terminator text: one byte, or two bytes separated by one comma, each in
// hexadecimal without prefix ("0D,0A"). The dialog, the main window's
// "Comm Properties" entry and the configuration loader all read it through
// these, so they agree on every text.

// A text of more than two characters can only be two bytes, and then the
// comma is mandatory.
bool TerminationTextNeedsComma(const QString& text);

// Appends one byte per part: the text before the first comma, then all the
// text after it (so a third byte makes the second part invalid). Each part is
// read as "0x" + part and reduced to its low 8 bits. Throws EConvertError on a
// bad part; the bytes converted before it stay appended.
void ParseTerminationBytes(const QString& text, QByteArray& bytes);

// Makes the text the main window's terminator: TerminationString = text,
// TerminationChanged = false, TerminationBytes = the parsed bytes. On a bad
// part the EConvertError propagates with the string already new, the changed
// flag false and the bytes holding what was converted before the bad part.
void ApplyTerminationString(const QString& text);

// The modal port properties dialog. The main window renames it after the
// selected port before each showing. Every choice goes straight into the main
// window's port object; Cancel or the close box only takes back the numeric
// settings.
class TCommSettingForm : public QDialog, private Ui::TCommSettingForm
{
    Q_OBJECT

public:
    explicit TCommSettingForm(QWidget* parent = nullptr);

    using Ui::TCommSettingForm::cboBaudRate;
    using Ui::TCommSettingForm::cboDataBits;
    using Ui::TCommSettingForm::cboParity;
    using Ui::TCommSettingForm::cboStopBits;
    using Ui::TCommSettingForm::leTerminationString;
    using Ui::TCommSettingForm::cmdOK;
    using Ui::TCommSettingForm::Button1;

    void SetBaudRate(std::int32_t baudRate);
    void SetByteSize(std::int32_t dataBitsCode);
    void SetParity(std::int32_t parityCode);
    void SetStopBits(std::int32_t stopBitsCode);
    void ErrorMissingComma();

    bool OKPressed = false;
    std::int32_t SavedBaudRate = 0;
    std::int32_t SavedParity = 0;
    std::int32_t SavedDataBits = 0;
    std::int32_t SavedStopBits = 0;

    // Event handlers, public so the main window and tests reach them as the
    // controls do.
    void cboBaudRateSelect();
    void cboDataBitsSelect();
    void cboParitySelect();
    void cboStopBitsSelect();
    void FormShow();
    void cmdOKClick();
    void Button1Click();
    void FormClose();
    void leTerminationStringChange();
    void leTerminationStringKeyPress(char& key);

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void ConnectControls();
};

extern TCommSettingForm* CommSettingForm;
