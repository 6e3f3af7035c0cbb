#include "serial/CommSettings.h"

#include "platform/Exceptions.h"

#include "support/WindowFixture.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <tuple>

namespace {

// The byte values of a terminator, for readable comparisons.
std::vector<int> Values(const QByteArray& bytes)
{
    return std::vector<int>(reinterpret_cast<const unsigned char*>(bytes.constData()),
                            reinterpret_cast<const unsigned char*>(bytes.constData()) + bytes.size());
}

// Each part keeps only its low eight bits, everything after the first comma
// is one number, and a bad part stops the parse where it stands: the bytes
// converted before it stay, and the error names the text as the conversion
// read it.
TEST(TerminationText, PartsAreHexBytesUpToTheFirstBadOne)
{
    struct Case { const char* Text; std::vector<int> Bytes; const char* ReadAs; };
    const Case cases[] = {
        {"0D,0A", {13, 10}, nullptr}, {"0d,0a", {13, 10}, nullptr}, {"0D", {13}, nullptr},
        {"D", {13}, nullptr},         {"FF", {255}, nullptr},       {"0,0", {0, 0}, nullptr},
        {"100,0A", {0, 10}, nullptr}, {"1FF", {255}, nullptr},      {"0D,FFFFFF0A", {13, 10}, nullptr},
        {"0D,0A,00", {13}, "0x0A,00"}, {"0D,", {13}, "0x"},         {",0A", {}, "0x"},
        {"G", {}, "0xG"},             {"0D,0G", {13}, "0x0G"},      {"0D, 0A", {13}, "0x 0A"},
        {"", {}, "0x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        QByteArray bytes;
        try {
            ParseTerminationBytes(QString::fromLatin1(c.Text), bytes);
            EXPECT_EQ(c.ReadAs, nullptr) << "no conversion error";
        } catch (const EConvertError& error) {
            ASSERT_NE(c.ReadAs, nullptr);
            EXPECT_EQ(error.Message, QStringLiteral("'%1' is not a valid integer value").arg(c.ReadAs));
        }
        EXPECT_EQ(Values(bytes), c.Bytes);
    }
}

TEST(TerminationText, OnlyLongTextsNeedAComma)
{
    for (const auto& [text, needsComma] : {std::pair{"", false}, {"D", false}, {"0D", false}, {"0D0", true},
                                           {"0D0A", true}, {"0D,0A", false}, {"0D,0A,00", false}})
        EXPECT_EQ(TerminationTextNeedsComma(QString::fromLatin1(text)), needsComma) << text;
}

class CommSettings : public WindowFixture
{
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        ASSERT_NE(CommTermForm->CommPort, nullptr);
        // Start-up warns that no port is selected; only this dialog's boxes count here.
        Ui.Messages.clear();
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
        while (list.currentIndex() < target)
            QTest::keyClick(&list, Qt::Key_Down);
        while (list.currentIndex() > target)
            QTest::keyClick(&list, Qt::Key_Up);
    }

    // Shows the dialog modally, as "Comm Properties" does, and lets the user
    // act inside its loop; the action must end the dialog.
    int ShowModal(std::function<void()> user)
    {
        QTimer::singleShot(0, &Dialog(), [this, user] {
            user();
            if (Dialog().isVisible()) {
                ADD_FAILURE() << "the dialog was left open";
                Dialog().reject();
            }
        });
        return Dialog().exec();
    }

    void TypeTerminator(const QString& text)
    {
        QLineEdit& edit = *Dialog().leTerminationString;
        edit.clear();
        FocusControl(edit);
        QTest::keyClicks(&edit, text);
        QTest::keyClick(&edit, Qt::Key_Return);
    }

    QStringList ListTexts() const
    {
        return {Dialog().cboBaudRate->currentText(), Dialog().cboDataBits->currentText(),
                Dialog().cboParity->currentText(), Dialog().cboStopBits->currentText()};
    }

    std::tuple<int, int, int, int> PortLine() const
    {
        return {Port().BaudRate, Port().DataBits, Port().Parity, Port().StopBits};
    }

    void ExpectTerminator(const QString& text, const std::vector<int>& bytes, bool changed)
    {
        EXPECT_EQ(CommTermForm->TerminationString, text);
        EXPECT_EQ(Values(CommTermForm->TerminationBytes), bytes);
        EXPECT_EQ(CommTermForm->TerminationChanged, changed);
    }
};

TEST_F(CommSettings, CaptionsAsTheUserSeesThem)
{
    EXPECT_EQ(Dialog().windowTitle(), "COMX Properties");
    EXPECT_TRUE(Dialog().isModal());
    EXPECT_EQ(Dialog().leTerminationString->text(), "0D,0A");
    QStringList captions{Dialog().cmdOK->text(), Dialog().Button1->text()};
    for (const QGroupBox* group : Dialog().findChildren<QGroupBox*>())
        captions << group->title();
    for (const QLabel* label : Dialog().findChildren<QLabel*>())
        captions << label->text();
    for (const char* caption : {"OK", "Cancel", "PORT SETTINGS", "COMMAND TERMINATOR", "Baud Rate:",
                                "Data Bits:", "Parity:", "Stop Bits:", "Termination String",
                                "Hex Byte Value(s)", "Enter command termination character(s).",
                                "The termination character(s) are appended to",
                                "the command string before the command is sent.",
                                "Use a comma to separate each byte."})
        EXPECT_TRUE(captions.contains(caption)) << caption;
}

// Every item of every list, in order, and the code it writes into the port.
TEST_F(CommSettings, ChoosingAListItemWritesItsCodeIntoThePort)
{
    struct List { QComboBox* Box; QStringList Items; std::vector<int> Codes; std::int32_t CSerialPort::*Field; };
    const List lists[] = {
        {Dialog().cboDataBits, {"5", "6", "7", "8"}, {1, 2, 4, 8}, &CSerialPort::DataBits},
        {Dialog().cboParity, {"None", "Odd", "Even", "Mark", "Space"}, {0, 1, 2, 3, 4}, &CSerialPort::Parity},
        {Dialog().cboStopBits, {"1", "1.5", "2"}, {0, 1, 2}, &CSerialPort::StopBits},
        {Dialog().cboBaudRate, {"300", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"},
         {300, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200}, &CSerialPort::BaudRate},
    };
    Choose(*Dialog().cboDataBits, "7");
    EXPECT_EQ(Port().DataBits, 4);
    EXPECT_TRUE(CommTermForm->ConfigChanged);
    for (const List& list : lists) {
        QStringList items;
        for (int i = 0; i < list.Box->count(); ++i)
            items << list.Box->itemText(i);
        ASSERT_EQ(items, list.Items);
        for (qsizetype i = 0; i < items.size(); ++i) {
            Choose(*list.Box, items[i]);
            EXPECT_EQ(Port().*list.Field, list.Codes[static_cast<std::size_t>(i)]) << items[i].toStdString();
        }
    }
    EXPECT_EQ(Port().BaudRateText, "115200");
}

// Cancel and the close box restore the numbers but keep the chosen texts.
TEST_F(CommSettings, LeavingWithoutOKRestoresTheNumbersOnly)
{
    struct Exit { const char *Name, *Baud, *Parity, *DataBits, *StopBits; std::function<void(TCommSettingForm&)> Leave; };
    const Exit exits[] = {
        {"Cancel", "19200", "Even", "6", "2", [](TCommSettingForm& d) { QTest::mouseClick(d.Button1, Qt::LeftButton); }},
        {"close box", "300", "Odd", "5", "1.5", [](TCommSettingForm& d) { d.close(); }},
    };
    for (const Exit& e : exits) {
        SCOPED_TRACE(e.Name);
        const int result = ShowModal([&] {
            Choose(*Dialog().cboBaudRate, e.Baud);
            Choose(*Dialog().cboParity, e.Parity);
            Choose(*Dialog().cboDataBits, e.DataBits);
            Choose(*Dialog().cboStopBits, e.StopBits);
            EXPECT_EQ(Port().BaudRate, QString::fromLatin1(e.Baud).toInt());
            e.Leave(Dialog());
        });
        EXPECT_EQ(result, QDialog::Rejected);
        EXPECT_FALSE(Dialog().OKPressed);
        EXPECT_EQ(PortLine(), std::tuple(9600, 8, 0, 0));
        EXPECT_EQ(Port().BaudRateText, e.Baud);
        EXPECT_EQ(Dialog().cboBaudRate->currentText(), e.Baud);
        EXPECT_TRUE(CommTermForm->ConfigChanged);
    }
}

// Enter belongs to the terminator edit and must not end the dialog as OK;
// a later Cancel restores what the port held at that showing.
TEST_F(CommSettings, OKKeepsTheChoiceAndEachShowingSavesThePortAnew)
{
    const int result = ShowModal([this] {
        TypeTerminator("0A");
        EXPECT_TRUE(Dialog().isVisible());
        Choose(*Dialog().cboParity, "Mark");
        Choose(*Dialog().cboStopBits, "2");
        QTest::mouseClick(Dialog().cmdOK, Qt::LeftButton);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_TRUE(Dialog().OKPressed);
    EXPECT_EQ(Port().Parity, 3);
    EXPECT_EQ(Values(CommTermForm->TerminationBytes), (std::vector<int>{10}));

    ShowModal([this] {
        EXPECT_FALSE(Dialog().OKPressed);
        Choose(*Dialog().cboStopBits, "1");
        QTest::mouseClick(Dialog().Button1, Qt::LeftButton);
    });
    EXPECT_EQ(Port().StopBits, 2);
}

TEST_F(CommSettings, SetOperationsApplyListedValuesAndOnlyMarkUnlistedOnes)
{
    Dialog().SetBaudRate(14400);
    EXPECT_TRUE(CommTermForm->ConfigChanged);
    Dialog().SetByteSize(7);
    Dialog().SetParity(-1);
    Dialog().SetStopBits(3);
    EXPECT_EQ(ListTexts(), QStringList({"9600", "8", "None", "1"}));
    EXPECT_EQ(Port().BaudRateText, "9600");
    EXPECT_EQ(PortLine(), std::tuple(9600, 8, 0, 0));

    Dialog().SetBaudRate(38400);
    Dialog().SetByteSize(4);
    Dialog().SetParity(2);
    Dialog().SetStopBits(1);
    EXPECT_EQ(ListTexts(), QStringList({"38400", "7", "Even", "1.5"}));
    EXPECT_EQ(Port().BaudRateText, "38400");
    EXPECT_EQ(PortLine(), std::tuple(38400, 4, 2, 1));
}

TEST_F(CommSettings, EnterParsesTheTerminatorAndEditingMarksItChanged)
{
    struct Case { const char* text; std::vector<int> bytes; };
    for (const Case& c : {Case{"0D,0A", {13, 10}}, Case{"0D", {13}}, Case{"D", {13}},
                          Case{"0d,0a", {13, 10}}, Case{"100,0A", {0, 10}}}) {
        SCOPED_TRACE(c.text);
        TypeTerminator(c.text);
        ExpectTerminator(c.text, c.bytes, false);
    }
    EXPECT_TRUE(Ui.Messages.empty());
    EXPECT_TRUE(Ui.Exceptions.empty());
    EXPECT_FALSE(CommTermForm->ConfigChanged);

    QTest::keyClick(Dialog().leTerminationString, Qt::Key_Backspace);
    EXPECT_TRUE(CommTermForm->TerminationChanged);
    TypeTerminator("0A");
    Dialog().leTerminationString->setText("0D,0A");
    EXPECT_TRUE(CommTermForm->TerminationChanged);

    // Enter on an empty terminator does nothing.
    TypeTerminator("");
    ExpectTerminator("0A", {10}, true);
    EXPECT_TRUE(Ui.Messages.empty());
    EXPECT_TRUE(Ui.Exceptions.empty());
}

TEST_F(CommSettings, MalformedTerminatorsEachShowTheirOwnBox)
{
    TypeTerminator("0D");
    TypeTerminator("0D0A");

    ASSERT_EQ(Ui.Messages.size(), 1U);
    EXPECT_EQ(Ui.Messages[0].Title, "Terminal String Format");
    EXPECT_EQ(Ui.Messages[0].Text, "If the terminal string contains \r\nmultiple bytes, each byte must \r\n"
                                   "be separated by a comma.");
    EXPECT_EQ(Ui.Messages[0].Icon, platform::MessageIcon::Exclamation);
    ExpectTerminator("0D", {13}, true);
    EXPECT_EQ(Dialog().leTerminationString->text(), "0D0A");
    EXPECT_TRUE(Ui.Exceptions.empty());

    // A bad part reaches the exception box and keeps the bytes before it.
    TypeTerminator("0D,0A,00");
    ASSERT_EQ(Ui.Exceptions.size(), 1U);
    EXPECT_EQ(Ui.Exceptions[0], "'0x0A,00' is not a valid integer value");
    ExpectTerminator("0D,0A,00", {13}, false);
    EXPECT_EQ(Ui.Messages.size(), 1U);
}

} // namespace
