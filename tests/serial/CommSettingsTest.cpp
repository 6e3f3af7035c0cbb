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

namespace {

// The byte values of a terminator, for readable comparisons.
std::vector<int> Values(const QByteArray& bytes)
{
    std::vector<int> values;
    for (const char byte : bytes)
        values.push_back(static_cast<unsigned char>(byte));
    return values;
}

std::vector<int> Parsed(const QString& text)
{
    QByteArray bytes;
    ParseTerminationBytes(text, bytes);
    return Values(bytes);
}

TEST(TerminationText, OneOrTwoHexBytesInEitherCase)
{
    EXPECT_EQ(Parsed("0D,0A"), (std::vector<int>{13, 10}));
    EXPECT_EQ(Parsed("0d,0a"), (std::vector<int>{13, 10}));
    EXPECT_EQ(Parsed("0D"), (std::vector<int>{13}));
    EXPECT_EQ(Parsed("D"), (std::vector<int>{13}));
    EXPECT_EQ(Parsed("FF"), (std::vector<int>{255}));
    EXPECT_EQ(Parsed("0,0"), (std::vector<int>{0, 0}));
}

TEST(TerminationText, EachPartKeepsOnlyItsLowEightBits)
{
    EXPECT_EQ(Parsed("100,0A"), (std::vector<int>{0, 10}));
    EXPECT_EQ(Parsed("1FF"), (std::vector<int>{255}));
    EXPECT_EQ(Parsed("0D,FFFFFF0A"), (std::vector<int>{13, 10}));
}

TEST(TerminationText, AppendsToWhatTheCallerHolds)
{
    QByteArray bytes("x");
    ParseTerminationBytes("0A", bytes);
    EXPECT_EQ(bytes, QByteArray("x\n"));
}

// A bad part stops the parse where it stands: the bytes converted before it
// stay, and the error names the text as the conversion read it.
void ExpectBadPart(const QString& text, const QString& readAs, const std::vector<int>& kept)
{
    QByteArray bytes;
    try {
        ParseTerminationBytes(text, bytes);
        ADD_FAILURE() << "no conversion error for " << text.toStdString();
    } catch (const EConvertError& error) {
        EXPECT_EQ(error.Message, "'" + readAs + "' is not a valid integer value");
    }
    EXPECT_EQ(Values(bytes), kept) << text.toStdString();
}

TEST(TerminationText, BadPartsKeepTheBytesBeforeThem)
{
    ExpectBadPart("0D,0A,00", "0x0A,00", {13});
    ExpectBadPart("0D,", "0x", {13});
    ExpectBadPart(",0A", "0x", {});
    ExpectBadPart("G", "0xG", {});
    ExpectBadPart("0D,0G", "0x0G", {13});
    ExpectBadPart("0D, 0A", "0x 0A", {13});
    ExpectBadPart("", "0x", {});
}

TEST(TerminationText, OnlyLongTextsNeedAComma)
{
    EXPECT_FALSE(TerminationTextNeedsComma(""));
    EXPECT_FALSE(TerminationTextNeedsComma("D"));
    EXPECT_FALSE(TerminationTextNeedsComma("0D"));
    EXPECT_TRUE(TerminationTextNeedsComma("0D0"));
    EXPECT_TRUE(TerminationTextNeedsComma("0D0A"));
    EXPECT_FALSE(TerminationTextNeedsComma("0D,0A"));
    EXPECT_FALSE(TerminationTextNeedsComma("0D,0A,00"));
}

class CommSettings : public WindowFixture
{
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        ASSERT_NE(CommSettingForm, nullptr);
        ASSERT_NE(CommTermForm->CommPort, nullptr) << (Ui.Exceptions.empty() ? std::string() : Ui.Exceptions[0].toStdString());
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
};

TEST_F(CommSettings, LayoutAsTheUserSeesIt)
{
    EXPECT_EQ(Dialog().size(), QSize(322, 381));
    EXPECT_EQ(Dialog().windowTitle(), "COMX Properties");
    EXPECT_TRUE(Dialog().isModal());
    EXPECT_EQ(Dialog().parentWidget(), CommTermForm);

    auto items = [](const QComboBox* list) {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->itemText(i);
        return texts;
    };
    EXPECT_EQ(items(Dialog().cboBaudRate),
              (QStringList{"300", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"}));
    EXPECT_EQ(items(Dialog().cboDataBits), (QStringList{"5", "6", "7", "8"}));
    EXPECT_EQ(items(Dialog().cboParity), (QStringList{"None", "Odd", "Even", "Mark", "Space"}));
    EXPECT_EQ(items(Dialog().cboStopBits), (QStringList{"1", "1.5", "2"}));
    EXPECT_EQ(Dialog().leTerminationString->text(), "0D,0A");
    EXPECT_EQ(Dialog().leTerminationString->width(), 50);
    EXPECT_EQ(Dialog().cmdOK->text(), "OK");
    EXPECT_EQ(Dialog().Button1->text(), "Cancel");

    QStringList groups;
    for (const QGroupBox* group : Dialog().findChildren<QGroupBox*>())
        groups << group->title();
    EXPECT_TRUE(groups.contains("PORT SETTINGS"));
    EXPECT_TRUE(groups.contains("COMMAND TERMINATOR"));

    QStringList labels;
    for (const QLabel* label : Dialog().findChildren<QLabel*>())
        labels << label->text();
    for (const char* caption : {"Baud Rate:", "Data Bits:", "Parity:", "Stop Bits:", "Termination String",
                                "Hex Byte Value(s)", "Enter command termination character(s).",
                                "The termination character(s) are appended to",
                                "the command string before the command is sent.",
                                "Use a comma to separate each byte."})
        EXPECT_TRUE(labels.contains(caption)) << caption;
}

TEST_F(CommSettings, ChoosingAListItemWritesItsCodeIntoThePort)
{
    Choose(*Dialog().cboDataBits, "7");
    EXPECT_EQ(Port().DataBits, 4);
    EXPECT_TRUE(CommTermForm->ConfigChanged);

    struct Choice { QComboBox* list; const char* item; std::int32_t CSerialPort::*field; int code; };
    for (const Choice& c : {Choice{Dialog().cboDataBits, "5", &CSerialPort::DataBits, 1},
                            Choice{Dialog().cboParity, "Space", &CSerialPort::Parity, 4},
                            Choice{Dialog().cboParity, "Odd", &CSerialPort::Parity, 1},
                            Choice{Dialog().cboStopBits, "1.5", &CSerialPort::StopBits, 1},
                            Choice{Dialog().cboBaudRate, "57600", &CSerialPort::BaudRate, 57600}}) {
        Choose(*c.list, c.item);
        EXPECT_EQ(Port().*c.field, c.code) << c.item;
    }
    EXPECT_EQ(Port().BaudRateText, "57600");
}

TEST_F(CommSettings, CancelRestoresTheNumbersButKeepsTheChosenTexts)
{
    const int result = ShowModal([this] {
        Choose(*Dialog().cboBaudRate, "19200");
        Choose(*Dialog().cboParity, "Even");
        Choose(*Dialog().cboDataBits, "6");
        Choose(*Dialog().cboStopBits, "2");
        EXPECT_EQ(Port().BaudRate, 19200);
        QTest::mouseClick(Dialog().Button1, Qt::LeftButton);
    });

    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_FALSE(Dialog().OKPressed);
    EXPECT_EQ(Port().BaudRate, 9600);
    EXPECT_EQ(Port().Parity, 0);
    EXPECT_EQ(Port().DataBits, 8);
    EXPECT_EQ(Port().StopBits, 0);
    EXPECT_EQ(Port().BaudRateText, "19200");
    EXPECT_EQ(Dialog().cboBaudRate->currentText(), "19200");
    EXPECT_TRUE(CommTermForm->ConfigChanged);
}

TEST_F(CommSettings, TheCloseBoxRestoresAsCancelDoes)
{
    ShowModal([this] {
        Choose(*Dialog().cboBaudRate, "300");
        Dialog().close();
    });
    EXPECT_FALSE(Dialog().OKPressed);
    EXPECT_EQ(Port().BaudRate, 9600);
    EXPECT_EQ(Port().BaudRateText, "300");
}

TEST_F(CommSettings, OKKeepsEverythingChosen)
{
    const int result = ShowModal([this] {
        Choose(*Dialog().cboBaudRate, "115200");
        Choose(*Dialog().cboParity, "Mark");
        QTest::mouseClick(Dialog().cmdOK, Qt::LeftButton);
    });

    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_TRUE(Dialog().OKPressed);
    EXPECT_EQ(Port().BaudRate, 115200);
    EXPECT_EQ(Port().Parity, 3);
}

TEST_F(CommSettings, EachShowingSavesThePortAsItIsThen)
{
    ShowModal([this] {
        Choose(*Dialog().cboStopBits, "2");
        QTest::mouseClick(Dialog().cmdOK, Qt::LeftButton);
    });
    ShowModal([this] {
        EXPECT_FALSE(Dialog().OKPressed);
        EXPECT_EQ(Dialog().SavedStopBits, 2);
        Choose(*Dialog().cboStopBits, "1");
        QTest::mouseClick(Dialog().Button1, Qt::LeftButton);
    });
    EXPECT_EQ(Port().StopBits, 2);
}

TEST_F(CommSettings, SetOperationsSelectAndApplyListedValues)
{
    Dialog().SetBaudRate(38400);
    EXPECT_EQ(Dialog().cboBaudRate->currentText(), "38400");
    EXPECT_EQ(Port().BaudRate, 38400);
    EXPECT_EQ(Port().BaudRateText, "38400");
    Dialog().SetByteSize(4);
    EXPECT_EQ(Dialog().cboDataBits->currentText(), "7");
    EXPECT_EQ(Port().DataBits, 4);
    Dialog().SetParity(2);
    EXPECT_EQ(Dialog().cboParity->currentText(), "Even");
    EXPECT_EQ(Port().Parity, 2);
    Dialog().SetStopBits(1);
    EXPECT_EQ(Dialog().cboStopBits->currentText(), "1.5");
    EXPECT_EQ(Port().StopBits, 1);
    EXPECT_TRUE(CommTermForm->ConfigChanged);
}

TEST_F(CommSettings, SetOperationsWithUnlistedValuesOnlyMarkTheConfiguration)
{
    Dialog().SetBaudRate(14400);
    EXPECT_TRUE(CommTermForm->ConfigChanged);
    EXPECT_EQ(Dialog().cboBaudRate->currentText(), "9600");
    EXPECT_EQ(Port().BaudRate, 9600);
    EXPECT_EQ(Port().BaudRateText, "9600");

    Dialog().SetByteSize(3);
    Dialog().SetByteSize(7);
    Dialog().SetParity(5);
    Dialog().SetParity(-1);
    Dialog().SetStopBits(3);
    EXPECT_EQ(Dialog().cboDataBits->currentText(), "8");
    EXPECT_EQ(Dialog().cboParity->currentText(), "None");
    EXPECT_EQ(Dialog().cboStopBits->currentText(), "1");
    EXPECT_EQ(Port().DataBits, 8);
    EXPECT_EQ(Port().Parity, 0);
    EXPECT_EQ(Port().StopBits, 0);
}

TEST_F(CommSettings, EnterParsesTheTerminator)
{
    struct Case { const char* text; std::vector<int> bytes; };
    for (const Case& c : {Case{"0D,0A", {13, 10}}, Case{"0D", {13}}, Case{"D", {13}},
                          Case{"0d,0a", {13, 10}}, Case{"100,0A", {0, 10}}}) {
        TypeTerminator(c.text);
        EXPECT_EQ(Values(CommTermForm->TerminationBytes), c.bytes) << c.text;
        EXPECT_EQ(CommTermForm->TerminationString, c.text);
        EXPECT_FALSE(CommTermForm->TerminationChanged) << c.text;
    }
    EXPECT_TRUE(Ui.Messages.empty());
    EXPECT_TRUE(Ui.Exceptions.empty());
    EXPECT_FALSE(CommTermForm->ConfigChanged);
}

TEST_F(CommSettings, EditingTheTerminatorMarksItChanged)
{
    TypeTerminator("0A");
    ASSERT_FALSE(CommTermForm->TerminationChanged);
    QTest::keyClick(Dialog().leTerminationString, Qt::Key_Backspace);
    EXPECT_TRUE(CommTermForm->TerminationChanged);

    TypeTerminator("0A");
    Dialog().leTerminationString->setText("0D,0A");
    EXPECT_TRUE(CommTermForm->TerminationChanged);
    EXPECT_FALSE(CommTermForm->ConfigChanged);
}

TEST_F(CommSettings, LongTextWithoutCommaShowsTheFormatMessageOnly)
{
    TypeTerminator("0D");
    TypeTerminator("0D0A");

    ASSERT_EQ(Ui.Messages.size(), 1U);
    EXPECT_EQ(Ui.Messages[0].Title, "Terminal String Format");
    EXPECT_EQ(Ui.Messages[0].Text, "If the terminal string contains \r\nmultiple bytes, each byte must \r\n"
                                   "be separated by a comma.");
    EXPECT_EQ(Ui.Messages[0].Icon, platform::MessageIcon::Exclamation);
    EXPECT_EQ(CommTermForm->TerminationString, "0D");
    EXPECT_EQ(Values(CommTermForm->TerminationBytes), (std::vector<int>{13}));
    EXPECT_TRUE(CommTermForm->TerminationChanged);
    EXPECT_EQ(Dialog().leTerminationString->text(), "0D0A");
}

TEST_F(CommSettings, BadPartReachesTheExceptionBoxWithTheFieldsAsLeft)
{
    TypeTerminator("0D,0A,00");

    ASSERT_EQ(Ui.Exceptions.size(), 1U);
    EXPECT_EQ(Ui.Exceptions[0], "'0x0A,00' is not a valid integer value");
    EXPECT_EQ(Values(CommTermForm->TerminationBytes), (std::vector<int>{13}));
    EXPECT_EQ(CommTermForm->TerminationString, "0D,0A,00");
    EXPECT_FALSE(CommTermForm->TerminationChanged);
    EXPECT_TRUE(Ui.Messages.empty());
}

TEST_F(CommSettings, EnterOnAnEmptyTerminatorDoesNothing)
{
    TypeTerminator("0A");
    TypeTerminator("");

    EXPECT_EQ(CommTermForm->TerminationString, "0A");
    EXPECT_EQ(Values(CommTermForm->TerminationBytes), (std::vector<int>{10}));
    EXPECT_TRUE(CommTermForm->TerminationChanged);
    EXPECT_TRUE(Ui.Messages.empty());
    EXPECT_TRUE(Ui.Exceptions.empty());
}

// Enter belongs to the terminator edit; it must not end the dialog as if OK
// had been clicked.
TEST_F(CommSettings, EnterInTheTerminatorKeepsTheDialogOpen)
{
    ShowModal([this] {
        TypeTerminator("0A");
        EXPECT_TRUE(Dialog().isVisible());
        EXPECT_EQ(Values(CommTermForm->TerminationBytes), (std::vector<int>{10}));
        QTest::mouseClick(Dialog().cmdOK, Qt::LeftButton);
    });
    EXPECT_TRUE(Dialog().OKPressed);
}

} // namespace
