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
    EXPECT_EQ(std::tuple(Dialog().windowTitle(), Dialog().isModal()), std::tuple(QString("COMX Properties"), true));
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
        EXPECT_EQ(Dialog().exec(), e.Result);
        EXPECT_EQ(Dialog().OKPressed, e.Result == QDialog::Accepted);
        EXPECT_EQ(Shown(), std::tuple(QStringList{e.Baud, "8", e.Parity, "1"}, e.BaudAfter, 8, e.ParityAfter, 0, QString(e.Baud)));
        EXPECT_TRUE(CommTermForm->ConfigChanged);
    }
}

// Enter parses the text; any edit marks it changed; neither marks the
// configuration. An empty text, and a long one without a comma, change nothing.
TEST_F(CommSettings, EnterParsesTheTerminatorAndEachBadTextShowsItsOwnBox)
{
    EXPECT_EQ(Dialog().leTerminationString->text(), "0D,0A");
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
                         QString("If the terminal string contains \r\nmultiple bytes, each byte must \r\nbe separated by a comma."),
                         platform::MessageIcon::Exclamation));
    EXPECT_EQ(Terminator(), std::tuple(QString("0A"), std::vector<int>{10}, true));
    // A bad part reaches the exception box and keeps the bytes before it.
    TypeTerminator("0D,0A,00");
    EXPECT_EQ(Ui.Exceptions, std::vector<QString>{"'0x0A,00' is not a valid integer value"});
    EXPECT_EQ(Terminator(), std::tuple(QString("0D,0A,00"), std::vector<int>{13}, false));
    EXPECT_EQ(Ui.Messages.size(), 1U);
    EXPECT_FALSE(CommTermForm->ConfigChanged);
}

} // namespace
