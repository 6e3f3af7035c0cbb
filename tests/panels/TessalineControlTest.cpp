#include "TessalineFixture.h"

#include "platform/Painting.h"
#include "platform/TrackBarSlider.h"

#include <QGroupBox>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

namespace {

QStringList Texts(const QComboBox& combo)
{
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i);
    return items;
}

QStringList Texts(const QMenu& menu)
{
    QStringList captions;
    for (const QAction* action : menu.actions())
        captions << action->text();
    return captions;
}

TEST_F(TessalinePanel, LayoutKeepsItsExactCaptionsAndItems)
{
    EXPECT_EQ(TessalineControlForm->windowTitle(), "Tessaline System V1.00.03");
    EXPECT_TRUE(TessalineControlForm->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(Get<QTabWidget>("nbTessaline")->tabText(0), "Default");
    QStringList captions;
    for (const char* box : {"gbEnergyMonitor", "GroupBox3", "GroupBox1", "gbLaserSettings", "GroupBox2", "GroupBox4"})
        captions << Get<QGroupBox>(box)->title();
    EXPECT_EQ(captions,
              (QStringList{"MONITOR ", "STATUS ", "ILLUMINATION", "LASER CONTROLS ", "SLIT CONTROLS ", "SYSTEM "}));
    EXPECT_EQ(Texts(*Get<QComboBox>("cbWavelength")),
              (QStringList{"1064nm 0", "1064nm 1", "1064nm 2", "532nm 0", "532nm 1", "532nm 2"}));
    EXPECT_EQ(Texts(*Get<QComboBox>("cbMode")), (QStringList{"Continuous", "Single", "Burst"}));
    EXPECT_EQ(Texts(*Get<QComboBox>("cbSlitMag")), (QStringList{"1x", "5x", "10x", "20x", "50x", "100x"}));
    EXPECT_EQ(Texts(*Get<QMenu>("PopupMenuMain")),
              (QStringList{"Exercise All", "Reset All", "Exercise Slit", "Reset Slit", "Exercis Waveplate",
                           "Reset Waveplate", "Exercise Filter Wheel", "Reset Filter Wheel"}));
    EXPECT_EQ(Texts(*Get<QMenu>("PopupMenuWL")),
              (QStringList{"Exercise Waveplate", "Reset Waveplate", "Exercise Filter Wheel", "Reset Filter Wheel"}));
    EXPECT_EQ(Texts(*Get<QMenu>("PopupMenuSlit")) + Texts(*Get<QMenu>("PopupMenuIlluminator")),
              (QStringList{"Exercise Slit", "Reset Slit", "Open Shutter", "Close Shutter"}));
    // Every bar draws its selection; the angles' run to 0, the illuminators' down to 0 %.
    struct Selection { const char* Bar; int End; };
    for (const Selection& c : {Selection{"tbTheta", 0}, Selection{"tbPolarization", 0}, Selection{"tbFieldLED", 100},
                               Selection{"tbSlitLED", 100}}) {
        EXPECT_NE(qobject_cast<platform::TrackBarSlider*>(Get<QSlider>(c.Bar)), nullptr) << c.Bar;
        EXPECT_EQ(Bar(c.Bar).SelEnd(), c.End) << c.Bar;
    }
}

TEST_F(TessalinePanel, ServiceEntriesSendTheirFixedCommands)
{
    struct Case { const char* Menu; int Entry; Commands Sent; };
    const Case cases[] = {
        {"PopupMenuMain", 0, {";SL:X3 00", ";FW:X3 00", ";WP:X3 00"}},
        {"PopupMenuMain", 1, {";SL:RS", ";FW:RS", ";WP:RS"}},
        {"PopupMenuMain", 4, {";WP:X3 00"}}, {"PopupMenuWL", 1, {";WP:RS"}}, {"PopupMenuWL", 2, {";FW:X3 00"}},
        {"PopupMenuWL", 3, {";FW:RS"}}, {"PopupMenuSlit", 0, {";SL:X3 00"}}, {"PopupMenuSlit", 1, {";SL:RS"}},
        {"PopupMenuIlluminator", 0, {";IL:SH 0"}}, {"PopupMenuIlluminator", 1, {";IL:SH 1"}},
    };
    for (const Case& c : cases) {
        Get<QMenu>(c.Menu)->actions().at(c.Entry)->trigger();
        EXPECT_EQ(Wire(), c.Sent) << c.Menu << " " << c.Entry;
    }
}

TEST_F(TessalinePanel, FireAndStopSendOneCommandEachAndColourTheCaptions)
{
    struct Case { const char* Button; QByteArray Sent; int FireState; QColor Fire; };
    for (const Case& c : {Case{"sbFire", ";LC:FL 3", 3, Qt::red}, Case{"sbStop", ";LC:FL 1", 1, Qt::black}}) {
        Click(c.Button);
        EXPECT_EQ(Wire(), Commands{c.Sent});
        EXPECT_EQ(std::tuple(TessalineControlForm->FireState, platform::CaptionColour(*Get<QWidget>("sbFire")),
                             platform::CaptionColour(*Get<QWidget>("sbStop")), Get<QToolButton>(c.Button)->isChecked()),
                  std::tuple(c.FireState, c.Fire, QColor(Qt::black), true));
        EXPECT_EQ(QApplication::focusWidget(), TessalineControlForm);
    }
}

TEST_F(TessalinePanel, SelectionsSendTheirItemsCommand)
{
    struct Case { const char* Combo; int Item; Commands Sent; int Index; bool CountShown; };
    const Case cases[] = {
        {"cbWavelength", 4, {";LC:FL 1", ";LC:SW 2 1", ";LC:ED?"}, 4, false},
        {"cbWavelength", 2, {";LC:FL 1", ";LC:SW 3 2", ";LC:ED?"}, 2, false},
        {"cbWavelength", -1, {";LC:FL 1", ";LC:ED?"}, 2, false},
        {"cbMode", 2, {";LC:MO 2"}, 2, true}, {"cbMode", 1, {";LC:MO 1"}, 1, false},
        {"cbMode", 2, {";LC:MO 2"}, 2, true}, {"cbMode", -1, {}, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Combo) + " " + std::to_string(c.Item));
        const bool wavelength = QByteArray(c.Combo) == "cbWavelength";
        Click("sbFire");
        TessalineControlForm->tmrStatus->stop();
        Wire();
        Choose(c.Combo, c.Item);
        EXPECT_EQ(Wire(), c.Sent);
        EXPECT_EQ(wavelength ? TessalineControlForm->WavelengthIndex : TessalineControlForm->ModeIndex, c.Index);
        EXPECT_EQ(std::tuple(Get<QToolButton>("sbStop")->isChecked(), TessalineControlForm->tmrStatus->isActive()),
                  std::tuple(wavelength, wavelength));
        EXPECT_EQ(std::tuple(Get("leBurstCount")->isVisible(), Get<QLabel>("lblBurstCount")->isVisible()),
                  std::tuple(c.CountShown, c.CountShown));
    }
}

