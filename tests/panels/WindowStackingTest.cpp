#include "PanelFixture.h"

#include "panels/OrvaneControl.h"
#include "panels/TessalineControl.h"
#include "platform/WindowShowing.h"
#include "support/NextBox.h"

#include <QCheckBox>
#include <QLabel>

#include <map>

namespace {

using WindowStacking = PanelFixture;

// With the Tessaline panel open, which stays on top, each dialog the main
// window opens comes up above it with the focus, transient for the program
// as a whole, so that the panel cannot hide it.
TEST_F(WindowStacking, DialogsOfTheMainWindowComeUpAboveAnOpenPanel)
{
    const char* const entries[] = {"CommProperties1", "About1", "RenameGroup1", "CopytoGroup1", "DownloadSettings1"};
    MainEntry("ShowCommTerminal1")->trigger();
    Open(*TessalineControlForm, &TCommTermForm::GRNIRControl1Click);
    for (const char* entry : entries) {
        SCOPED_TRACE(entry);
        platform::BringToFront(*CommTermForm);
        ASSERT_TRUE(BecomesActive(*CommTermForm));
        NextBox box;
        MainEntry(entry)->trigger();
        ASSERT_TRUE(box.Seen.has_value());
        EXPECT_EQ(*box.Seen, (BoxStanding{CommTermForm, true, false, false, true, true}));
    }
}

// "View Log" (F10) and the panels' entries bring their window forward,
// restoring it when it was minimised; a restore is no new showing, so a panel
// sends nothing. With "Hide Comm Terminal" ticked the main window goes out of
// sight only once the panel is back on the screen.
TEST_F(WindowStacking, BringingAWindowForwardRestoresItWhenMinimised)
{
    const std::tuple<const char*, QWidget*, bool> windows[] = {
        {"ViewLog2", CommLogForm, false},
        {"GRNIRControl1", TessalineControlForm, true},
        {"OrvaneSystem1", OrvaneControlForm, true},
    };
    for (const auto& [entry, window, hidesMain] : windows) {
        SCOPED_TRACE(entry);
        MainEntry(entry)->trigger();
        Wire();
        window->setWindowState(Qt::WindowMinimized);
        platform::BringToFront(*CommTermForm);
        ASSERT_TRUE(BecomesActive(*CommTermForm));
        MainEntry(entry)->trigger();
        EXPECT_TRUE(BecomesActive(*window));
        EXPECT_EQ(std::tuple(window->isVisible(), window->isMinimized(), CommTermForm->isMinimized()),
                  std::tuple(true, false, hidesMain));
        EXPECT_EQ(Wire(), QList<QByteArray>{});
    }
}

// Rows: a label that shows a reply, its query, the reply and where the label
// then starts it (at its start where it cannot hold it). Shown first with
// short replies, each panel then reads the long ones: the Orvane panel at its
// next showing, the Tessaline panel by its poll and by the monitor's query,
// which nothing in the program asks. No panel or label moves or grows, also at
// the next showing, so a panel stays on the screen as far as its design does;
// at a larger desktop font each label is as tall as a line of it.
TEST_F(WindowStacking, LongRepliesGrowNeitherAPanelNorItsLabels)
{
    const QByteArray wide = QByteArray("System Ready, Interlock Open ").repeated(5);
    constexpr Qt::Alignment Line = Qt::AlignLeft | Qt::AlignVCenter;
    const std::tuple<QWidget*, const char*, QByteArray, QByteArray, Qt::Alignment> rows[] = {
        {TessalineControlForm, "lblStatus", ";LC:SS?", wide, Line},
        {TessalineControlForm, "lblEnergyMon", ";LC:EM?", wide, Line},
        {OrvaneControlForm, "lblSystemState", "?SYSTEM", wide.left(120), Line},
        {OrvaneControlForm, "lblLaserType", "?LASER DATA", wide + "-1064", Line},
        {OrvaneControlForm, "lblKey", "?KEYSWITCH", wide, Line},
        {OrvaneControlForm, "lblDiodeHours", "?DIODE HOURS", wide, Line},
        {OrvaneControlForm, "lblDiodeVoltage", "?DIODE VOLTAGE", wide + "+1", Line},
        {OrvaneControlForm, "lblDiodeCurrent", "?DIODE CURRENT", wide + "+1", Line},
        {OrvaneControlForm, "lblWaterTemp", "?TEMPERATURE", wide, Line},
        {OrvaneControlForm, "lblWaterFlow", "?WATER FLOW", wide, Line},
        {OrvaneControlForm, "lblWarning", "?WARNING", wide + "\nLow Water Flow", Qt::AlignLeft | Qt::AlignTop},
    };
    const auto show = [](QWidget* panel) {
        if (panel->isVisible())
            panel->close();
        Open(*panel, panel == TessalineControlForm ? &TCommTermForm::GRNIRControl1Click
                                                   : &TCommTermForm::OrvaneSystem1Click);
        SettleLayouts();
        return panel->frameGeometry();
    };
    const auto designed = std::tuple(show(TessalineControlForm), show(OrvaneControlForm));
    std::map<const char*, QRect> places;
    for (const auto& [panel, label, query, reply, start] : rows) {
        places[label] = Find<QLabel>(*panel, label)->geometry();
        Answer(query, reply + "\r\n");
    }
    QTest::mouseClick(Find<QCheckBox>(*TessalineControlForm, "cbStatus"), Qt::LeftButton, {}, QPoint(8, 8));
    TessalineControlForm->QueryEnergyMonitor();
    show(OrvaneControlForm);
    for (const auto& [panel, label, query, reply, start] : rows) {
        SCOPED_TRACE(label);
        auto* shown = Find<QLabel>(*panel, label);
        ASSERT_TRUE(QTest::qWaitFor([&] { return shown->text().startsWith(QLatin1String(reply.left(30))); }));
        SettleLayouts();
        shown->grab(); // its painting starts a text it cannot hold at its start
        EXPECT_EQ(std::tuple(shown->geometry(), shown->alignment()), std::tuple(places[label], start));
    }
    EXPECT_EQ(std::tuple(TessalineControlForm->frameGeometry(), OrvaneControlForm->frameGeometry()), designed);
    EXPECT_EQ(std::tuple(show(TessalineControlForm), show(OrvaneControlForm)), designed);
    const QFont desktopFont = QApplication::font();
    QFont largerFont = desktopFont;
    largerFont.setPointSizeF(desktopFont.pointSizeF() * 1.6);
    QApplication::setFont(largerFont);
    SettleLayouts();
    for (const auto& [panel, label, query, reply, start] : rows)
        EXPECT_GE(Find<QLabel>(*panel, label)->height(), QFontMetrics(largerFont).height()) << label;
    QApplication::setFont(desktopFont);
}

} // namespace
