#include "TrafficFixture.h"

#include "serial/CommSettings.h"
#include "terminal/About.h"
#include "terminal/ComboDialog.h"
#include "terminal/IncrementDialog.h"

#include <QLabel>

#include <functional>
#include <limits>

namespace {

using TextRoom = TrafficFixture;

// The width a label has for its text: its contents without margin and indent
// (a framed label, as a status panel is, indents by half an "x").
int RoomFor(const QLabel& label)
{
    const int indent = label.indent() >= 0 ? label.indent()
                       : label.frameWidth() > 0 ? label.fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2
                                                : 0;
    return label.contentsRect().width() - 2 * label.margin() - indent;
}

// Every label and status panel shown in the window (not in its dialogs)
// whose text is cut off.
QStringList CutTexts(const QWidget& window)
{
    QStringList cut;
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (label->window() != &window || !label->isVisible() || label->wordWrap() || label->text().isEmpty())
            continue;
        if (RoomFor(*label) < label->fontMetrics().horizontalAdvance(label->text()))
            cut << label->text();
    }
    return cut;
}

// Every text of the main window and its dialogs is seen whole, at the
// desktop's font and at a larger one: the status panels with their longest
// texts (the settings with 1.5 stop bits, six-digit counts, the log's status)
// also while the command-file pane takes half the window, and the notes of
// Comm Properties.
TEST_F(TextRoom, EveryLabelAndStatusPanelShowsItsWholeText)
{
    TAboutBox about(CommTermForm, QStringLiteral("1.7.7.1"), QStringLiteral("Communications Terminal "));
    const std::pair<const char*, QWidget*> windows[] = {
        {"main window", CommTermForm},   {"Comm Properties", CommSettingForm}, {"log", CommLogForm},
        {"about box", &about},           {"rename dialog", IncrementForm},    {"copy dialog", OKRightDlg},
    };
    CSerialPort& port = *CommTermForm->CommPort;
    std::tie(port.BaudRate, port.DataBits, port.Parity, port.StopBits) = std::tuple(115200, 1, 4, 1);
    CommTermForm->SetCommPropertyStatusBarInfo();
    CommTermForm->CommandsSent = 99999;
    Send(QStringLiteral("Q"));
    MainEntry("ViewCommandFileWindow1")->trigger();
    MainEntry("ViewLog2")->trigger();
    CommLogForm->UpdateSBar(100000, true);
    const QFont desktopFont = QApplication::font();
    QFont largerFont = desktopFont;
    largerFont.setPointSizeF(desktopFont.pointSizeF() * 1.6);
    for (const QFont& font : {desktopFont, largerFont}) {
        QApplication::setFont(font);
        for (const auto& [name, window] : windows) {
            window->show();
            // A window grows to what its texts need once its layouts have taken the font.
            const bool whole = QTest::qWaitFor([window] { return CutTexts(*window).isEmpty(); }, 5000);
            EXPECT_TRUE(whole) << name << " at " << font.pointSizeF() << " pt: "
                               << CutTexts(*window).join(", ").toStdString();
        }
    }
    QApplication::setFont(desktopFont);
    const std::tuple<const char*, int, const char*> panels[] = {
        {"sbCommProperties", 1, "Settings: 115200 5-S-1.5"}, {"sbSendStatus", 1, "Commands Sent: 100000"}};
    for (const auto& [bar, panel, text] : panels)
        EXPECT_EQ(MainControl<TStatusBar>(bar)->PanelText(panel), text);
}

// Rows: a status panel of the main window, how a text from outside comes to
// it (a command file's name; a baud rate as a hand-edited configuration file
// gives it) and the text it then holds, as it stands. Neither the window nor a panel moves or
// grows: the text is cut at its panel's edge.
TEST_F(TextRoom, OutsideTextsGrowNeitherAStatusPanelNorTheMainWindow)
{
    const QString file = InstallPath() + QStringLiteral("/<h1>") + QString(200, QLatin1Char('n'));
    ASSERT_TRUE(WriteWholeFile(file, "*IDN?\r\n"));
    const auto open = [&] {
        Ui.AnswerFileDialog(file);
        MainEntry("LoadCommandFile1")->trigger();
    };
    const auto stored = [] {
        CommTermForm->CommPort->BaudRate = std::numeric_limits<std::int32_t>::min();
        CommTermForm->SetCommPropertyStatusBarInfo();
    };
    const std::tuple<int, std::function<void()>, QString> rows[] = {
        {2, open, "FileName: " + file},
        {1, stored, "Settings: -2147483648 8-N-1"},
    };
    TStatusBar& bar = *MainControl<TStatusBar>("sbCommProperties");
    const auto bounds = [&bar] {
        SettleLayouts();
        return std::tuple(CommTermForm->frameGeometry(), PanelPlaces(bar));
    };
    const auto designed = bounds();
    for (const auto& [panel, show, text] : rows) {
        show();
        EXPECT_EQ(std::tuple(bar.PanelText(panel), bounds()), std::tuple(text, designed)) << panel;
    }
}

} // namespace
