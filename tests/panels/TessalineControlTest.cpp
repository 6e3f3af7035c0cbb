#include "TessalineFixture.h"

#include "platform/Painting.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

namespace {

using platform::TrackBar;

QString TextOf(const QWidget& control)
{
    if (auto* box = qobject_cast<const QGroupBox*>(&control))
        return box->title();
    if (auto* button = qobject_cast<const QAbstractButton*>(&control))
        return button->text();
    if (auto* label = qobject_cast<const QLabel*>(&control))
        return label->text();
    if (auto* combo = qobject_cast<const QComboBox*>(&control))
        return combo->placeholderText();
    return qobject_cast<const QLineEdit*>(&control)->text();
}

QStringList Items(const QComboBox& combo)
{
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i);
    return items;
}

TEST_F(TessalinePanel, LayoutHoldsEveryControlWithItsCaptionItemsAndHint)
{
    EXPECT_EQ(TessalineControlForm->windowTitle(), "Tessaline System V1.00.03");
    EXPECT_TRUE(TessalineControlForm->windowFlags() & Qt::WindowStaysOnTopHint);
    auto* notebook = Get<QTabWidget>("nbTessaline");
    EXPECT_EQ(std::tuple(notebook->count(), notebook->tabText(0)), std::tuple(1, QStringLiteral("Default")));
    struct Case { const char* Control; const char* Text; const char* Hint; };
    const Case cases[] = {
        {"gbEnergyMonitor", "MONITOR ", ""}, {"GroupBox3", "STATUS ", ""}, {"GroupBox1", "ILLUMINATION", ""},
        {"gbLaserSettings", "LASER CONTROLS ", ""}, {"GroupBox2", "SLIT CONTROLS ", ""}, {"GroupBox4", "SYSTEM ", ""},
        {"rbEnergy", "ENERGY", ""}, {"rbVoltage", "VOLTAGE", ""}, {"lblEnergyMon", "1000", ""},
        {"cbStatus", "Enable Poll", ""}, {"lblStatus", "1000", ""}, {"Label2", "INTENSITY", ""},
        {"lblField", "%FIELD", ""}, {"lblSlit", "%SLIT", ""}, {"sbFire", "FIRE", ""}, {"sbStop", "STOP", ""},
        {"cbAutoEnergy", "Auto Energy", ""}, {"cbWavelength", "Select", "Select"}, {"cbMode", "Select", "Select"},
        {"cbSlitMag", "Select", "Select"}, {"lblEnergy", "Energy", ""}, {"leEnergy", "100", "(0 - 1000)"},
        {"lblBurstCount", "Count", ""}, {"leBurstCount", "0", "(0 - 1000)"}, {"lblRepRate", "Rep Rate", ""},
        {"leRepRate", "50", "(0 - 50)"}, {"rbHighEnergy", "HIGH", ""}, {"rbLowEnergy", "LOW", ""},
        {"lblPolarization", "Polarization Angle (DEG)", ""}, {"tbPolarization", nullptr, "(-90 - 90)"},
        {"edPolarization", "0", "(-90 - 90)"}, {"cmdPAN90", "-90", ""}, {"cmdPA0", "0", ""}, {"cmdPAP90", "90", ""},
        {"cbSquareSlit", "Square", ""}, {"lblSlitMag", "Magnification", ""}, {"lblXSize", "X (um)", ""},
        {"lblYSize", "Y (um)", ""}, {"lblTheta", "Theta Rotation (DEG)", ""}, {"tbTheta", nullptr, "(-45 - 45)"},
        {"edTheta", "0", "(-45 - 45)"}, {"cmdTRN45", "-45", ""}, {"cmdTR0", "0", ""}, {"cmdTRP34", "45", ""},
        {"edFieldLED", "50", "(0 - 100)"}, {"edSlitLED", "35", "(0 - 100)"},
        {"cmdUpdate", "Read from Controller", "Read System Settings"},
        {"cmdRefresh", "Write to Controller", "Write Settings to Controller"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Control);
        const QWidget* control = Get<QWidget>(c.Control);
        if (c.Text) {
            EXPECT_EQ(TextOf(*control), QLatin1String(c.Text));
        }
        EXPECT_EQ(control->toolTip(), QLatin1String(c.Hint));
    }
    EXPECT_EQ(Items(*Get<QComboBox>("cbWavelength")),
              (QStringList{"1064nm 0", "1064nm 1", "1064nm 2", "532nm 0", "532nm 1", "532nm 2"}));
    EXPECT_EQ(Items(*Get<QComboBox>("cbMode")), (QStringList{"Continuous", "Single", "Burst"}));
    EXPECT_EQ(Items(*Get<QComboBox>("cbSlitMag")), (QStringList{"1x", "5x", "10x", "20x", "50x", "100x"}));
    struct BarCase { const char* Bar; int Minimum; int Maximum; Qt::Orientation Orientation; };
    for (const BarCase& c : {BarCase{"tbPolarization", -90, 90, Qt::Horizontal}, BarCase{"tbTheta", -45, 45, Qt::Horizontal},
                             BarCase{"tbFieldLED", 0, 100, Qt::Vertical}, BarCase{"tbSlitLED", 0, 100, Qt::Vertical}}) {
        const QSlider* bar = Get<QSlider>(c.Bar);
        EXPECT_EQ(std::tuple(bar->minimum(), bar->maximum(), bar->orientation(), bar->tickPosition()),
                  std::tuple(c.Minimum, c.Maximum, c.Orientation, QSlider::NoTicks)) << c.Bar;
    }
}

