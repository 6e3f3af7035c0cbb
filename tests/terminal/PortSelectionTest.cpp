#include "ConfigurationTestSupport.h"

#include "platform/StatusBar.h"
#include "serial/CommSettings.h"
#include "terminal/commcyclethread.h"

#include <algorithm>
#include <functional>
#include <map>
#include <memory>

#include <termios.h>

namespace {

// The main window, started as often as a test needs with instruments on the
// given ports and a configuration file storing the port ("COMX": none) at
// 19200 baud, 7 data bits, even parity and 2 stop bits.
class PortSelection : public ConfiguredWindows
{
protected:
    void StartOn(const std::vector<int>& ports, const QString& storedPort = "COMX")
    {
        DestroyWindows();
        for (const auto& [number, instrument] : Instruments)
            Folder.LinkPort(number, InstallPath() + "/gone");
        Instruments.clear();
        for (int number : ports)
            Instruments[number] = std::make_unique<FakeInstrument>(number);
        QStringList lines = DefaultFileLines();
        lines[0] = storedPort;
        lines[1] = lines[2] = "19200";
        lines[3] = "4";
        lines[4] = lines[5] = "2";
        StartWith(CrLfLines(lines));
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
        return int(std::count_if(Ui.Messages.begin(), Ui.Messages.end(),
                                 [&](const TestServices::Message& m) { return m.Title == title; }));
    }
    // The port warning, count times, and no other message.
    void ExpectPortWarnings(int count) const
    {
        EXPECT_EQ(MessagesTitled("Communications Port Warning"), count);
        EXPECT_EQ(int(Ui.Messages.size()), count);
        for (const TestServices::Message& message : Ui.Messages) {
            EXPECT_EQ(message.Text, "A communications port must be selected before sending commands");
            EXPECT_EQ(message.Icon, platform::MessageIcon::Exclamation);
        }
    }
    CSerialPort& Port() const { return *CommTermForm->CommPort; }
    speed_t LineSpeed(int number) const
    {
        const termios line = Instruments.at(number)->SlaveTermios();
        return cfgetospeed(&line);
    }

    // A port selected, or only the port box enabled and asking for one.
    void ExpectSelected(bool selected) const
    {
        EXPECT_EQ(Port().IsCommPortOpen(), selected);
        EXPECT_EQ(MainControl("eSendCommand")->isEnabled(), selected);
        EXPECT_EQ(CycleThread != nullptr, selected);
        EXPECT_TRUE(PortBox()->isEnabled());
        if (!selected) {
            EXPECT_EQ(PortBox()->currentIndex(), -1);
            EXPECT_EQ(PortBox()->currentText(), "Comm Port");
        }
    }

    std::map<int, std::unique_ptr<FakeInstrument>> Instruments;
};

// COM1 to COM119 that open are listed in order; the stored port is selected
// whatever its letter case and shown as stored, with its line settings, which
// marks the configuration changed; no port, or one the scan did not find,
// gives the warning once. A rescan keeps the port and its settings rather
// than reading them again; with no port, or the port gone since, it warns once
// for the scan's own selection and once for its own, and leaves none selected.
TEST_F(PortSelection, StartUpAndRescanSelectTheStoredPortOrWarn)
{
    const struct {
        std::vector<int> Ports;
        const char* Stored;
        QStringList Items;
        int Index;
        const char* PortText;
        int Gone;
    } cases[] = {
        {{1, 10, 11, 65, 119, 120}, "COMX", {"COM1", "COM10", "COM11", "COM65", "COM119"}, -1, "NONE", 0},
        {{3}, "COM5", {"COM3"}, -1, "NONE", 0},
        {{3}, "com3", {"COM3"}, 0, "com3", 0},
        {{3, 70}, "COM70", {"COM3", "COM70"}, 1, "COM70", 0},
        {{3, 70}, "COM70", {"COM3", "COM70"}, 1, "COM70", 70},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Stored << " " << c.Gone);
        auto expect = [&](bool selected, int warnings, const QString& shown) {
            ExpectSelected(selected);
            ExpectPortWarnings(selected ? 0 : warnings);
            EXPECT_EQ(CommTermForm->ConfigChanged, selected);
            if (!selected)
                return;
            EXPECT_EQ(PortBox()->currentText(), shown);
            EXPECT_EQ(PortPanel(1), "Settings: 19200 7-E-2");
            EXPECT_EQ(LineSpeed(c.Ports.back()), speed_t(B19200));
        };
        StartOn(c.Ports, c.Stored);
        EXPECT_EQ(PortItems(), c.Items);
        EXPECT_EQ(PortBox()->currentIndex(), c.Index);
        EXPECT_EQ(CommTermForm->DelayTimer->isActive(), c.Index >= 0);
        EXPECT_EQ(PortPanel(0), QStringLiteral("Port: ") + c.PortText);
        expect(c.Index >= 0, 1, c.Stored);
        if (c.Gone != 0)
            Folder.LinkPort(c.Gone, InstallPath() + "/gone");
        Ui.Messages.clear();
        MainEntry("CommPortScan1")->trigger();
        expect(c.Index >= 0 && c.Gone == 0, 2, c.Items.value(c.Index));
    }
    for (const auto& [text, index] : {std::pair{"COM3", 0}, {"com3", 0}, {"COM", -1}, {"COM3 ", -1}, {"COM70", -1}})
        EXPECT_EQ(TCommTermForm::FindComboText(*PortBox(), text), index) << text;
}

