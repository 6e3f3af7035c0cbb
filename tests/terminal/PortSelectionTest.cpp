#include "ConfigurationTestSupport.h"

#include "platform/StatusBar.h"
#include "serial/CommSettings.h"
#include "support/ModalScript.h"
#include "terminal/commcyclethread.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <map>
#include <memory>
#include <vector>

#include <termios.h>

namespace {

const QString PortWarningTitle = QStringLiteral("Communications Port Warning");
const QString PortWarningText = QStringLiteral("A communications port must be selected before sending commands");
const QString CommaTitle = QStringLiteral("Terminal String Format");

// A configuration file storing this port and these line settings.
QStringList StoredSettings(const QString& port, const QString& baud = QStringLiteral("9600"),
                           const QString& dataBits = QStringLiteral("8"), const QString& parity = QStringLiteral("0"),
                           const QString& stopBits = QStringLiteral("0"))
{
    QStringList lines = DefaultFileLines();
    lines[0] = port;
    lines[1] = baud;
    lines[2] = baud;
    lines[3] = dataBits;
    lines[4] = parity;
    lines[5] = stopBits;
    return lines;
}

// The main window started with instruments on the given ports and, when
// given, a configuration file; every other port is absent.
class PortFixture : public WindowFixture
{
protected:
    explicit PortFixture(std::vector<int> ports, QStringList storedLines = {})
        : PortsAtStart(std::move(ports)), StoredLines(std::move(storedLines))
    {
    }

    void PrepareInstallFolder() override
    {
        for (int number : PortsAtStart)
            Instruments[number] = std::make_unique<FakeInstrument>(number);
        if (!StoredLines.isEmpty()) {
            QFile file(ConfigFileName());
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(CrLfLines(StoredLines));
        }
    }

    // The instrument is unplugged: its port no longer opens.
    void Unplug(int number)
    {
        Instruments.erase(number);
        Folder.HideUnlinkedPorts();
    }

    QComboBox* PortBox() const { return MainControl<QComboBox>("cboCommTerminal"); }
    QStringList PortItems() const
    {
        QStringList items;
        for (int i = 0; i < PortBox()->count(); ++i)
            items << PortBox()->itemText(i);
        return items;
    }
    void PickPort(int itemIndex)
    {
        PortBox()->setFocus();
        for (int i = PortBox()->currentIndex(); i < itemIndex; ++i)
            QTest::keyClick(PortBox(), Qt::Key_Down);
    }
    QString PortPanel(int index) const { return MainControl<TStatusBar>("sbCommProperties")->PanelText(index); }
    int PortWarnings() const
    {
        int count = 0;
        for (const TestServices::Message& message : Ui.Messages) {
            if (message.Title == PortWarningTitle) {
                EXPECT_EQ(message.Text, PortWarningText);
                EXPECT_EQ(message.Icon, platform::MessageIcon::Exclamation);
                ++count;
            }
        }
        return count;
    }
    bool CommControlsEnabled() const { return MainControl("eSendCommand")->isEnabled(); }
    speed_t LineSpeed(int number) const
    {
        const termios line = Instruments.at(number)->SlaveTermios();
        return cfgetospeed(&line);
    }