TEST_F(TessalinePanel, PopupMenusHoldTheirEntriesInOrderAndSendTheirCommands)
{
    struct Case { const char* Menu; QStringList Captions; };
    const Case menus[] = {
        {"PopupMenuSlit", {"Exercise Slit", "Reset Slit"}},
        {"PopupMenuWL", {"Exercise Waveplate", "Reset Waveplate", "Exercise Filter Wheel", "Reset Filter Wheel"}},
        {"PopupMenuIlluminator", {"Open Shutter", "Close Shutter"}},
        {"PopupMenuMain", {"Exercise All", "Reset All", "Exercise Slit", "Reset Slit", "Exercis Waveplate",
                           "Reset Waveplate", "Exercise Filter Wheel", "Reset Filter Wheel"}},
    };
    for (const Case& c : menus) {
        QStringList captions;
        for (QAction* action : Get<QMenu>(c.Menu)->actions())
            captions << action->text();
        EXPECT_EQ(captions, c.Captions) << c.Menu;
    }
    struct EntryCase { const char* Menu; const char* Caption; Commands Sent; };
    const EntryCase entries[] = {
        {"PopupMenuMain", "Exercise All", {";SL:X3 00", ";FW:X3 00", ";WP:X3 00"}},
        {"PopupMenuMain", "Reset All", {";SL:RS", ";FW:RS", ";WP:RS"}},
        {"PopupMenuMain", "Exercis Waveplate", {";WP:X3 00"}}, {"PopupMenuWL", "Exercise Waveplate", {";WP:X3 00"}},
        {"PopupMenuSlit", "Exercise Slit", {";SL:X3 00"}}, {"PopupMenuMain", "Reset Slit", {";SL:RS"}},
        {"PopupMenuWL", "Reset Waveplate", {";WP:RS"}}, {"PopupMenuWL", "Exercise Filter Wheel", {";FW:X3 00"}},
        {"PopupMenuMain", "Reset Filter Wheel", {";FW:RS"}}, {"PopupMenuIlluminator", "Open Shutter", {";IL:SH 0"}},
        {"PopupMenuIlluminator", "Close Shutter", {";IL:SH 1"}},
    };
    for (const EntryCase& e : entries) {
        Entry(e.Menu, e.Caption);
        EXPECT_EQ(Wire(), e.Sent) << e.Menu << " " << e.Caption;
    }
}

