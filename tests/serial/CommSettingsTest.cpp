#include "serial/CommSettings.h"

#include "platform/Exceptions.h"

#include "support/ModalScript.h"
#include "support/WindowFixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <tuple>

namespace {

class CommSettings : public WindowFixture
{
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        CommTermForm->ConfigChanged = false;
    }

    TCommSettingForm& Dialog() const { return *CommSettingForm; }
    CSerialPort& Port() const { return *CommTermForm->CommPort; }

    // Picks the item with the arrow keys, as a user does with the list closed.
    static void Choose(QComboBox& list, const QString& text)
    {
        const int target = list.findText(text);
        ASSERT_GE(target, 0) << "no item " << text.toStdString();
        FocusControl(list);
        while (list.currentIndex() != target)
            QTest::keyClick(&list, list.currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
    }

    void TypeTerminator(const QString& text)
    {
        QLineEdit& edit = *Dialog().leTerminationString;
        edit.clear();
        FocusControl(edit);
        QTest::keyClicks(&edit, text);
        QTest::keyClick(&edit, Qt::Key_Return);
    }

    std::tuple<QString, QByteArray, bool> Terminator() const
    {
        return {CommTermForm->TerminationString, CommTermForm->TerminationBytes, CommTermForm->TerminationChanged};
    }
};

// Every item of every list, in order, and the code it writes into the port,
// whether the user chooses it or the main window sets it; a Set with a value
// not in its list changes nothing but the configuration mark.
TEST_F(CommSettings, EachListItemWritesItsCodeWhenChosenOrSet)
{
    using Set = void (TCommSettingForm::*)(std::int32_t);
    struct List { QComboBox* Box; QStringList Items; std::vector<int> Codes; std::int32_t CSerialPort::*Field; Set Setter; int Unlisted; };
    const List lists[] = {
        {Dialog().cboDataBits, {"5", "6", "7", "8"}, {1, 2, 4, 8}, &CSerialPort::DataBits, &TCommSettingForm::SetByteSize, 7},
        {Dialog().cboParity, {"None", "Odd", "Even", "Mark", "Space"}, {0, 1, 2, 3, 4}, &CSerialPort::Parity, &TCommSettingForm::SetParity, -1},
        {Dialog().cboStopBits, {"1", "1.5", "2"}, {0, 1, 2}, &CSerialPort::StopBits, &TCommSettingForm::SetStopBits, 3},
        {Dialog().cboBaudRate, {"300", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"},
         {300, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200}, &CSerialPort::BaudRate, &TCommSettingForm::SetBaudRate, 14400},
    };
    for (const List& list : lists) {
        for (int i = 0; i < std::max<int>(list.Box->count(), list.Items.size()); ++i)
            EXPECT_EQ(list.Box->itemText(i), list.Items.value(i));
        // Starting after the item shown, so that every choice changes the list.
        for (std::size_t k = 1, n = list.Codes.size(); k <= n; ++k) {
            const std::size_t i = (std::size_t(list.Box->currentIndex()) + 1) % n;
            CommTermForm->ConfigChanged = false;
            Choose(*list.Box, list.Items[qsizetype(i)]);
            EXPECT_EQ(std::tuple(Port().*list.Field, CommTermForm->ConfigChanged), std::tuple(list.Codes[i], true));
        }
        for (std::size_t i = 0; i < list.Codes.size(); ++i) {
            (Dialog().*list.Setter)(list.Codes[i]);
            EXPECT_EQ(std::tuple(list.Box->currentText(), Port().*list.Field), std::tuple(list.Items[qsizetype(i)], list.Codes[i]));
        }
        CommTermForm->ConfigChanged = false;
        (Dialog().*list.Setter)(list.Unlisted);
        EXPECT_EQ(std::tuple(list.Box->currentText(), Port().*list.Field, CommTermForm->ConfigChanged),
                  std::tuple(list.Items.constLast(), list.Codes.back(), true));
    }
    EXPECT_EQ(Port().BaudRateText, "115200");
}

// Cancel and the close box restore the numbers but keep the chosen texts; OK
// keeps everything, and each showing saves the port anew for a later Cancel.
// Enter belongs to the terminator edit and never ends the dialog.
TEST_F(CommSettings, LeavingWithoutOKRestoresTheNumbersOnly)
{
    const auto cancel = [](TCommSettingForm& d) { QTest::mouseClick(d.Button1, Qt::LeftButton); };
    struct Exit { const char* Name; std::function<void(TCommSettingForm&)> Leave; int Result; const char *Baud, *Parity; int BaudAfter, ParityAfter; };
    const Exit exits[] = {
        {"Cancel", cancel, QDialog::Rejected, "19200", "Mark", 9600, 0},
        {"close box", [](TCommSettingForm& d) { d.close(); }, QDialog::Rejected, "300", "Odd", 9600, 0},
        {"OK", [](TCommSettingForm& d) { QTest::mouseClick(d.cmdOK, Qt::LeftButton); }, QDialog::Accepted, "38400", "Mark", 38400, 3},
        {"Cancel after OK", cancel, QDialog::Rejected, "1200", "Space", 38400, 3},
    };
    for (const Exit& e : exits) {
        SCOPED_TRACE(e.Name);
        ModalScript user(Dialog());
        user.Then([&](QDialog&) {
            EXPECT_FALSE(Dialog().OKPressed);
            TypeTerminator("0A");
            EXPECT_TRUE(Dialog().isVisible());
            Choose(*Dialog().cboBaudRate, e.Baud);
            Choose(*Dialog().cboParity, e.Parity);
            e.Leave(Dialog());
        });
        const int result = Dialog().exec();
        EXPECT_EQ(std::tuple(result, Dialog().OKPressed, Dialog().cboBaudRate->currentText(), Dialog().cboParity->currentText(),
                             Port().BaudRate, Port().Parity, Port().BaudRateText, CommTermForm->ConfigChanged),
                  std::tuple(e.Result, e.Result == QDialog::Accepted, QString(e.Baud), QString(e.Parity), e.BaudAfter,
                             e.ParityAfter, QString(e.Baud), true));
    }
}

// Enter parses the text: each part is a hexadecimal byte that keeps its low
// eight bits, everything after the first comma is one number, and a bad part
// stops the parse where it stands, keeping the bytes before it, with an error
// that names the part as the conversion read it. A text over two characters
// without a comma only brings the format message, an empty one nothing. Any
// edit marks the terminator changed; none marks the configuration.
TEST_F(CommSettings, EnterParsesTheTerminatorUpToTheFirstBadPart)
{
    struct Case { const char* Typed; bool Parsed; QByteArray Bytes = {}; const char* ReadAs = nullptr; };
    const QByteArray zero(1, '\0');
    const Case cases[] = {
        {"0D,0A", true, "\r\n"}, {"0d,0a", true, "\r\n"}, {"0D", true, "\r"}, {"D", true, "\r"}, {"FF", true, "\xFF"},
        {"0,0", true, zero + zero}, {"100,0A", true, zero + "\n"}, {"0D,FFFFFF0A", true, "\r\n"}, {"0D,0A,00", true, "\r", "0x0A,00"},
        {"0D,", true, "\r", "0x"}, {",0A", true, "", "0x"}, {"G", true, "", "0xG"}, {"0D,0G", true, "\r", "0x0G"},
        {"0D, 0A", true, "\r", "0x 0A"}, {"0D0A", false}, {"1FF", false}, {"", false},
    };
    EXPECT_EQ(Dialog().leTerminationString->text(), "0D,0A");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Typed);
        std::tie(CommTermForm->TerminationString, CommTermForm->TerminationBytes) = std::tuple(QString("kept"), QByteArray("kept"));
        Ui.Messages.clear();
        Ui.Exceptions.clear();
        TypeTerminator(c.Typed);
        const std::vector<QString> error{QStringLiteral("'%1' is not a valid integer value").arg(c.ReadAs)};
        EXPECT_EQ(std::tuple(Terminator(), Ui.Exceptions, Ui.Messages.size()),
                  std::tuple(c.Parsed ? std::tuple(QString(c.Typed), c.Bytes, false) : std::tuple(QString("kept"), QByteArray("kept"), true),
                             c.ReadAs ? error : std::vector<QString>{}, std::size_t(!c.Parsed && *c.Typed ? 1 : 0)));
    }
    EXPECT_EQ(std::tuple(Ui.Messages.empty(), CommTermForm->ConfigChanged), std::tuple(true, false));
    TypeTerminator("0D0A");
    ASSERT_EQ(Ui.Messages.size(), 1U);
    EXPECT_EQ(std::tuple(Ui.Messages[0].Title, Ui.Messages[0].Text, Ui.Messages[0].Icon),
              std::tuple(QString("Terminal String Format"),
                         QString("If the terminal string contains \r\nmultiple bytes, each byte must \r\nbe separated by a comma."),
                         platform::MessageIcon::Exclamation));
    QTest::keyClick(Dialog().leTerminationString, Qt::Key_Backspace);
    TypeTerminator("0A");
    Dialog().leTerminationString->setText("0D,0A");
    EXPECT_TRUE(CommTermForm->TerminationChanged);
}

} // namespace
