#include "ConfigurationTestSupport.h"

#include "platform/StatusBar.h"
#include "serial/CommSettings.h"
#include "support/ModalScript.h"
#include "terminal/commcyclethread.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include <termios.h>

namespace {

// The main window started with instruments on the given ports and, unless
// storedPort is empty, a configuration file storing that port at 19200 baud,
// 7 data bits, even parity and 2 stop bits; every other port is absent.
class PortFixture : public WindowFixture
{
protected:
    explicit PortFixture(std::vector<int> ports, QString storedPort = {})
        : PortsAtStart(std::move(ports)), StoredPort(std::move(storedPort))
    {
    }

    void PrepareInstallFolder() override
    {
        for (int number : PortsAtStart)
            Instruments[number] = std::make_unique<FakeInstrument>(number);
        if (StoredPort.isEmpty())
            return;
        QStringList lines = DefaultFileLines();
        lines[0] = StoredPort;
        lines[1] = lines[2] = "19200";
        lines[3] = "4";
        lines[4] = lines[5] = "2";
        QFile file(ConfigFileName());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(CrLfLines(lines));
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
    QString PortPanel(int index) const { return MainControl<TStatusBar>("sbCommProperties")->PanelText(index); }
    int MessagesTitled(const QString& title) const
    {
        int count = 0;
        for (const TestServices::Message& message : Ui.Messages)
            count += message.Title == title ? 1 : 0;
        return count;
    }
    int PortWarnings() const { return MessagesTitled("Communications Port Warning"); }
    bool CommControlsEnabled() const { return MainControl("eSendCommand")->isEnabled(); }
    CSerialPort& Port() const { return *CommTermForm->CommPort; }
    speed_t LineSpeed(int number) const
    {
        const termios line = Instruments.at(number)->SlaveTermios();
        return cfgetospeed(&line);
    }

    // Where no port could be selected: only the port box asks for one.
    void ExpectNoPortSelected() const
    {
        EXPECT_EQ(PortBox()->currentIndex(), -1);
        EXPECT_EQ(PortBox()->currentText(), "Comm Port");
        EXPECT_TRUE(PortBox()->isEnabled());
        EXPECT_FALSE(CommControlsEnabled());
        EXPECT_FALSE(Port().IsCommPortOpen());
        EXPECT_EQ(CycleThread, nullptr);
    }

    std::vector<int> PortsAtStart;
    QString StoredPort;
    std::map<int, std::unique_ptr<FakeInstrument>> Instruments;
};

struct NothingStored : PortFixture { NothingStored() : PortFixture({2, 5}) {} };
struct PortsAtTheEdges : PortFixture { PortsAtTheEdges() : PortFixture({1, 10, 11, 65, 119, 120}) {} };
struct StoredLowerCase : PortFixture { StoredLowerCase() : PortFixture({3}, "com3") {} };
struct StoredMissing : PortFixture { StoredMissing() : PortFixture({3}, "COM5") {} };
struct StoredCom70 : PortFixture { StoredCom70() : PortFixture({3, 70}, "COM70") {} };

// ---- Scan and listing ----

TEST_F(PortsAtTheEdges, ListsEveryPortThatOpensInOrderAndFindsWholeNamesInAnyCase)
{
    EXPECT_EQ(PortItems(), (QStringList{"COM1", "COM10", "COM11", "COM65", "COM119"}));
    for (const auto& [text, index] : {std::pair{"COM1", 0}, {"com11", 2}, {"Com119", 4}, {"COM", -1},
                                      {"COM1 ", -1}, {"COM12", -1}})
        EXPECT_EQ(TCommTermForm::FindComboText(*PortBox(), text), index) << text;
}

// ---- Start-up selection ----

TEST_F(NothingStored, StartsWithTheWarningAndOnlyThePortBoxEnabled)
{
    ASSERT_EQ(Ui.Messages.size(), 1u);
    EXPECT_EQ(Ui.Messages[0].Title, "Communications Port Warning");
    EXPECT_EQ(Ui.Messages[0].Text, "A communications port must be selected before sending commands");
    EXPECT_EQ(Ui.Messages[0].Icon, platform::MessageIcon::Exclamation);
    ExpectNoPortSelected();
    EXPECT_FALSE(CommTermForm->DelayTimer->isActive());
}

TEST_F(StoredMissing, AStoredPortTheScanDidNotFindStartsWithTheWarning)
{
    EXPECT_EQ(PortWarnings(), 1);
    ExpectNoPortSelected();
}

TEST_F(StoredLowerCase, ALowerCaseStoredNameIsFoundShownAsStoredAndKeptByARescan)
{
    EXPECT_EQ(PortBox()->currentIndex(), 0);
    EXPECT_EQ(PortBox()->currentText(), "com3");
    EXPECT_EQ(PortPanel(0), "Port: com3");
    EXPECT_TRUE(Port().IsCommPortOpen());

    MainEntry("CommPortScan1")->trigger();
    EXPECT_EQ(PortWarnings(), 0);
    EXPECT_EQ(PortBox()->currentIndex(), 0);
    EXPECT_TRUE(Port().IsCommPortOpen());
    EXPECT_TRUE(CommControlsEnabled());
    EXPECT_TRUE(CommTermForm->DelayTimer->isActive());
    // A rescan keeps the line settings rather than reading them again.
    EXPECT_EQ(PortPanel(1), "Settings: 19200 7-E-2");
    EXPECT_EQ(LineSpeed(3), speed_t(B19200));
}

TEST_F(StoredCom70, TheStoredPortOpensWithItsLineSettingsAndARescanWithoutItEndsClosed)
{
    EXPECT_EQ(PortWarnings(), 0);
    ASSERT_TRUE(Port().IsCommPortOpen());
    EXPECT_EQ(Port().PortName, "COM70");
    EXPECT_EQ(LineSpeed(70), speed_t(B19200));
    EXPECT_EQ(PortPanel(0), "Port: COM70");
    EXPECT_EQ(PortPanel(1), "Settings: 19200 7-E-2");
    EXPECT_TRUE(CommTermForm->DelayTimer->isActive());
    EXPECT_TRUE(CommControlsEnabled());
    // The selection drives the dialog's lists, and with them the configuration.
    EXPECT_TRUE(CommTermForm->ConfigChanged);

    Unplug(70);
    MainEntry("CommPortScan1")->trigger();
    // Once from the scan's own selection, once from the rescan's.
    EXPECT_EQ(PortWarnings(), 2);
    EXPECT_EQ(PortItems(), (QStringList{"COM3"}));
    ExpectNoPortSelected();
    EXPECT_FALSE(CommTermForm->ConfigChanged);
}

// ---- Picking a port ----

TEST_F(NothingStored, PickingAPortOpensItAndPickingAnotherMovesTheConnection)
{
    ChooseFromList(*PortBox(), 0, ListGesture::ArrowKeys);
    ASSERT_EQ(Port().PortName, "COM2");
    ChooseFromList(*PortBox(), 1, ListGesture::ListMouse);
    ASSERT_TRUE(Port().IsCommPortOpen());
    EXPECT_EQ(Port().PortName, "COM5");
    EXPECT_EQ(LineSpeed(5), speed_t(B9600));
    EXPECT_EQ(PortPanel(0), "Port: COM5");
    EXPECT_EQ(PortPanel(1), "Settings: 9600 8-N-1");
    EXPECT_TRUE(CommControlsEnabled());
    EXPECT_TRUE(CommTermForm->DelayTimer->isActive());
    EXPECT_NE(CycleThread, nullptr);
    EXPECT_EQ(PortWarnings(), 1);
    // COM2 was let go: another program could take it now.
    CSerialPort other;
    EXPECT_TRUE(other.OpenCommPort("COM2"));
    other.CloseCommPort();
}

// A name typed into the port box is no choice: neither Enter nor the close or
// destruction of the window opens it, starts a worker or marks the
// configuration changed, and once the window has closed no selection runs,
// not even one called from code.
TEST_F(NothingStored, TypedTextOpensNoPortWhateverFollows)
{
    const struct {
        const char* Name;
        const char* Typed;
        std::function<void()> Then;
    } cases[] = {
        {"Enter on an unlisted name", "COM9", [this] { QTest::keyClick(PortBox(), Qt::Key_Return); }},
        {"Enter on a listed name", "COM5", [this] { QTest::keyClick(PortBox(), Qt::Key_Return); }},
        {"closing the window", "COM5", [] { CommTermForm->close(); }},
        {"a selection after the close", "COM5", [this] {
             CommTermForm->close();
             PortBox()->setCurrentIndex(1);
             CommTermForm->cboCommTerminalSelect();
         }},
        {"destroying the window", "COM5", [] { DestroyWindows(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        DestroyWindows();
        CreateWindows();
        CommTermForm->show();
        Ui.Messages.clear();
        FocusControl(*PortBox());
        PortBox()->clearEditText();
        QTest::keyClicks(PortBox(), c.Typed);
        c.Then();
        EXPECT_EQ(TCommCycleThread::LiveWorkers(), 0);
        EXPECT_TRUE(Ui.Messages.empty());
        EXPECT_TRUE(Ui.Exceptions.empty());
        if (CommTermForm == nullptr)
            continue;
        EXPECT_EQ(PortItems(), (QStringList{"COM2", "COM5"}));
        EXPECT_FALSE(Port().IsCommPortOpen());
        EXPECT_FALSE(CommTermForm->ConfigChanged);
    }
}

// ---- Comm Properties ----

// Types the text into the dialog's terminator edit as a user does (nothing
// when it is empty) and clicks OK.
ModalScript::Step TypeTerminatorAndOk(const QString& text)
{
    return [text](QDialog&) {
        if (!text.isEmpty()) {
            CommSettingForm->leTerminationString->selectAll();
            QTest::keyClicks(CommSettingForm->leTerminationString, text);
        }
        CommSettingForm->cmdOK->click();
    };
}

void ChooseNextBaudRate()
{
    CommSettingForm->cboBaudRate->setFocus();
    QTest::keyClick(CommSettingForm->cboBaudRate, Qt::Key_Down);
}

TEST_F(StoredCom70, PropertiesRepeatsTheCommaMessageUntilTheTerminatorIsMendedOrCut)
{
    const std::pair<QStringList, QByteArray> cases[] = {{{"0D0A", "", "0D,0A"}, "\r\n"}, {{"0D0A", "0A"}, "\n"}};
    for (const auto& [typed, bytes] : cases) {
        SCOPED_TRACE(typed.join(" / ").toStdString());
        Ui.Messages.clear();
        ModalScript dialog(*CommSettingForm);
        for (const QString& text : typed)
            dialog.Then(TypeTerminatorAndOk(text));
        MainEntry("CommProperties1")->trigger();
        EXPECT_EQ(dialog.Showings(), typed.size());
        EXPECT_EQ(MessagesTitled("Terminal String Format"), typed.size() - 1);
        EXPECT_EQ(CommTermForm->TerminationString, typed.last());
        EXPECT_EQ(CommTermForm->TerminationBytes, bytes);
        EXPECT_FALSE(CommTermForm->TerminationChanged);
    }
    EXPECT_EQ(CommSettingForm->windowTitle(), "COM70 Properties");
}

TEST_F(StoredCom70, PropertiesAppliesTheChosenBaudRateToTheOpenPort)
{
    ModalScript dialog(*CommSettingForm);
    dialog.Then([](QDialog&) {
        ChooseNextBaudRate();
        CommSettingForm->cmdOK->click();
    });
    MainEntry("CommProperties1")->trigger();
    EXPECT_EQ(PortPanel(1), "Settings: 38400 7-E-2");
    EXPECT_EQ(LineSpeed(70), speed_t(B38400));
    // An untouched terminator is not parsed again.
    EXPECT_TRUE(Ui.Messages.empty());
    EXPECT_TRUE(Ui.Exceptions.empty());
}

TEST_F(StoredCom70, ATerminatorThatIsNoNumberStopsTheEntryBeforeTheSettingsApply)
{
    ModalScript dialog(*CommSettingForm);
    dialog.Then([](QDialog& shown) {
        ChooseNextBaudRate();
        TypeTerminatorAndOk("ZZ")(shown);
    });
    MainEntry("CommProperties1")->trigger();
    ASSERT_EQ(Ui.Exceptions.size(), 1u);
    EXPECT_EQ(Ui.Exceptions[0], "'0xZZ' is not a valid integer value");
    EXPECT_EQ(PortPanel(1), "Settings: 19200 7-E-2");
    EXPECT_EQ(LineSpeed(70), speed_t(B19200));
    EXPECT_EQ(CycleThread, nullptr);
}

TEST_F(NothingStored, SettingsTextCoversEveryCodeAndSkipsUnknownOnes)
{
    const struct {
        std::int32_t Baud, DataBits, Parity, StopBits;
        const char* Text;
    } cases[] = {
        {300, 1, 1, 1, "Settings: 300 5-O-1.5"}, {115200, 2, 3, 0, "Settings: 115200 6-M-1"},
        {1200, 8, 4, 2, "Settings: 1200 8-S-2"}, {9600, 3, 5, 3, "Settings: 9600 "},
        {9600, -1, -1, -1, "Settings: 9600 "},
    };
    for (const auto& c : cases) {
        Port().BaudRate = c.Baud;
        Port().DataBits = c.DataBits;
        Port().Parity = c.Parity;
        Port().StopBits = c.StopBits;
        CommTermForm->SetCommPropertyStatusBarInfo();
        EXPECT_EQ(PortPanel(1), c.Text);
    }
}

} // namespace