TEST_F(TessalinePanel, FireAndStopSendOneCommandEachAndColourTheCaptions)
{
    struct Case { const char* Button; QByteArray Sent; int FireState; QColor Fire; bool FireDown; };
    const Case cases[] = {{"sbFire", ";LC:FL 3", 3, Qt::red, true}, {"sbStop", ";LC:FL 1", 1, Qt::black, false},
                          {"sbFire", ";LC:FL 3", 3, Qt::red, true}};
    for (const Case& c : cases) {
        Click(c.Button);
        EXPECT_EQ(Wire(), Commands{c.Sent});
        EXPECT_EQ(std::tuple(TessalineControlForm->FireState, platform::CaptionColour(*Get<QWidget>("sbFire")),
                             platform::CaptionColour(*Get<QWidget>("sbStop")), Get<QToolButton>("sbFire")->isChecked(),
                             Get<QToolButton>("sbStop")->isChecked()),
                  std::tuple(c.FireState, c.Fire, QColor(Qt::black), c.FireDown, !c.FireDown));
        EXPECT_EQ(QApplication::focusWidget(), TessalineControlForm);
    }
}

TEST_F(TessalinePanel, WavelengthStopsTheLaserSendsItsItemQueriesTheEnergyAndStartsThePoll)
{
    struct Case { int Item; Commands Sent; int Index; };
    const Case cases[] = {
        {4, {";LC:FL 1", ";LC:SW 2 1", ";LC:ED?"}, 4}, {0, {";LC:FL 1", ";LC:SW 3 0", ";LC:ED?"}, 0},
        {5, {";LC:FL 1", ";LC:SW 2 2", ";LC:ED?"}, 5}, {-1, {";LC:FL 1", ";LC:ED?"}, 5},
    };
    for (const Case& c : cases) {
        Click("sbFire");
        TessalineControlForm->tmrStatus->stop();
        Wire();
        Choose("cbWavelength", c.Item);
        EXPECT_EQ(Wire(), c.Sent) << c.Item;
        EXPECT_EQ(std::tuple(Get<QToolButton>("sbStop")->isChecked(), Get<QToolButton>("sbFire")->isChecked(),
                             TessalineControlForm->tmrStatus->isActive(), TessalineControlForm->WavelengthIndex),
                  std::tuple(true, false, true, c.Index)) << c.Item;
    }
}

TEST_F(TessalinePanel, ModeShowsTheCountOnlyForBurst)
{
    struct Case { int Item; Commands Sent; bool CountShown; int Index; };
    const Case cases[] = {{2, {";LC:MO 2"}, true, 2}, {1, {";LC:MO 1"}, false, 1}, {2, {";LC:MO 2"}, true, 2},
                          {0, {";LC:MO 0"}, false, 0}, {2, {";LC:MO 2"}, true, 2}, {-1, {}, false, 2}};
    for (const Case& c : cases) {
        Choose("cbMode", c.Item);
        EXPECT_EQ(Wire(), c.Sent) << c.Item;
        EXPECT_EQ(std::tuple(Get("leBurstCount")->isVisible(), Get<QLabel>("lblBurstCount")->isVisible(),
                             TessalineControlForm->ModeIndex),
                  std::tuple(c.CountShown, c.CountShown, c.Index)) << c.Item;
    }
}

// Steps in order; each acts on what the ones before it left.
TEST_F(TessalinePanel, EnergyCarriesTheLevelFirstAndEntryBoxesApplyOnlyWithinTheirRange)
{
    Choose("cbMode", 2);
    Wire();
    struct Step { const char* Control; const char* Typed; Commands Sent; const char* Box; const char* Text; };
    const Step steps[] = {
        {"rbHighEnergy", nullptr, {";LC:ED 1,100"}, "leEnergy", "100"},
        {"leEnergy", "250\r", {";LC:ED 1,250"}, "leEnergy", "250"},
        {"rbLowEnergy", nullptr, {";LC:ED 0,250"}, "leEnergy", "250"},
        {"leEnergy", "1001\r", {}, "leEnergy", "250"},
        {"leEnergy", "x\r", {";LC:ED 0,250"}, "leEnergy", "250"},
        {"leRepRate", "50\r", {";LC:RR 50"}, "leRepRate", "50"},
        {"leRepRate", "51\r", {}, "leRepRate", "50"},
        {"leRepRate", "7\t", {";LC:RR 7"}, "leRepRate", "7"},
        {"leBurstCount", "1000\r", {";LC:BU 1000"}, "leBurstCount", "1000"},
        {"leBurstCount", "1001\r", {}, "leBurstCount", "1000"},
        {"leBurstCount", "-0\r", {";LC:BU 0"}, "leBurstCount", "0"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string(s.Control) + " " + (s.Typed ? s.Typed : ""));
        Work(s.Control, s.Typed);
        EXPECT_EQ(Wire(), s.Sent);
        EXPECT_EQ(Shows(s.Box), std::tuple(QString::fromLatin1(s.Text), White));
    }
    EXPECT_EQ(std::tuple(TessalineControlForm->Energy, TessalineControlForm->EnergyLevel, TessalineControlForm->RepRate,
                         TessalineControlForm->BurstCount), std::tuple(250, 0, 7, 0));
}

