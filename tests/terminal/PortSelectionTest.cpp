#include "ConfigurationTestSupport.h"

#include "platform/StatusBar.h"
#include "serial/CommSettings.h"
#include "terminal/commcyclethread.h"

#include <QTest>

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

    static QComboBox* PortBox() { return CommTermForm->cboCommTerminal; }
    QString PortPanel(int index) const { return MainControl<TStatusBar>("sbCommProperties")->PanelText(index); }
    static CSerialPort& Port() { return *CommTermForm->CommPort; }
    speed_t LineSpeed(int number) const
    {
        const termios line = Instruments.at(number)->SlaveTermios();
        return cfgetospeed(&line);
    }
    // How many messages came, each of them the port warning.
    std::size_t PortWarnings() const
    {
        for (const TestServices::Message& m : Ui.Messages)
            EXPECT_EQ(std::tuple(m.Title, m.Text, m.Icon),
                      std::tuple(QString("Communications Port Warning"),
                                 QString("A communications port must be selected before sending commands"),
                                 platform::MessageIcon::Exclamation));
        return Ui.Messages.size();
    }

    // A port selected, or only the port box enabled and asking for one.
    void ExpectSelected(bool selected) const
    {
        EXPECT_EQ(std::tuple(Port().IsCommPortOpen(), MainControl("eSendCommand")->isEnabled(),
                             CycleThread != nullptr, PortBox()->isEnabled()),
                  std::tuple(selected, selected, selected, true));
        if (!selected) {
            EXPECT_EQ(std::tuple(PortBox()->currentIndex(), PortBox()->currentText()), std::tuple(-1, "Comm Port"));
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
        auto expect = [&](bool selected, std::size_t warnings, const QString& shown) {
            ExpectSelected(selected);
            EXPECT_EQ(std::tuple(PortWarnings(), CommTermForm->ConfigChanged),
                      std::tuple(selected ? 0 : warnings, selected));
            if (selected) {
                EXPECT_EQ(std::tuple(PortBox()->currentText(), PortPanel(1), LineSpeed(c.Ports.back())),
                          std::tuple(shown, QString("Settings: 19200 7-E-2"), speed_t(B19200)));
            }
        };
        StartOn(c.Ports, c.Stored);
        EXPECT_EQ(std::tuple(Items(*PortBox()), PortBox()->currentIndex(), CommTermForm->DelayTimer->isActive(),
                             PortPanel(0)),
                  std::tuple(c.Items, c.Index, c.Index >= 0, QStringLiteral("Port: ") + c.PortText));
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

// An adapter pulled while the program is idle and plugged in again under the
// same name is the port the user chose: the next commands find the line the
// program gave it, raw at the stored speed, and go out unchanged; the
// instrument's replies are not echoed back to it. Nothing is told.
TEST_F(PortSelection, AnAdapterPluggedInAgainGetsTheStoredLine)
{
    StartOn({3}, "COM3");
    FakeInstrument& instrument = *Instruments.at(3);
    instrument.SetRule([](const QByteArray&) { return FakeReply("OK\r\n"); });
    instrument.Pull();
    instrument.Plug();
    CommonString(1)->setText(QStringLiteral("*IDN?"));
    MainEntry("CommonCommandString11")->trigger();
    MainEntry("CommonCommandString11")->trigger();
    ASSERT_TRUE(instrument.WaitForBytes(14));
    const termios line = instrument.SlaveTermios();
    EXPECT_EQ(std::tuple(instrument.Received(), cfgetospeed(&line), line.c_lflag & (ICANON | ECHO),
                         line.c_oflag & OPOST, line.c_iflag & ICRNL, PortPanel(1), Ui.Messages.size()),
              std::tuple(QByteArray("*IDN?\r\n*IDN?\r\n"), speed_t(B19200), 0u, 0u, 0u,
                         QString("Settings: 19200 7-E-2"), 0u));
}

// Choosing from the list in any way selects the port, letting the one chosen
// before go. A name typed into the box is no choice, although Qt reports it as
// activated on leaving the box, Enter, hiding, closing or destroying the
// window: none of these opens a port, starts a worker or marks anything
// changed. Once the window has closed no selection runs, not even from code.
TEST_F(PortSelection, ThePortBoxSelectsOnlyWhatIsChosenFromItsList)
{
    auto leave = [this] { MainControl("cboCommandGroup")->setFocus(Qt::TabFocusReason); };
    auto choose = [](ListGesture gesture) {
        return [gesture] {
            ChooseFromList(*PortBox(), 0, ListGesture::ArrowKeys);
            ChooseFromList(*PortBox(), 1, gesture);
        };
    };
    const auto enter = [] { QTest::keyClick(PortBox(), Qt::Key_Return); };
    const std::tuple<const char*, const char*, std::function<void()>> cases[] = {
        {"arrow keys", "", choose(ListGesture::ArrowKeys)},
        {"list and Enter", "", choose(ListGesture::ListKeys)},
        {"list and mouse", "", choose(ListGesture::ListMouse)},
        {"Enter on an unlisted name", "COM9", enter},
        {"Enter on a listed name", "COM5", enter},
        {"leaving the box", "COM5", leave},
        {"list closed with Escape", "COM5", [&] {
             PortBox()->showPopup();
             QTest::keyClick(PortBox()->view(), Qt::Key_Escape);
             leave();
         }},
        {"hiding the window", "COM5", [] { CommTermForm->hide(); }},
        {"closing the window", "COM5", [] { CommTermForm->close(); }},
        {"a selection after the close", "COM5", [] {
             CommTermForm->close();
             PortBox()->setCurrentIndex(1);
             CommTermForm->cboCommTerminalSelect();
         }},
        {"destroying the window", "COM5", [] { DestroyWindows(); }},
    };
    for (const auto& [name, typed, then] : cases) {
        SCOPED_TRACE(name);
        StartOn({2, 5});
        Ui.Messages.clear();
        FocusControl(*PortBox());
        PortBox()->clearEditText();
        QTest::keyClicks(PortBox(), typed);
        then();
        const bool chosen = *typed == 0;
        EXPECT_EQ(std::tuple(TCommCycleThread::LiveWorkers() > 0, Ui.Messages.size(), Ui.Exceptions.size()),
                  std::tuple(chosen, 0u, 0u));
        if (CommTermForm == nullptr)
            continue;
        EXPECT_EQ(std::tuple(Items(*PortBox()), CommTermForm->ConfigChanged, Port().IsCommPortOpen()),
                  std::tuple(QStringList{"COM2", "COM5"}, chosen, chosen));
        if (!chosen)
            continue;
        ExpectSelected(true);
        EXPECT_EQ(std::tuple(Port().PortName, PortPanel(0), PortPanel(1), LineSpeed(5)),
                  std::tuple(QString("COM5"), QString("Port: COM5"), QString("Settings: 19200 7-E-2"),
                             speed_t(B19200)));
        CSerialPort other;
        EXPECT_TRUE(other.OpenCommPort("COM2"));
        other.CloseCommPort();
    }
}

// The dialog comes back with the comma message until the terminator is mended
// or cut to one byte; the chosen baud rate then reaches the open port. A part
// that is no number stops the entry, with the bytes read before it, before
// the settings apply and a worker starts. An untouched text is not parsed.
TEST_F(PortSelection, PropertiesTakesTheTerminatorAndTheChosenBaudRate)
{
    const std::tuple<QStringList, QByteArray, const char*, std::vector<QString>> cases[] = {
        {{"0D0A", "", "0D,0A"}, "\r\n", "Settings: 38400 7-E-2", {}},
        {{"0D0A", "0A"}, "\n", "Settings: 38400 7-E-2", {}},
        {{""}, "\r\n", "Settings: 38400 7-E-2", {}},
        {{"ZZ"}, "", "Settings: 19200 7-E-2", {"'0xZZ' is not a valid integer value"}},
    };
    for (const auto& [typed, bytes, settings, exceptions] : cases) {
        SCOPED_TRACE(typed.join(" / ").toStdString());
        StartOn({70}, "COM70");
        ModalScript dialog(*CommSettingForm);
        for (const QString& text : typed)
            dialog.Then([text, first = &text == &typed.front()](QDialog&) {
                if (first) {
                    CommSettingForm->cboBaudRate->setFocus();
                    QTest::keyClick(CommSettingForm->cboBaudRate, Qt::Key_Down);
                }
                CommSettingForm->leTerminationString->selectAll();
                QTest::keyClicks(CommSettingForm->leTerminationString, text);
                CommSettingForm->cmdOK->click();
            });
        MainEntry("CommProperties1")->trigger();
        QStringList titles;
        for (const TestServices::Message& m : Ui.Messages)
            titles << m.Title;
        EXPECT_EQ(std::tuple(CommSettingForm->windowTitle(), titles, CommTermForm->TerminationBytes, PortPanel(1),
                             LineSpeed(70), Ui.Exceptions, CycleThread != nullptr),
                  std::tuple(QString("COM70 Properties"), QStringList(typed.size() - 1, "Terminal String Format"),
                             bytes, QString(settings), speed_t(exceptions.empty() ? B38400 : B19200), exceptions,
                             exceptions.empty()));
    }
}

TEST_F(PortSelection, SettingsTextCoversEveryCodeAndSkipsUnknownOnes)
{
    const std::tuple<std::int32_t, std::int32_t, std::int32_t, std::int32_t, const char*> cases[] = {
        {300, 1, 1, 1, "Settings: 300 5-O-1.5"}, {115200, 2, 3, 0, "Settings: 115200 6-M-1"},
        {1200, 8, 4, 2, "Settings: 1200 8-S-2"}, {9600, 3, 5, 3, "Settings: 9600 "},
        {9600, -1, -1, -1, "Settings: 9600 "},
    };
    for (const auto& [baud, dataBits, parity, stopBits, text] : cases) {
        std::tie(Port().BaudRate, Port().DataBits, Port().Parity, Port().StopBits) =
            std::tuple(baud, dataBits, parity, stopBits);
        CommTermForm->SetCommPropertyStatusBarInfo();
        EXPECT_EQ(PortPanel(1), text);
    }
}

} // namespace
