#include "serial/CommSettings.h"

#include "platform/ControlEvents.h"
#include "platform/Conversions.h"
#include "platform/EventGuard.h"
#include "platform/Showing.h"
#include "platform/Services.h"
#include "terminal/DialogPlacement.h"
#include "terminal/Main.h"

#include <QShowEvent>

#include <array>

TCommSettingForm* CommSettingForm = nullptr;

namespace {

// The codes the lists stand for, item by item, as the port object holds them.
constexpr std::array<std::int32_t, 9> BaudRates = {300, 1200, 2400, 4800, 9600,
                                                   19200, 38400, 57600, 115200};
constexpr std::array<std::int32_t, 4> DataBitsCodes = {1, 2, 4, 8};
constexpr std::array<std::int32_t, 5> ParityCodes = {0, 1, 2, 3, 4};
constexpr std::array<std::int32_t, 3> StopBitsCodes = {0, 1, 2};

// The item that stands for the code, or -1 when the list has none.
template <std::size_t N>
int ItemOf(const std::array<std::int32_t, N>& codes, std::int32_t code)
{
    for (std::size_t item = 0; item < N; ++item)
        if (codes[item] == code)
            return static_cast<int>(item);
    return -1;
}

CSerialPort& Port()
{
    return *CommTermForm->CommPort;
}

void MarkConfigChanged()
{
    CommTermForm->ConfigChanged = true;
}

// A list choice: the configuration has changed and the field takes the code of
// the chosen item; a list without a choice leaves the field as it was.
template <std::size_t N>
void ChooseCode(const QComboBox& list, const std::array<std::int32_t, N>& codes, std::int32_t& field)
{
    MarkConfigChanged();
    const int item = list.currentIndex();
    if (item >= 0 && static_cast<std::size_t>(item) < N)
        field = codes[static_cast<std::size_t>(item)];
}

// A value set from outside counts as a change even when no item stands for
// it; a listed one is chosen as if the user had picked it.
template <std::size_t N, typename Choose>
void SelectCode(QComboBox& list, const std::array<std::int32_t, N>& codes, std::int32_t code,
                Choose choose)
{
    MarkConfigChanged();
    const int item = ItemOf(codes, code);
    if (item < 0)
        return;
    list.setCurrentIndex(item);
    choose();
}

std::uint8_t TerminationByte(const QString& part)
{
    return static_cast<std::uint8_t>(platform::StrToInt(QStringLiteral("0x") + part) & 0xFF);
}

} // namespace

bool TerminationTextNeedsComma(const QString& text)
{
    return text.size() > 2 && !text.contains(QLatin1Char(','));
}

void ParseTerminationBytes(const QString& text, QByteArray& bytes)
{
    const qsizetype comma = text.indexOf(QLatin1Char(','));
    if (comma < 0) {
        bytes.append(static_cast<char>(TerminationByte(text)));
        return;
    }
    bytes.append(static_cast<char>(TerminationByte(text.left(comma))));
    bytes.append(static_cast<char>(TerminationByte(text.mid(comma + 1))));
}

void ApplyTerminationString(const QString& text)
{
    CommTermForm->TerminationChanged = false;
    CommTermForm->TerminationString = text;
    CommTermForm->TerminationBytes.clear();
    ParseTerminationBytes(text, CommTermForm->TerminationBytes);
    CommTermForm->TerminationChanged = false;
}

TCommSettingForm::TCommSettingForm(QWidget* parent)
    : QDialog(parent)
{
    setupUi(this);
    ConnectControls();
}

void TCommSettingForm::ConnectControls()
{
    platform::ControlEvents::Of(cboBaudRate).OnClick = [this] { cboBaudRateSelect(); };
    platform::ControlEvents::Of(cboDataBits).OnClick = [this] { cboDataBitsSelect(); };
    platform::ControlEvents::Of(cboParity).OnClick = [this] { cboParitySelect(); };
    platform::ControlEvents::Of(cboStopBits).OnClick = [this] { cboStopBitsSelect(); };
    auto& terminator = platform::ControlEvents::Of(leTerminationString);
    terminator.OnChange = [this] { leTerminationStringChange(); };
    terminator.OnKeyPress = [this](char& key) { leTerminationStringKeyPress(key); };
    connect(cmdOK, &QPushButton::clicked, this, platform::Guarded([this] { cmdOKClick(); }));
    connect(Button1, &QPushButton::clicked, this, platform::Guarded([this] { Button1Click(); }));
}