// Steps in order, each acting on what the ones before it left.
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
    const QColor yellow(255, 255, 0);
    const QColor aqua(0, 255, 255);
    struct Case { const char* Control; QByteArray Sent; int AutoEnergy; int EnergySize; QColor Colour; };
    const Case cases[] = {{"cbAutoEnergy", ";LC:AE 1", 1, 16, yellow}, {"rbVoltage", ";LC:EM 0", 1, 8, aqua},
                          {"cbAutoEnergy", ";LC:AE 0", 0, 8, aqua}, {"rbEnergy", ";LC:EM 1", 0, 16, yellow}};
    for (const Case& c : cases) {
        Click(c.Control);
        EXPECT_EQ(Wire(), Commands{c.Sent}) << c.Control;
        const bool energy = c.EnergySize == 16;
        const QColor white(Qt::white);
        EXPECT_EQ(std::tuple(TessalineControlForm->AutoEnergy, std::get<1>(style("lblEnergyMon"))),
                  std::tuple(c.AutoEnergy, c.Colour)) << c.Control;
        EXPECT_EQ(std::tuple(style("rbEnergy"), style("rbVoltage")),
                  std::tuple(std::tuple(c.EnergySize, energy ? c.Colour : white),
                             std::tuple(energy ? 8 : 16, energy ? white : c.Colour))) << c.Control;
    }
}

