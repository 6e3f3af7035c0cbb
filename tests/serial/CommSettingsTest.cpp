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

std::vector<int> Values(const QByteArray& bytes)
{
    return std::vector<int>(reinterpret_cast<const unsigned char*>(bytes.constData()),
                            reinterpret_cast<const unsigned char*>(bytes.constData()) + bytes.size());
}

// Each part keeps only its low eight bits, everything after the first comma
// is one number, and a bad part stops the parse where it stands: the bytes
// converted before it stay, and the error names the text as the conversion
// read it. Only a text over two characters needs a comma.
TEST(TerminationText, PartsAreHexBytesUpToTheFirstBadOne)
{
    struct Case { const char* Text; std::vector<int> Bytes; const char* ReadAs; bool NeedsComma; };
    const Case cases[] = {
        {"0D,0A", {13, 10}, nullptr, false}, {"0d,0a", {13, 10}, nullptr, false}, {"0D", {13}, nullptr, false},
        {"D", {13}, nullptr, false},         {"FF", {255}, nullptr, false},       {"0,0", {0, 0}, nullptr, false},
        {"100,0A", {0, 10}, nullptr, false}, {"1FF", {255}, nullptr, true},       {"0D,FFFFFF0A", {13, 10}, nullptr, false},
        {"0D,0A,00", {13}, "0x0A,00", false}, {"0D,", {13}, "0x", false},        {",0A", {}, "0x", false},
        {"G", {}, "0xG", false},             {"0D,0G", {13}, "0x0G", false},      {"0D, 0A", {13}, "0x 0A", false},
        {"", {}, "0x", false},               {"0D0A", {}, "0x0D0A", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(TerminationTextNeedsComma(QString::fromLatin1(c.Text)), c.NeedsComma);
        if (c.NeedsComma)
            continue;
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

class CommSettings : public WindowFixture
{
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
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
        while (list.currentIndex() != target)
            QTest::keyClick(&list, list.currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
    }

    // Shows the dialog modally, as "Comm Properties" does; the user's action must end it.
    int ShowModal(const std::function<void()>& user)
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

    std::tuple<QStringList, int, int, int, int, QString> Shown() const
    {
        return {{Dialog().cboBaudRate->currentText(), Dialog().cboDataBits->currentText(),
                 Dialog().cboParity->currentText(), Dialog().cboStopBits->currentText()},
                Port().BaudRate, Port().DataBits, Port().Parity, Port().StopBits, Port().BaudRateText};
    }

    std::tuple<QString, std::vector<int>, bool> Terminator() const
    {
        return {CommTermForm->TerminationString, Values(CommTermForm->TerminationBytes), CommTermForm->TerminationChanged};
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
    for (const char* caption : {"OK", "Cancel", "PORT SETTINGS", "COMMAND TERMINATOR", "Baud Rate:", "Data Bits:",
                                "Parity:", "Stop Bits:", "Termination String", "Hex Byte Value(s)",
                                "Enter command termination character(s).", "The termination character(s) are appended to",
                                "the command string before the command is sent.", "Use a comma to separate each byte."})
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
        const int result = ShowModal([&] {
            EXPECT_FALSE(Dialog().OKPressed);
            TypeTerminator("0A");
            EXPECT_TRUE(Dialog().isVisible());
            Choose(*Dialog().cboBaudRate, e.Baud);
            Choose(*Dialog().cboParity, e.Parity);
            e.Leave(Dialog());
        });
        EXPECT_EQ(std::tuple(result, Dialog().OKPressed), std::tuple(e.Result, e.Result == QDialog::Accepted));
        EXPECT_EQ(Shown(), std::tuple(QStringList{e.Baud, "8", e.Parity, "1"}, e.BaudAfter, 8, e.ParityAfter, 0,
                                      QString(e.Baud)));
        EXPECT_TRUE(CommTermForm->ConfigChanged);
    }
}

TEST_F(CommSettings, SetOperationsApplyListedValuesAndOnlyMarkUnlistedOnes)
{
    Dialog().SetBaudRate(14400);
    EXPECT_TRUE(CommTermForm->ConfigChanged);
    Dialog().SetByteSize(7);
    Dialog().SetParity(-1);
    Dialog().SetStopBits(3);
    EXPECT_EQ(Shown(), std::tuple(QStringList{"9600", "8", "None", "1"}, 9600, 8, 0, 0, QString("9600")));
    Dialog().SetBaudRate(38400);
    Dialog().SetByteSize(4);
    Dialog().SetParity(2);
    Dialog().SetStopBits(1);
    EXPECT_EQ(Shown(), std::tuple(QStringList{"38400", "7", "Even", "1.5"}, 38400, 4, 2, 1, QString("38400")));
}

// Enter parses the text; any edit marks it changed; neither marks the
// configuration. An empty text, and a long one without a comma, change nothing.
TEST_F(CommSettings, EnterParsesTheTerminatorAndEachBadTextShowsItsOwnBox)
{
    TypeTerminator("100,0A");
    EXPECT_EQ(Terminator(), std::tuple(QString("100,0A"), std::vector<int>{0, 10}, false));
    QTest::keyClick(Dialog().leTerminationString, Qt::Key_Backspace);
    EXPECT_TRUE(CommTermForm->TerminationChanged);
    TypeTerminator("0A");
    Dialog().leTerminationString->setText("0D,0A");
    EXPECT_TRUE(CommTermForm->TerminationChanged);
    TypeTerminator("");
    EXPECT_EQ(Terminator(), std::tuple(QString("0A"), std::vector<int>{10}, true));
    EXPECT_TRUE(Ui.Messages.empty() && Ui.Exceptions.empty());

    TypeTerminator("0D0A");
    ASSERT_EQ(Ui.Messages.size(), 1U);
    EXPECT_EQ(std::tuple(Ui.Messages[0].Title, Ui.Messages[0].Text, Ui.Messages[0].Icon),
              std::tuple(QString("Terminal String Format"),
                         QString("If the terminal string contains \r\nmultiple bytes, each byte must \r\n"
                                 "be separated by a comma."),
                         platform::MessageIcon::Exclamation));
    EXPECT_EQ(Terminator(), std::tuple(QString("0A"), std::vector<int>{10}, true));
    EXPECT_TRUE(Ui.Exceptions.empty());

    // A bad part reaches the exception box and keeps the bytes before it.
    TypeTerminator("0D,0A,00");
    EXPECT_EQ(Ui.Exceptions, std::vector<QString>{"'0x0A,00' is not a valid integer value"});
    EXPECT_EQ(Terminator(), std::tuple(QString("0D,0A,00"), std::vector<int>{13}, false));
    EXPECT_EQ(Ui.Messages.size(), 1U);
    EXPECT_FALSE(CommTermForm->ConfigChanged);
}

} // namespace