void TCommSettingForm::cboBaudRateSelect()
{
    ChooseCode(*cboBaudRate, BaudRates, Port().BaudRate);
    if (cboBaudRate->currentIndex() >= 0)
        Port().BaudRateText = cboBaudRate->currentText();
}

void TCommSettingForm::cboDataBitsSelect()
{
    ChooseCode(*cboDataBits, DataBitsCodes, Port().DataBits);
}

void TCommSettingForm::cboParitySelect()
{
    ChooseCode(*cboParity, ParityCodes, Port().Parity);
}

void TCommSettingForm::cboStopBitsSelect()
{
    ChooseCode(*cboStopBits, StopBitsCodes, Port().StopBits);
}

void TCommSettingForm::SetBaudRate(std::int32_t baudRate)
{
    SelectCode(*cboBaudRate, BaudRates, baudRate, [this] { cboBaudRateSelect(); });
}

void TCommSettingForm::SetByteSize(std::int32_t dataBitsCode)
{
    SelectCode(*cboDataBits, DataBitsCodes, dataBitsCode, [this] { cboDataBitsSelect(); });
}

void TCommSettingForm::SetParity(std::int32_t parityCode)
{
    SelectCode(*cboParity, ParityCodes, parityCode, [this] { cboParitySelect(); });
}

void TCommSettingForm::SetStopBits(std::int32_t stopBitsCode)
{
    SelectCode(*cboStopBits, StopBitsCodes, stopBitsCode, [this] { cboStopBitsSelect(); });
}

void TCommSettingForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    platform::OnShowing(*event, [this] {
        if (parentWidget() != nullptr)
            CentreOnWindow(*this, *parentWidget());
        FormShow();
    });
}

void TCommSettingForm::FormShow()
{
    OKPressed = false;
    SavedBaudRate = Port().BaudRate;
    SavedParity = Port().Parity;
    SavedDataBits = Port().DataBits;
    SavedStopBits = Port().StopBits;
}

void TCommSettingForm::cmdOKClick()
{
    OKPressed = true;
    accept();
}

void TCommSettingForm::Button1Click()
{
    OKPressed = false;
    reject();
}

// Every way out of the dialog (OK, Cancel, Escape, the close box) ends here,
// and so does the modal loop the main window runs.
void TCommSettingForm::done(int result)
{
    platform::RunGuarded([this] { FormClose(); });
    QDialog::done(result);
}

void TCommSettingForm::FormClose()
{
    if (OKPressed)
        return;
    Port().BaudRate = SavedBaudRate;
    Port().Parity = SavedParity;
    Port().DataBits = SavedDataBits;
    Port().StopBits = SavedStopBits;
}

void TCommSettingForm::leTerminationStringChange()
{
    CommTermForm->TerminationChanged = true;
}

void TCommSettingForm::leTerminationStringKeyPress(char& key)
{
    if (key != '\r')
        return;
    const QString text = leTerminationString->text();
    if (text.isEmpty())
        return;
    leTerminationString->setFocus();
    if (TerminationTextNeedsComma(text)) {
        ErrorMissingComma();
        return;
    }
    ApplyTerminationString(text);
}

void TCommSettingForm::ErrorMissingComma()
{
    // The main window also asks for the message while this dialog is hidden.
    QWidget* owner = isVisible() ? this : parentWidget();
    platform::Services().ShowMessage(owner, QStringLiteral("Terminal String Format"),
                                     QStringLiteral("If the terminal string contains \r\n"
                                                    "multiple bytes, each byte must \r\n"
                                                    "be separated by a comma."),
                                     platform::MessageIcon::Exclamation);
}