// Steps in order: the bar stores and sends, and only a position that stands
// for another value than the stored one sends.
TEST_F(TessalinePanel, AnglePairsSendOnlyWhenTheBarLeavesTheStoredAngle)
{
    struct Step { const char* Control; const char* Typed; Commands Sent; const char* Shown; int Angle;
                  const char* Error; };
    const Step steps[] = {
        {"cmdTRN45", nullptr, {";LC:ST -45"}, "-45", -45, nullptr}, {"cmdTRN45", nullptr, {}, "-45", -45, nullptr},
        {"cmdTRP34", nullptr, {";LC:ST 45"}, "45", 45, nullptr},    {"cmdTR0", nullptr, {";LC:ST 0"}, "0", 0, nullptr},
        {"edTheta", "-\t", {";LC:ST -45"}, "-45", -45, nullptr},
        {"edTheta", "-\r", {}, "-", -45, "'-' is not a valid integer value"},
        {"edTheta", "46\r", {}, "-45", -45, nullptr},
        {"tbTheta", nullptr, {";LC:ST -44"}, "-44", -44, nullptr},
        {"edTheta", "4-\r", {}, "4-", -44, "'4-' is not a valid integer value"},
        {"edTheta", "-44\r", {}, "-44", -44, nullptr},
        {"cmdPAP90", nullptr, {";LC:PA 90"}, "90", 90, nullptr},
        {"cmdPAN90", nullptr, {";LC:PA -90"}, "-90", -90, nullptr}, {"cmdPA0", nullptr, {";LC:PA 0"}, "0", 0, nullptr},
        {"edPolarization", "-\t", {}, "-", 0, "'-' is not a valid integer value"},
        {"edPolarization", "-91\r", {}, "0", 0, nullptr},
        {"tbPolarization", nullptr, {";LC:PA 1"}, "1", 1, nullptr},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string(s.Control) + " " + (s.Typed ? s.Typed : ""));
        Ui.Exceptions.clear();
        const bool bar = s.Control[0] == 't';
        if (bar)
            QTest::keyClick(Get<QSlider>(s.Control), Qt::Key_Right);
        else
            Work(s.Control, s.Typed);
        const QByteArray name(s.Control);
        const bool theta = name.contains("Theta") || name.startsWith("cmdTR");
        EXPECT_EQ(Wire(), s.Sent);
        EXPECT_EQ(Get(theta ? "edTheta" : "edPolarization")->text(), QLatin1String(s.Shown));
        EXPECT_EQ(theta ? TessalineControlForm->Theta : TessalineControlForm->PolarizationAngle, s.Angle);
        EXPECT_EQ(Bar(theta ? "tbTheta" : "tbPolarization").Position(), s.Angle);
        EXPECT_EQ(Ui.Exceptions, Errors(s.Error));
    }
    EXPECT_EQ(std::tuple(Bar("tbTheta").SelStart(), Bar("tbPolarization").SelStart()), std::tuple(-44, 1));
}

TEST_F(TessalinePanel, IlluminatorsSendTheLevelOfTheirPercentFromTheTopOfTheBar)
{
    struct Case { const char* Box; const char* Bar; const char* Typed; Qt::Key Key; Commands Sent; int Position; };
    const Case cases[] = {
        {"edFieldLED", "tbFieldLED", "25\r", {}, {";LC:IL 0,63"}, 75},
        {"edFieldLED", "tbFieldLED", "50\r", {}, {";LC:IL 0,127"}, 50},
        {"edFieldLED", "tbFieldLED", "101\r", {}, {}, 50},
        {"edFieldLED", "tbFieldLED", nullptr, Qt::Key_Home, {";LC:IL 0,255"}, 0},
        {"edFieldLED", "tbFieldLED", nullptr, Qt::Key_End, {";LC:IL 0,0"}, 100},
        {"edSlitLED", "tbSlitLED", "1\r", {}, {";LC:IL 1,2"}, 99},
        {"edSlitLED", "tbSlitLED", "99\r", {}, {";LC:IL 1,252"}, 1},
        {"edSlitLED", "tbSlitLED", "-\t", {}, {";LC:IL 1,0"}, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Box) + " " + (c.Typed ? c.Typed : "key"));
        if (c.Typed)
            Type(*Get(c.Box), QString::fromLatin1(c.Typed));
        else
            QTest::keyClick(Get<QSlider>(c.Bar), c.Key);
        EXPECT_EQ(Wire(), c.Sent);
        EXPECT_EQ(Bar(c.Bar).Position(), c.Position);
        EXPECT_EQ(Shows(c.Box), std::tuple(QString::number(100 - c.Position), White));
    }
}