TEST_F(TessalinePanel, AutoEnergyAndTheMonitorSendTheirStateAndStyleTheMonitor)
{
    const auto style = [this](const char* control) {
        const QWidget* widget = Get<QWidget>(control);
        return std::tuple(widget->font().pointSize(), widget->palette().color(QPalette::WindowText));
    };
    struct Case { const char* Control; QByteArray Sent; int AutoEnergy; int EnergySize; QColor Energy; int VoltageSize;
                  QColor Voltage; QColor Monitor; };
    const QColor yellow(255, 255, 0);
    const QColor aqua(0, 255, 255);
    const Case cases[] = {
        {"cbAutoEnergy", ";LC:AE 1", 1, 16, yellow, 8, Qt::white, yellow},
        {"rbVoltage", ";LC:EM 0", 1, 8, Qt::white, 16, aqua, aqua},
        {"cbAutoEnergy", ";LC:AE 0", 0, 8, Qt::white, 16, aqua, aqua},
        {"rbEnergy", ";LC:EM 1", 0, 16, yellow, 8, Qt::white, yellow},
    };
    for (const Case& c : cases) {
        Click(c.Control);
        EXPECT_EQ(Wire(), Commands{c.Sent}) << c.Control;
        EXPECT_EQ(TessalineControlForm->AutoEnergy, c.AutoEnergy);
        EXPECT_EQ(style("rbEnergy"), std::tuple(c.EnergySize, c.Energy)) << c.Control;
        EXPECT_EQ(style("rbVoltage"), std::tuple(c.VoltageSize, c.Voltage)) << c.Control;
        EXPECT_EQ(std::get<1>(style("lblEnergyMon")), c.Monitor) << c.Control;
    }
}

