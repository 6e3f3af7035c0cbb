#include "serial/CommSettings.h"

#include "support/ModalScript.h"
#include "support/WindowFixture.h"

#include <QLineEdit>
#include <QTest>

namespace {

class CommSettings : public WindowFixture
{
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        CommTermForm->ConfigChanged = false;
    }

    static TCommSettingForm& Dialog() { return *CommSettingForm; }
    static CSerialPort& Port() { return *CommTermForm->CommPort; }

    // Picks the item with the arrow keys, as a user does with the list closed.
    static void Choose(QComboBox& list, const QString& text)
    {
        const int target = list.findText(text);
        ASSERT_GE(target, 0) << "no item " << text.toStdString();
        FocusControl(list);
        while (list.currentIndex() != target)
            QTest::keyClick(&list, list.currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
    }

    static void TypeTerminator(const QString& text)
    {
        QLineEdit& edit = *Dialog().leTerminationString;
        edit.clear();
        FocusControl(edit);
        QTest::keyClicks(&edit, text);
        QTest::keyClick(&edit, Qt::Key_Return);
    }
};

// Every item of every list, in order, and the code it writes into the port,
// whether the user chooses it or the main window sets it; a Set with a value
// not in its list changes nothing but the configuration mark.
TEST_F(CommSettings, EachListItemWritesItsCodeWhenChosenOrSet)
{
    using Set = void (TCommSettingForm::*)(std::int32_t);
    using Field = std::int32_t CSerialPort::*;
    const std::tuple<QComboBox*, QStringList, std::vector<int>, Field, Set, int> lists[] = {
        {Dialog().cboDataBits, {"5", "6", "7", "8"}, {1, 2, 4, 8}, &CSerialPort::DataBits,
         &TCommSettingForm::SetByteSize, 7},
        {Dialog().cboParity, {"None", "Odd", "Even", "Mark", "Space"}, {0, 1, 2, 3, 4}, &CSerialPort::Parity,
         &TCommSettingForm::SetParity, -1},
        {Dialog().cboStopBits, {"1", "1.5", "2"}, {0, 1, 2}, &CSerialPort::StopBits, &TCommSettingForm::SetStopBits, 3},
        {Dialog().cboBaudRate, {"300", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"},
         {300, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200}, &CSerialPort::BaudRate,
         &TCommSettingForm::SetBaudRate, 14400},
    };
    for (const auto& [box, items, codes, field, set, unlisted] : lists) {
        EXPECT_EQ(Items(*box), items);
        // Starting after the item shown, so that every choice changes the list.
        for (std::size_t k = 1, n = codes.size(); k <= n; ++k) {
            const std::size_t i = (std::size_t(box->currentIndex()) + 1) % n;
            CommTermForm->ConfigChanged = false;
            Choose(*box, items[qsizetype(i)]);
            EXPECT_EQ(std::tuple(Port().*field, CommTermForm->ConfigChanged), std::tuple(codes[i], true));
        }
        for (std::size_t i = 0; i < codes.size(); ++i) {
            (Dialog().*set)(codes[i]);
            EXPECT_EQ(std::tuple(box->currentText(), Port().*field), std::tuple(items[qsizetype(i)], codes[i]));
        }
        CommTermForm->ConfigChanged = false;
        (Dialog().*set)(unlisted);
        EXPECT_EQ(std::tuple(box->currentText(), Port().*field, CommTermForm->ConfigChanged),
                  std::tuple(items.constLast(), codes.back(), true));
    }
    EXPECT_EQ(Port().BaudRateText, "115200");
}

// Cancel and the close box restore the numbers but keep the chosen texts; OK
// keeps everything, and each showing saves the port anew for a later Cancel.
// Enter belongs to the terminator edit and never ends the dialog.
TEST_F(CommSettings, LeavingWithoutOKRestoresTheNumbersOnly)
{
    const auto cancel = [](TCommSettingForm& d) { QTest::mouseClick(d.Button1, Qt::LeftButton); };
    const auto ok = [](TCommSettingForm& d) { QTest::mouseClick(d.cmdOK, Qt::LeftButton); };
    const std::tuple<std::function<void(TCommSettingForm&)>, int, const char*, const char*, int, int> exits[] = {
        {cancel, QDialog::Rejected, "19200", "Mark", 9600, 0},
        {[](TCommSettingForm& d) { d.close(); }, QDialog::Rejected, "300", "Odd", 9600, 0},
        {ok, QDialog::Accepted, "38400", "Mark", 38400, 3},
        {cancel, QDialog::Rejected, "1200", "Space", 38400, 3},
    };
    for (const auto& [leave, result, baud, parity, baudAfter, parityAfter] : exits) {
        SCOPED_TRACE(baud);
        ModalScript user(Dialog());
        user.Then([&](QDialog&) {
            EXPECT_FALSE(Dialog().OKPressed);
            TypeTerminator("0A");
            EXPECT_TRUE(Dialog().isVisible());
            Choose(*Dialog().cboBaudRate, baud);
            Choose(*Dialog().cboParity, parity);
            leave(Dialog());
        });
        const int exitCode = Dialog().exec();
        EXPECT_EQ(std::tuple(exitCode, Dialog().OKPressed, Dialog().cboBaudRate->currentText(),
                             Dialog().cboParity->currentText(), Port().BaudRate, Port().Parity, Port().BaudRateText,
                             CommTermForm->ConfigChanged),
                  std::tuple(result, result == QDialog::Accepted, QString(baud), QString(parity), baudAfter,
                             parityAfter, QString(baud), true));
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
    const QByteArray zero(1, '\0');
    const QByteArray kept = "kept";
    // The bytes parsed (kept: the text was not parsed) and the part an error names.
    const std::tuple<const char*, QByteArray, const char*> cases[] = {
        {"0D,0A", "\r\n", nullptr}, {"0d,0a", "\r\n", nullptr}, {"0D", "\r", nullptr}, {"D", "\r", nullptr},
        {"FF", "\xFF", nullptr}, {"0,0", zero + zero, nullptr}, {"100,0A", zero + "\n", nullptr},
        {"0D,FFFFFF0A", "\r\n", nullptr}, {"0D,0A,00", "\r", "0x0A,00"}, {"0D,", "\r", "0x"}, {",0A", "", "0x"},
        {"G", "", "0xG"}, {"0D,0G", "\r", "0x0G"}, {"0D, 0A", "\r", "0x 0A"}, {"0D0A", kept, nullptr},
        {"1FF", kept, nullptr}, {"", kept, nullptr},
    };
    EXPECT_EQ(Dialog().leTerminationString->text(), "0D,0A");
    for (const auto& [typed, bytes, readAs] : cases) {
        SCOPED_TRACE(typed);
        std::tie(CommTermForm->TerminationString, CommTermForm->TerminationBytes) = std::tuple(QString(kept), kept);
        Ui.Messages.clear();
        Ui.Exceptions.clear();
        TypeTerminator(typed);
        const bool parsed = bytes != kept;
        const std::vector<QString> error{QStringLiteral("'%1' is not a valid integer value").arg(readAs)};
        EXPECT_EQ(std::tuple(CommTermForm->TerminationString, CommTermForm->TerminationBytes,
                             CommTermForm->TerminationChanged, Ui.Exceptions, Ui.Messages.size()),
                  std::tuple(parsed ? QString(typed) : QString(kept), bytes, !parsed,
                             readAs ? error : std::vector<QString>{}, std::size_t(!parsed && *typed ? 1 : 0)));
    }
    EXPECT_EQ(std::tuple(Ui.Messages.empty(), CommTermForm->ConfigChanged), std::tuple(true, false));
    TypeTerminator("0D0A");
    ASSERT_EQ(Ui.Messages.size(), 1U);
    EXPECT_EQ(std::tuple(Ui.Messages[0].Title, Ui.Messages[0].Text, Ui.Messages[0].Icon),
              std::tuple(QString("Terminal String Format"),
                         QString("If the terminal string contains \r\nmultiple bytes, each byte must \r\n"
                                 "be separated by a comma."),
                         platform::MessageIcon::Exclamation));
    QTest::keyClick(Dialog().leTerminationString, Qt::Key_Backspace);
    TypeTerminator("0A");
    Dialog().leTerminationString->setText("0D,0A");
    EXPECT_TRUE(CommTermForm->TerminationChanged);
}

} // namespace