TEST_F(TessalinePanel, SwitchingAnIlluminatorOffAndOnSendsZeroAndThenTheLevelLastSent)
{
    struct Case { const char* Typed; Commands Sent; const char* Caption; bool Off; };
    const Case cases[] = {{nullptr, {";LC:IL 0,0"}, "OFF", true}, {nullptr, {";LC:IL 0,127"}, "ON", false},
                          {"60\r", {";LC:IL 0,153", ";LC:IL 0,0"}, "OFF", true},
                          {nullptr, {";LC:IL 0,153"}, "ON", false}};
    for (const Case& c : cases) {
        if (c.Typed)
            Type(*Get("edFieldLED"), QString::fromLatin1(c.Typed));
        Click("cmdILFieldONOFF");
        EXPECT_EQ(Wire(), c.Sent);
        EXPECT_EQ(std::tuple(Get<QPushButton>("cmdILFieldONOFF")->text(), Get<QWidget>("tbFieldLED")->isEnabled(),
                             Get("edFieldLED")->isEnabled(), TessalineControlForm->FieldIlluminatorOff),
                  std::tuple(QString::fromLatin1(c.Caption), !c.Off, !c.Off, c.Off));
    }
}

// Auto Energy ticked and VOLTAGE chosen at close: the showing sends each of
// its two commands once, and the file's auto energy leaves the box unticked.
TEST_F(TessalinePanel, ShowingSendsAutoEnergyOffAndTheEnergyMonitorOnceBeforeTheFile)
{
    Click("cbAutoEnergy");
    Click("rbVoltage");
    Wire();
    EXPECT_EQ(Reopen().mid(0, 6),
              (Commands{";LC:FL 0", ";LC:AE 0", ";LC:EM 1", ";LC:ED 0,100", ";LC:FL 0", ";LC:AE 1"}));
    EXPECT_EQ(std::tuple(Get<QCheckBox>("cbAutoEnergy")->isChecked(), Get<QRadioButton>("rbEnergy")->isChecked(),
                         TessalineControlForm->AutoEnergy), std::tuple(false, true, 1));
}

using TessalinePanelLife = PanelFixture;

TEST_F(TessalinePanelLife, OpensFromItsMenuEntryAndClosingSendsLaserOffAndRestoresTheTerminal)
{
    auto* panel = TessalineControlForm;
    EXPECT_EQ(std::tuple(panel->isVisible(), panel->tmrStatus->isActive(), panel->tmrStatus->interval()),
              std::tuple(false, false, 1000));
    struct Case { const char* Choice; bool Minimised; };
    for (const Case& c : {Case{"HideCommTerminal1", true}, Case{"ShowCommTerminal1", false}}) {
        MainEntry(c.Choice)->trigger();
        MainEntry("GRNIRControl1")->trigger();
        QApplication::setActiveWindow(panel);
        EXPECT_EQ(std::tuple(panel->isVisible(), panel->isModal(), panel->tmrStatus->isActive(),
                             CommTermForm->isMinimized()),
                  std::tuple(true, false, true, c.Minimised)) << c.Choice;
        QTest::mouseClick(Find<QWidget>(*panel, "sbFire"), Qt::LeftButton);
        Wire();
        panel->close();
        EXPECT_EQ(Wire(), QList<QByteArray>{";LC:FL 0"});
        EXPECT_EQ(std::tuple(panel->isVisible(), panel->tmrStatus->isActive(), CommTermForm->isMinimized(),
                             panel->FireState),
                  std::tuple(false, false, false, 0)) << c.Choice;
    }
}

} // namespace