// Steps in order: the bar stores and sends, and only a position that stands
// for another value than the stored one sends.
TEST_F(TessalinePanel, AnglePairsSendOnlyWhenTheBarLeavesTheStoredAngle)
{
    enum Action { Button, Typed, Key };
    struct Step { Action Do; const char* Control; const char* Text; Commands Sent; const char* Box; const char* Shown;
                  int Angle; int Position; const char* Error; };
    const Step steps[] = {
        {Button, "cmdTRN45", nullptr, {";LC:ST -45"}, "edTheta", "-45", -45, -45, nullptr},
        {Button, "cmdTRN45", nullptr, {}, "edTheta", "-45", -45, -45, nullptr},
        {Button, "cmdTRP34", nullptr, {";LC:ST 45"}, "edTheta", "45", 45, 45, nullptr},
        {Button, "cmdTR0", nullptr, {";LC:ST 0"}, "edTheta", "0", 0, 0, nullptr},
        {Typed, "edTheta", "-\t", {";LC:ST -45"}, "edTheta", "-45", -45, -45, nullptr},
        {Typed, "edTheta", "-\r", {}, "edTheta", "-", -45, -45, "'-' is not a valid integer value"},
        {Typed, "edTheta", "46\r", {}, "edTheta", "-45", -45, -45, nullptr},
        {Key, "tbTheta", nullptr, {";LC:ST -44"}, "edTheta", "-44", -44, -44, nullptr},
        {Typed, "edTheta", "4-\r", {}, "edTheta", "4-", -44, -44, "'4-' is not a valid integer value"},
        {Typed, "edTheta", "-44\r", {}, "edTheta", "-44", -44, -44, nullptr},
        {Button, "cmdPAP90", nullptr, {";LC:PA 90"}, "edPolarization", "90", 90, 90, nullptr},
        {Button, "cmdPAN90", nullptr, {";LC:PA -90"}, "edPolarization", "-90", -90, -90, nullptr},
        {Button, "cmdPA0", nullptr, {";LC:PA 0"}, "edPolarization", "0", 0, 0, nullptr},
        {Typed, "edPolarization", "-\t", {}, "edPolarization", "-", 0, 0, "'-' is not a valid integer value"},
        {Typed, "edPolarization", "-91\r", {}, "edPolarization", "0", 0, 0, nullptr},
        {Key, "tbPolarization", nullptr, {";LC:PA 1"}, "edPolarization", "1", 1, 1, nullptr},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string(s.Control) + " " + (s.Text ? s.Text : ""));
        Ui.Exceptions.clear();
        if (s.Do == Button)
            Click(s.Control);
        else if (s.Do == Typed)
            Type(*Get(s.Control), QString::fromLatin1(s.Text));
        else
            QTest::keyClick(Get<QSlider>(s.Control), Qt::Key_Right);
        const bool theta = QByteArray(s.Box) == "edTheta";
        EXPECT_EQ(Wire(), s.Sent);
        EXPECT_EQ(Get(s.Box)->text(), QLatin1String(s.Shown));
        EXPECT_EQ(theta ? TessalineControlForm->Theta : TessalineControlForm->PolarizationAngle, s.Angle);
        EXPECT_EQ(Bar(theta ? "tbTheta" : "tbPolarization").Position(), s.Position);
        EXPECT_EQ(Ui.Exceptions, s.Error ? std::vector<QString>{QString::fromLatin1(s.Error)} : std::vector<QString>{});
        if (!s.Sent.isEmpty()) {
            EXPECT_EQ(Bar(theta ? "tbTheta" : "tbPolarization").SelStart, s.Position);
        }
    }
}

TEST_F(TessalinePanel, IlluminatorsSendTheLevelOfTheirPercentFromTheTopOfTheBar)
{
    enum Action { Typed, Top, Bottom };
    struct Case { const char* Box; const char* Bar; Action Do; const char* Text; Commands Sent; int Position; };
    const Case cases[] = {
        {"edFieldLED", "tbFieldLED", Typed, "25\r", {";LC:IL 0,63"}, 75},
        {"edFieldLED", "tbFieldLED", Typed, "50\r", {";LC:IL 0,127"}, 50},
        {"edFieldLED", "tbFieldLED", Typed, "101\r", {}, 50},
        {"edFieldLED", "tbFieldLED", Top, nullptr, {";LC:IL 0,255"}, 0},
        {"edFieldLED", "tbFieldLED", Bottom, nullptr, {";LC:IL 0,0"}, 100},
        {"edSlitLED", "tbSlitLED", Typed, "1\r", {";LC:IL 1,2"}, 99},
        {"edSlitLED", "tbSlitLED", Typed, "99\r", {";LC:IL 1,252"}, 1},
        {"edSlitLED", "tbSlitLED", Typed, "-\t", {";LC:IL 1,0"}, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Box) + " " + std::to_string(c.Do) + (c.Text ? c.Text : ""));
        if (c.Do == Typed)
            Type(*Get(c.Box), QString::fromLatin1(c.Text));
        else
            QTest::keyClick(Get<QSlider>(c.Bar), c.Do == Top ? Qt::Key_Home : Qt::Key_End);
        EXPECT_EQ(Wire(), c.Sent);
        EXPECT_EQ(Bar(c.Bar).Position(), c.Position);
        EXPECT_EQ(Shows(c.Box), std::tuple(QString::number(100 - c.Position), White));
    }
    EXPECT_EQ(std::tuple(TessalineControlForm->FieldLEDPercent, TessalineControlForm->FieldLEDLevel,
                         TessalineControlForm->SlitLEDPercent, TessalineControlForm->SlitLEDLevel),
              std::tuple(0, 0, 0, 0));
}