// Choosing from the list in any way selects the port, letting the one chosen
// before go. A name typed into the box is no choice, although Qt reports it as
// activated on leaving the box, Enter, hiding, closing or destroying the
// window: none of these opens a port, starts a worker or marks anything
// changed. Once the window has closed no selection runs, not even from code.
TEST_F(PortSelection, ThePortBoxSelectsOnlyWhatIsChosenFromItsList)
{
    auto leave = [this] { MainControl("cboCommandGroup")->setFocus(Qt::TabFocusReason); };
    auto choose = [this](ListGesture gesture) {
        return [this, gesture] {
            ChooseFromList(*PortBox(), 0, ListGesture::ArrowKeys);
            ChooseFromList(*PortBox(), 1, gesture);
        };
    };
    const struct {
        const char* Name;
        const char* Typed;
        std::function<void()> Then;
    } cases[] = {
        {"arrow keys", "", choose(ListGesture::ArrowKeys)},
        {"list and Enter", "", choose(ListGesture::ListKeys)},
        {"list and mouse", "", choose(ListGesture::ListMouse)},
        {"Enter on an unlisted name", "COM9", [this] { QTest::keyClick(PortBox(), Qt::Key_Return); }},
        {"Enter on a listed name", "COM5", [this] { QTest::keyClick(PortBox(), Qt::Key_Return); }},
        {"leaving the box", "COM5", leave},
        {"list closed with Escape", "COM5", [&] {
             PortBox()->showPopup();
             QTest::keyClick(PortBox()->view(), Qt::Key_Escape);
             leave();
         }},
        {"hiding the window", "COM5", [] { CommTermForm->hide(); }},
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
        StartOn({2, 5});
        Ui.Messages.clear();
        FocusControl(*PortBox());
        PortBox()->clearEditText();
        QTest::keyClicks(PortBox(), c.Typed);
        c.Then();
        const bool chosen = *c.Typed == 0;
        EXPECT_EQ(TCommCycleThread::LiveWorkers() > 0, chosen);
        EXPECT_TRUE(Ui.Messages.empty());
        EXPECT_TRUE(Ui.Exceptions.empty());
        if (CommTermForm == nullptr)
            continue;
        EXPECT_EQ(PortItems(), (QStringList{"COM2", "COM5"}));
        EXPECT_EQ(CommTermForm->ConfigChanged, chosen);
        if (!chosen) {
            EXPECT_FALSE(Port().IsCommPortOpen());
            continue;
        }
        ExpectSelected(true);
        EXPECT_EQ(Port().PortName, "COM5");
        EXPECT_EQ(PortPanel(0), "Port: COM5");
        EXPECT_EQ(PortPanel(1), "Settings: 19200 7-E-2");
        EXPECT_EQ(LineSpeed(5), speed_t(B19200));
        CSerialPort other;
        EXPECT_TRUE(other.OpenCommPort("COM2"));
        other.CloseCommPort();
    }
}

// ---- Comm Properties ----

// The dialog comes back with the comma message until the terminator is mended
// or cut to one byte; the chosen baud rate then reaches the open port. A part
// that is no number stops the entry, with the bytes read before it, before
// the settings apply and a worker starts. An untouched text is not parsed.
TEST_F(PortSelection, PropertiesTakesTheTerminatorAndTheChosenBaudRate)
{
    const struct {
        QStringList Typed;
        QByteArray Bytes;
        const char* Settings;
        std::vector<QString> Exceptions;
    } cases[] = {
        {{"0D0A", "", "0D,0A"}, "\r\n", "Settings: 38400 7-E-2", {}},
        {{"0D0A", "0A"}, "\n", "Settings: 38400 7-E-2", {}},
        {{""}, "\r\n", "Settings: 38400 7-E-2", {}},
        {{"ZZ"}, "", "Settings: 19200 7-E-2", {"'0xZZ' is not a valid integer value"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Typed.join(" / ").toStdString());
        StartOn({70}, "COM70");
        ModalScript dialog(*CommSettingForm);
        for (const QString& text : c.Typed)
            dialog.Then([text, first = &text == &c.Typed.front()](QDialog&) {
                if (first) {
                    CommSettingForm->cboBaudRate->setFocus();
                    QTest::keyClick(CommSettingForm->cboBaudRate, Qt::Key_Down);
                }
                CommSettingForm->leTerminationString->selectAll();
                QTest::keyClicks(CommSettingForm->leTerminationString, text);
                CommSettingForm->cmdOK->click();
            });
        MainEntry("CommProperties1")->trigger();
        EXPECT_EQ(CommSettingForm->windowTitle(), "COM70 Properties");
        EXPECT_EQ(MessagesTitled("Terminal String Format"), c.Typed.size() - 1);
        EXPECT_EQ(CommTermForm->TerminationBytes, c.Bytes);
        EXPECT_EQ(PortPanel(1), c.Settings);
        EXPECT_EQ(LineSpeed(70), c.Exceptions.empty() ? speed_t(B38400) : speed_t(B19200));
        EXPECT_EQ(Ui.Exceptions, c.Exceptions);
        EXPECT_EQ(CycleThread != nullptr, c.Exceptions.empty());
    }
}

TEST_F(PortSelection, SettingsTextCoversEveryCodeAndSkipsUnknownOnes)
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