    std::vector<int> PortsAtStart;
    QStringList StoredLines;
    std::map<int, std::unique_ptr<FakeInstrument>> Instruments;
};

class NothingStored : public PortFixture
{
protected:
    NothingStored() : PortFixture({2, 5}) {}
};

class PortsAtTheEdges : public PortFixture
{
protected:
    PortsAtTheEdges() : PortFixture({1, 10, 11, 65, 119, 120}) {}
};

class StoredLowerCase : public PortFixture
{
protected:
    StoredLowerCase() : PortFixture({3}, StoredSettings("com3")) {}
};

class StoredMissing : public PortFixture
{
protected:
    StoredMissing() : PortFixture({3}, StoredSettings("COM5")) {}
};

class StoredCom70 : public PortFixture
{
protected:
    StoredCom70() : PortFixture({3, 70}, StoredSettings("COM70", "19200", "4", "2", "2")) {}
};

// ---- Scan and listing ----

TEST_F(PortsAtTheEdges, ListsEveryPortThatOpensInOrderAndNothingAbove119)
{
    EXPECT_EQ(PortItems(), (QStringList{"COM1", "COM10", "COM11", "COM65", "COM119"}));
    for (std::size_t n = 0; n < CommTermForm->CommPortBuff.size(); ++n) {
        const bool present = n == 1 || n == 10 || n == 11 || n == 65 || n == 119;
        EXPECT_EQ(CommTermForm->CommPortBuff[n], present ? 1 : 0) << n;
    }
}

TEST_F(PortsAtTheEdges, FindsOnlyAWholeNameWhateverItsCase)
{
    EXPECT_EQ(TCommTermForm::FindComboText(*PortBox(), "COM1"), 0);
    EXPECT_EQ(TCommTermForm::FindComboText(*PortBox(), "com11"), 2);
    EXPECT_EQ(TCommTermForm::FindComboText(*PortBox(), "Com119"), 4);
    EXPECT_EQ(TCommTermForm::FindComboText(*PortBox(), "COM"), -1);
    EXPECT_EQ(TCommTermForm::FindComboText(*PortBox(), "COM1 "), -1);
    EXPECT_EQ(TCommTermForm::FindComboText(*PortBox(), "COM12"), -1);
}

TEST_F(StoredCom70, APortGoneAtTheNextScanIsNoLongerListed)
{
    ASSERT_EQ(PortItems(), (QStringList{"COM3", "COM70"}));
    Unplug(70);
    MainEntry("CommPortScan1")->trigger();
    EXPECT_EQ(PortItems(), (QStringList{"COM3"}));
}

// ---- Start-up selection ----

TEST_F(NothingStored, StartsWithTheWarningAndOnlyThePortBoxEnabled)
{
    EXPECT_EQ(PortWarnings(), 1);
    EXPECT_EQ(PortItems(), (QStringList{"COM2", "COM5"}));
    EXPECT_EQ(PortBox()->currentIndex(), -1);
    EXPECT_EQ(PortBox()->currentText(), "Comm Port");
    EXPECT_TRUE(PortBox()->isEnabled());
    EXPECT_FALSE(CommControlsEnabled());
    EXPECT_FALSE(CommTermForm->CommPort->IsCommPortOpen());
    EXPECT_FALSE(CommTermForm->DelayTimer->isActive());
    EXPECT_EQ(CycleThread, nullptr);
    EXPECT_EQ(PortPanel(0), "Port: NONE");
    EXPECT_FALSE(CommTermForm->ConfigChanged);
}

TEST_F(StoredMissing, AStoredPortTheScanDidNotFindStartsWithTheWarning)
{
    EXPECT_EQ(PortWarnings(), 1);
    EXPECT_EQ(PortBox()->currentIndex(), -1);
    EXPECT_EQ(PortBox()->currentText(), "Comm Port");
    EXPECT_FALSE(CommControlsEnabled());
    EXPECT_FALSE(CommTermForm->CommPort->IsCommPortOpen());
}

TEST_F(StoredLowerCase, ALowerCaseStoredNameIsFoundAndShownAsStored)
{
    EXPECT_EQ(PortWarnings(), 0);
    EXPECT_EQ(PortBox()->currentIndex(), 0);
    EXPECT_EQ(PortBox()->currentText(), "com3");
    EXPECT_TRUE(CommTermForm->CommPort->IsCommPortOpen());
    EXPECT_EQ(PortPanel(0), "Port: com3");
    EXPECT_TRUE(CommControlsEnabled());
}

TEST_F(StoredCom70, TheStoredPortIsOpenWithItsLineSettingsOnTheLine)
{
    EXPECT_EQ(PortWarnings(), 0);
    EXPECT_EQ(PortBox()->currentText(), "COM70");
    ASSERT_TRUE(CommTermForm->CommPort->IsCommPortOpen());
    EXPECT_EQ(CommTermForm->CommPort->PortName, "COM70");
    EXPECT_EQ(LineSpeed(70), speed_t(B19200));
    EXPECT_EQ(PortPanel(0), "Port: COM70");
    EXPECT_EQ(PortPanel(1), "Settings: 19200 7-E-2");
    EXPECT_TRUE(CommTermForm->DelayTimer->isActive());
    EXPECT_TRUE(CommControlsEnabled());
    EXPECT_EQ(MainControl<QLineEdit>("eSendCommand")->text(), "Command");
    // The selection drives the dialog's lists, and with them the configuration.
    EXPECT_TRUE(CommTermForm->ConfigChanged);
    EXPECT_EQ(CommSettingForm->cboDataBits->currentText(), "7");
}

// ---- Picking a port ----

TEST_F(NothingStored, PickingAPortOpensItAndStartsTheWorkerAndThePoll)
{
    PickPort(1);
    EXPECT_EQ(PortBox()->currentText(), "COM5");
    ASSERT_TRUE(CommTermForm->CommPort->IsCommPortOpen());
    EXPECT_EQ(CommTermForm->CommPort->PortName, "COM5");
    EXPECT_EQ(LineSpeed(5), speed_t(B9600));
    EXPECT_EQ(PortPanel(0), "Port: COM5");
    EXPECT_EQ(PortPanel(1), "Settings: 9600 8-N-1");
    EXPECT_TRUE(CommControlsEnabled());
    EXPECT_TRUE(CommTermForm->DelayTimer->isActive());
    EXPECT_NE(CycleThread, nullptr);
    EXPECT_EQ(PortWarnings(), 1);
}

TEST_F(NothingStored, PickingAnotherPortMovesTheConnection)
{
    PickPort(0);
    ASSERT_EQ(CommTermForm->CommPort->PortName, "COM2");
    PickPort(1);
    EXPECT_EQ(CommTermForm->CommPort->PortName, "COM5");
    EXPECT_TRUE(CommTermForm->CommPort->IsCommPortOpen());
    // COM2 was let go: another program could take it now.
    CSerialPort other;
    EXPECT_TRUE(other.OpenCommPort("COM2"));
    other.CloseCommPort();
}

TEST_F(NothingStored, TypingAnUnlistedNameAddsNoPortAndOpensNothing)
{
    PortBox()->setFocus();
    PortBox()->clearEditText();
    QTest::keyClicks(PortBox(), "COM9");
    QTest::keyClick(PortBox(), Qt::Key_Return);
    EXPECT_EQ(PortItems(), (QStringList{"COM2", "COM5"}));
    EXPECT_FALSE(CommTermForm->CommPort->IsCommPortOpen());
    EXPECT_FALSE(CommControlsEnabled());
}

// ---- Rescan ----

TEST_F(StoredCom70, ARescanKeepsTheSelectedPortAndItsSettings)
{
    Ui.Messages.clear();
    MainEntry("CommPortScan1")->trigger();
    EXPECT_EQ(PortWarnings(), 0);
    EXPECT_EQ(PortBox()->currentText(), "COM70");
    EXPECT_TRUE(CommTermForm->CommPort->IsCommPortOpen());
    EXPECT_EQ(PortPanel(1), "Settings: 19200 7-E-2");
    EXPECT_TRUE(CommControlsEnabled());
    EXPECT_TRUE(CommTermForm->DelayTimer->isActive());
}

TEST_F(StoredCom70, ARescanWhosePortIsGoneEndsClosedWarnedAndDisabled)
{
    Ui.Messages.clear();
    Unplug(70);
    MainEntry("CommPortScan1")->trigger();
    // Once from the scan's own selection, once from the rescan's.
    EXPECT_EQ(PortWarnings(), 2);
    EXPECT_EQ(PortItems(), (QStringList{"COM3"}));
    EXPECT_EQ(PortBox()->currentIndex(), -1);
    EXPECT_EQ(PortBox()->currentText(), "Comm Port");
    EXPECT_FALSE(CommTermForm->CommPort->IsCommPortOpen());
    EXPECT_EQ(CycleThread, nullptr);
    EXPECT_FALSE(CommControlsEnabled());
    EXPECT_TRUE(PortBox()->isEnabled());
    EXPECT_FALSE(CommTermForm->ConfigChanged);
}

// ---- Comm Properties ----

// Types the text into the dialog's terminator edit as a user does and clicks OK.
ModalScript::Step TypeTerminatorAndOk(const QString& text)
{
    return [text](QDialog&) {
        CommSettingForm->leTerminationString->selectAll();
        QTest::keyClicks(CommSettingForm->leTerminationString, text);
        CommSettingForm->cmdOK->click();
    };
}

ModalScript::Step ClickOk()
{
    return [](QDialog&) { CommSettingForm->cmdOK->click(); };
}

int CommaMessages(const TestServices& ui)
{
    int count = 0;
    for (const TestServices::Message& message : ui.Messages)
        count += message.Title == CommaTitle ? 1 : 0;
    return count;
}

TEST_F(StoredCom70, PropertiesRepeatsTheCommaMessageUntilTheTerminatorIsMended)
{
    ModalScript dialog(*CommSettingForm);
    dialog.Then(TypeTerminatorAndOk("0D0A")).Then(ClickOk()).Then(TypeTerminatorAndOk("0D,0A"));
    MainEntry("CommProperties1")->trigger();
    EXPECT_EQ(dialog.Showings(), 3);
    EXPECT_EQ(CommaMessages(Ui), 2);
    EXPECT_EQ(CommTermForm->TerminationString, "0D,0A");
    EXPECT_EQ(CommTermForm->TerminationBytes, QByteArray("\r\n"));
    EXPECT_FALSE(CommTermForm->TerminationChanged);
    EXPECT_EQ(CommSettingForm->windowTitle(), "COM70 Properties");
}

TEST_F(StoredCom70, PropertiesAcceptsATerminatorCutToTwoCharacters)
{
    ModalScript dialog(*CommSettingForm);
    dialog.Then(TypeTerminatorAndOk("0D0A")).Then(TypeTerminatorAndOk("0A"));
    MainEntry("CommProperties1")->trigger();
    EXPECT_EQ(dialog.Showings(), 2);
    EXPECT_EQ(CommaMessages(Ui), 1);
    EXPECT_EQ(CommTermForm->TerminationBytes, QByteArray("\n"));
}

TEST_F(StoredCom70, PropertiesAppliesTheChosenBaudRateToTheOpenPort)
{
    ModalScript dialog(*CommSettingForm);
    dialog.Then([](QDialog&) {
        CommSettingForm->cboBaudRate->setFocus();
        QTest::keyClick(CommSettingForm->cboBaudRate, Qt::Key_Down);
        CommSettingForm->cmdOK->click();
    });
    MainEntry("CommProperties1")->trigger();
    EXPECT_EQ(dialog.Showings(), 1);
    EXPECT_EQ(CommTermForm->CommPort->BaudRate, 38400);
    EXPECT_EQ(PortPanel(1), "Settings: 38400 7-E-2");
    EXPECT_EQ(LineSpeed(70), speed_t(B38400));
    // An untouched terminator is not parsed again.
    EXPECT_EQ(CommaMessages(Ui), 0);
    EXPECT_TRUE(Ui.Exceptions.empty());
}

TEST_F(StoredCom70, ATerminatorThatIsNoNumberStopsTheEntryBeforeTheSettingsApply)
{
    ModalScript dialog(*CommSettingForm);
    dialog.Then([](QDialog&) {
        CommSettingForm->cboBaudRate->setFocus();
        QTest::keyClick(CommSettingForm->cboBaudRate, Qt::Key_Down);
        TypeTerminatorAndOk("ZZ")(*CommSettingForm);
    });
    MainEntry("CommProperties1")->trigger();
    ASSERT_EQ(Ui.Exceptions.size(), 1u);
    EXPECT_EQ(Ui.Exceptions[0], "'0xZZ' is not a valid integer value");
    EXPECT_EQ(PortPanel(1), "Settings: 19200 7-E-2");
    EXPECT_EQ(LineSpeed(70), speed_t(B19200));
    EXPECT_EQ(CycleThread, nullptr);
}

// ---- Settings text ----

TEST_F(NothingStored, SettingsTextCoversEveryCodeAndSkipsUnknownOnes)
{
    CSerialPort& port = *CommTermForm->CommPort;
    const struct {
        std::int32_t Baud, DataBits, Parity, StopBits;
        const char* Text;
    } cases[] = {
        {9600, 8, 0, 0, "Settings: 9600 8-N-1"},
        {19200, 4, 2, 2, "Settings: 19200 7-E-2"},
        {300, 1, 1, 1, "Settings: 300 5-O-1.5"},
        {115200, 2, 3, 0, "Settings: 115200 6-M-1"},
        {1200, 8, 4, 2, "Settings: 1200 8-S-2"},
        {9600, 3, 5, 3, "Settings: 9600 "},
        {9600, -1, -1, -1, "Settings: 9600 "},
    };
    for (const auto& c : cases) {
        port.BaudRate = c.Baud;
        port.DataBits = c.DataBits;
        port.Parity = c.Parity;
        port.StopBits = c.StopBits;
        CommTermForm->SetCommPropertyStatusBarInfo();
        EXPECT_EQ(PortPanel(1), c.Text);
    }
}

} // namespace

TEST_F(StoredLowerCase, ARescanKeepsALowerCaseStoredPortSelected)
{
    MainEntry("CommPortScan1")->trigger();
    EXPECT_EQ(PortWarnings(), 0);
    EXPECT_EQ(PortBox()->currentIndex(), 0);
    EXPECT_TRUE(CommTermForm->CommPort->IsCommPortOpen());
    EXPECT_TRUE(CommControlsEnabled());
}