TEST_F(TessalinePanel, SwitchingAnIlluminatorOffAndOnSendsZeroAndThenTheLevelLastSent)
{
    struct Case { const char* Typed; Commands Sent; const char* Caption; bool Enabled; bool Off; const char* Text; };
    const Case cases[] = {{nullptr, {";LC:IL 0,0"}, "OFF", false, true, "50"},
                          {nullptr, {";LC:IL 0,127"}, "ON", true, false, "50"},
                          {"60\r", {";LC:IL 0,153", ";LC:IL 0,0"}, "OFF", false, true, "60"},
                          {nullptr, {";LC:IL 0,153"}, "ON", true, false, "60"}};
    for (const Case& c : cases) {
        if (c.Typed)
            Type(*Get("edFieldLED"), QString::fromLatin1(c.Typed));
        Click("cmdILFieldONOFF");
        EXPECT_EQ(Wire(), c.Sent);
        EXPECT_EQ(std::tuple(Get<QPushButton>("cmdILFieldONOFF")->text(), Get<QWidget>("tbFieldLED")->isEnabled(),
                             Get("edFieldLED")->isEnabled(), TessalineControlForm->FieldIlluminatorOff, Get("edFieldLED")->text()),
                  std::tuple(QString::fromLatin1(c.Caption), c.Enabled, c.Enabled, c.Off, QString::fromLatin1(c.Text)));
    }
    EXPECT_EQ(Get<QPushButton>("cmdSlitILONOFF")->text(), "ON");
}

// Auto Energy ticked and VOLTAGE chosen at close: the showing sends each of
// its two commands once, and the file's auto energy leaves the box unticked.
TEST_F(TessalinePanel, ShowingSendsAutoEnergyOffAndTheEnergyMonitorOnceBeforeTheFile)
{
    Click("cbAutoEnergy");
    Click("rbVoltage");
    Wire();
    const Commands shown = Reopen();
    EXPECT_EQ(shown.mid(0, 6), (Commands{";LC:FL 0", ";LC:AE 0", ";LC:EM 1", ";LC:ED 0,100", ";LC:FL 0", ";LC:AE 1"}));
    EXPECT_EQ(std::tuple(Get<QCheckBox>("cbAutoEnergy")->isChecked(), Get<QRadioButton>("rbEnergy")->isChecked(),
                         TessalineControlForm->AutoEnergy),
              std::tuple(false, true, 1));
}

using TessalinePanelLife = PanelFixture;

TEST_F(TessalinePanelLife, OpensFromItsMenuEntryAndClosingSendsLaserOffAndRestoresTheTerminal)
{
    auto* panel = TessalineControlForm;
    EXPECT_EQ(std::tuple(panel->isVisible(), panel->tmrStatus->isActive(), panel->tmrStatus->interval()),
              std::tuple(false, false, 1000));
    struct Case { const char* Choice; bool Minimised; };
    for (const Case& c : {Case{"HideCommTerminal1", true}, Case{"ShowCommTerminal1", false}}) {
        SCOPED_TRACE(c.Choice);
        MainEntry(c.Choice)->trigger();
        MainEntry("GRNIRControl1")->trigger();
        QApplication::setActiveWindow(panel);
        EXPECT_EQ(std::tuple(panel->isVisible(), panel->isModal(), panel->tmrStatus->isActive(), CommTermForm->isMinimized()),
                  std::tuple(true, false, true, c.Minimised));
        QTest::mouseClick(Find<QWidget>(*panel, "sbFire"), Qt::LeftButton);
        Wire();
        panel->close();
        EXPECT_EQ(Wire(), QList<QByteArray>{";LC:FL 0"});
        EXPECT_EQ(std::tuple(panel->isVisible(), panel->tmrStatus->isActive(), CommTermForm->isMinimized(), panel->FireState),
                  std::tuple(false, false, false, 0));
    }
}

} // namespace
