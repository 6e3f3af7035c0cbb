#include "TrafficFixture.h"

#include "serial/CommSettings.h"
#include "terminal/About.h"
#include "terminal/ComboDialog.h"
#include "terminal/IncrementDialog.h"

#include <QLabel>

#include <functional>

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

} // namespace
