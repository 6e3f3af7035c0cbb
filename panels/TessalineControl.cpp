#include "panels/TessalineControl.h"

#include "panels/PanelSend.h"
#include "panels/TessalineLanguage.h"
#include "platform/ControlEvents.h"
#include "platform/Conversions.h"
#include "platform/EventGuard.h"
#include "platform/LabelSize.h"
#include "platform/NumericEntryBox.h"
#include "platform/Painting.h"
#include "platform/PopupMenu.h"
#include "platform/Services.h"

#include <QButtonGroup>
#include <QMenu>
#include <QPalette>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTimer>

#include <initializer_list>

TTessalineControlForm* TessalineControlForm = nullptr;

namespace {

using platform::TrackBar;

constexpr int StatusInterval = 1000;
constexpr std::int32_t LEDPercentMaximum = tessaline::LEDPercentRange.Maximum;
constexpr char EnterKey = platform::NumericEntryBox::EnterKey;

const QColor Navy(0, 0, 128);
const QColor Grey(128, 128, 128);
const QColor Yellow(255, 255, 0);
const QColor Aqua(0, 255, 255);

void SetBold(QWidget& widget, int pointSize = 0)
{
    QFont font = widget.font();
    font.setBold(true);
    if (pointSize > 0)
        font.setPointSize(pointSize);
    widget.setFont(font);
}

// The font of a label, check box or radio button: its size and colour.
void SetFont(QWidget& widget, int pointSize, const QColor& colour)
{
    QFont font = widget.font();
    font.setPointSize(pointSize);
    widget.setFont(font);
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, colour);
    widget.setPalette(palette);
}

void PressEnter(platform::NumericEntryBox& box)
{
    char key = EnterKey;
    box.KeyPress(key);
}

} // namespace

TTessalineControlForm::TTessalineControlForm(QWidget* parent)
    : PanelWindow(parent, Qt::WindowStaysOnTopHint)
{
    setupUi(this);
    tmrStatus = new QTimer(this);
    tmrStatus->setObjectName(QStringLiteral("tmrStatus"));
    tmrStatus->setInterval(StatusInterval);
    // FIRE and STOP are one group of their own: left to their box, they would
    // take HIGH and LOW into it.
    auto* fireGroup = new QButtonGroup(this);
    fireGroup->addButton(sbFire);
    fireGroup->addButton(sbStop);
    PaintLayout();
    BuildPopupMenus();
    MakeEntryBoxes();
    MakeSizeBoxes();
    ConnectControls();
}

void TTessalineControlForm::PaintLayout()
{
    platform::PaintPanel(*pnlMain, Qt::black);
    platform::PaintPanel(*Default, Navy);
    // The page's tab keeps the light face of the style, so its caption stays dark.
    QPalette tab = nbTessaline->tabBar()->palette();
    tab.setColor(QPalette::WindowText, Qt::black);
    nbTessaline->tabBar()->setPalette(tab);
    for (QWidget* box : std::initializer_list<QWidget*>{gbEnergyMonitor, GroupBox3, GroupBox1, gbLaserSettings,
                                                        GroupBox2, GroupBox4}) {
        platform::PaintPanel(*box, Grey);
        SetBold(*box);
    }
    platform::PaintPanel(*pnlEnergyMon, Qt::black);
    platform::PaintPanel(*Panel1, Qt::black);
    constexpr int LargeType = 20;
    SetBold(*lblEnergyMon, LargeType);
    SetBold(*lblStatus, LargeType);
    for (QLabel* label : {lblEnergyMon, lblStatus})
        platform::KeepLabelSize(*label);
    SetFont(*Label2, Label2->font().pointSize(), Qt::blue);
    for (QWidget* button : {static_cast<QWidget*>(sbFire), static_cast<QWidget*>(sbStop)}) {
        SetBold(*button);
        platform::SetCaptionColour(*button, Qt::black);
    }
}

void TTessalineControlForm::BuildPopupMenus()
{
    using platform::AddMenuEntry;
    const auto menu = [this](const char* name) {
        auto* popup = new QMenu(this);
        popup->setObjectName(QLatin1String(name));
        return popup;
    };
    PopupMenuMain = menu("PopupMenuMain");
    PopupMenuWL = menu("PopupMenuWL");
    PopupMenuIlluminator = menu("PopupMenuIlluminator");
    PopupMenuSlit = menu("PopupMenuSlit");

    using Form = TTessalineControlForm;
    struct Entry
    {
        QMenu* Menu;
        const char* Name;
        const char* Caption;
        void (Form::*Handler)();
    };
    const Entry entries[] = {
        {PopupMenuSlit, "ExerciseSlit1", "Exercise Slit", &Form::ExerciseSlit1Click},
        {PopupMenuSlit, "ResetSlit1", "Reset Slit", &Form::ResetSlit1Click},
        {PopupMenuWL, "ExerciseWaveplate1", "Exercise Waveplate", &Form::ExerciseWaveplate1Click},
        {PopupMenuWL, "ResetWaveplate1", "Reset Waveplate", &Form::ResetWaveplate1Click},
        {PopupMenuWL, "ExerciseFilterWheel1", "Exercise Filter Wheel", &Form::ExerciseFilterWheel1Click},
        {PopupMenuWL, "ResetFilterWheel1", "Reset Filter Wheel", &Form::ResetFilterWheel1Click},
        {PopupMenuIlluminator, "OpenShutter1", "Open Shutter", &Form::OpenShutter1Click},
        {PopupMenuIlluminator, "CloseShutter1", "Close Shutter", &Form::CloseShutter1Click},
        {PopupMenuMain, "ExerciseAll1", "Exercise All", &Form::ExerciseAll1Click},
        {PopupMenuMain, "ResetAll1", "Reset All", &Form::ResetAll1Click},
        {PopupMenuMain, "ExerciseSlit2", "Exercise Slit", &Form::ExerciseSlit1Click},
        {PopupMenuMain, "ResetSlit2", "Reset Slit", &Form::ResetSlit1Click},
        {PopupMenuMain, "ExerciseWaveplate2", "Exercis Waveplate", &Form::ExerciseWaveplate1Click},
        {PopupMenuMain, "ResetWaveplate2", "Reset Waveplate", &Form::ResetWaveplate1Click},
        {PopupMenuMain, "ExerciseFilterWheel2", "Exercise Filter Wheel", &Form::ExerciseFilterWheel1Click},
        {PopupMenuMain, "ResetFilterWheel2", "Reset Filter Wheel", &Form::ResetFilterWheel1Click},
    };
    for (const Entry& entry : entries) {
        const auto handler = entry.Handler;
        AddMenuEntry(*entry.Menu, QLatin1String(entry.Name), QLatin1String(entry.Caption),
                     [this, handler] { (this->*handler)(); });
    }

    // A control without a menu of its own shows its box's menu; edits and
    // combo boxes are given theirs, or they would show the edit menu.
    for (QWidget* box : std::initializer_list<QWidget*>{gbEnergyMonitor, GroupBox3, gbLaserSettings})
        platform::AttachPopupMenu(*box, *PopupMenuMain);
    for (QWidget* control : std::initializer_list<QWidget*>{cbWavelength, leEnergy})
        platform::AttachPopupMenu(*control, *PopupMenuWL);
    for (QWidget* control : std::initializer_list<QWidget*>{GroupBox1, tbFieldLED, tbSlitLED, edFieldLED, edSlitLED})
        platform::AttachPopupMenu(*control, *PopupMenuIlluminator);
    for (QWidget* control : std::initializer_list<QWidget*>{GroupBox2, cbSquareSlit, cbSlitMag, leXSize, leYSize,
                                                            tbTheta, edTheta, cmdTRN45, cmdTR0, cmdTRP34})
        platform::AttachPopupMenu(*control, *PopupMenuSlit);
}

void TTessalineControlForm::MakeEntryBoxes()
{
    using platform::WholeNumberBox;
    const auto strict = platform::WholeNumberReading::Strict();
    const auto zero = platform::WholeNumberReading::WithDefault(0);
    const auto minus45 = platform::WholeNumberReading::WithDefault(-45);
    const auto minus90 = platform::WholeNumberReading::WithDefault(-90);
    const auto moveBar = [](QSlider* bar, auto position) {
        return [bar, position](std::int32_t value) { TrackBar::Of(bar).SetPosition(position(value)); };
    };
    const auto same = [](std::int32_t value) { return value; };
    const auto fromTop = [](std::int32_t value) { return LEDPercentMaximum - value; };

    const QString minus = QStringLiteral("-");
    leEnergyEntry = new WholeNumberBox(*leEnergy, {
        .Range = tessaline::EnergyRange, .ExtraKeys = QString(), .Reading = {zero, zero, zero}, .Applied = &Energy,
        .Action = [this](std::int32_t value) { Energy = value; SendEnergy(); }});
    leRepRateEntry = new WholeNumberBox(*leRepRate, {
        .Range = tessaline::RepRateRange, .ExtraKeys = QString(), .Reading = {strict, strict, strict},
        .Applied = &RepRate, .Action = [this](std::int32_t value) {
            RepRate = value;
            panels::Send(QStringLiteral(";LC:RR %1").arg(value));
        }});
    leBurstCountEntry = new WholeNumberBox(*leBurstCount, {
        .Range = tessaline::BurstCountRange, .ExtraKeys = QString(), .Reading = {strict, strict, strict},
        .Applied = &BurstCount, .Action = [this](std::int32_t value) {
            BurstCount = value;
            panels::Send(QStringLiteral(";LC:BU %1").arg(value));
        }});
    edPolarizationEntry = new WholeNumberBox(*edPolarization, {
        .Range = tessaline::PolarizationRange, .ExtraKeys = minus, .Reading = {strict, strict, minus90},
        .Applied = &PolarizationAngle, .Action = moveBar(tbPolarization, same)});
    edThetaEntry = new WholeNumberBox(*edTheta, {
        .Range = tessaline::ThetaRange, .ExtraKeys = minus, .Reading = {strict, minus45, minus45}, .Applied = &Theta,
        .Action = moveBar(tbTheta, same)});
    edFieldLEDEntry = new WholeNumberBox(*edFieldLED, {
        .Range = tessaline::LEDPercentRange, .ExtraKeys = minus, .Reading = {strict, zero, zero},
        .Applied = &FieldLEDPercent, .Action = moveBar(tbFieldLED, fromTop)});
    edSlitLEDEntry = new WholeNumberBox(*edSlitLED, {
        .Range = tessaline::LEDPercentRange, .ExtraKeys = minus, .Reading = {strict, zero, zero},
        .Applied = &SlitLEDPercent, .Action = moveBar(tbSlitLED, fromTop)});

    ThetaPair = AnglePair(tbTheta, edTheta, &Theta, QStringLiteral(";LC:ST "));
    PolarizationPair = AnglePair(tbPolarization, edPolarization, &PolarizationAngle, QStringLiteral(";LC:PA "));
    FieldIlluminator = MakeIlluminator(tbFieldLED, edFieldLED, cmdILFieldONOFF, edFieldLEDEntry, &FieldLEDPercent,
                                       &FieldLEDLevel, &FieldIlluminatorOff, QStringLiteral(";LC:IL 0,"));
    SlitIlluminator = MakeIlluminator(tbSlitLED, edSlitLED, cmdSlitILONOFF, edSlitLEDEntry, &SlitLEDPercent,
                                      &SlitLEDLevel, &SlitIlluminatorOff, QStringLiteral(";LC:IL 1,"));
}

TTessalineControlForm::BarPair TTessalineControlForm::AnglePair(QSlider* bar, QLineEdit* box, std::int32_t* angle,
                                                                const QString& prefix)
{
    return {bar, box, angle, [](int position) { return position; },
            [prefix](std::int32_t value) { panels::Send(prefix + QString::number(value)); }};
}

TTessalineControlForm::Illuminator TTessalineControlForm::MakeIlluminator(
    QSlider* bar, QLineEdit* box, QPushButton* button, platform::WholeNumberBox* entry, std::int32_t* percent,
    std::int32_t* level, bool* off, const QString& prefix)
{
    const auto send = [this, level, prefix](std::int32_t percent) {
        *level = LevelFromFile ? tessaline::StoredLEDLevel(*LevelFromFile, percent) : tessaline::LEDLevel(percent);
        panels::Send(prefix + QString::number(*level));
    };
    return {{bar, box, percent, [](int position) { return LEDPercentMaximum - position; }, send},
            button, entry, level, off, prefix};
}

void TTessalineControlForm::ConnectControls()
{
    using platform::Guarded;
    using platform::OnStateClick;
    connect(sbFire, &QToolButton::clicked, this, Guarded([this] { sbFireClick(); }));
    connect(sbStop, &QToolButton::clicked, this, Guarded([this] { sbStopClick(); }));
    connect(cbWavelength, &QComboBox::activated, this, Guarded([this] {
        cbWavelengthClick();
        cbWavelengthSelect();
    }));
    connect(cbMode, &QComboBox::activated, this, Guarded([this] { cbModeSelect(); }));
    connect(cbSlitMag, &QComboBox::activated, this, Guarded([this] { cbSlitMagSelect(); }));
    OnStateClick(cbAutoEnergy, [this] { cbAutoEnergyClick(); });
    OnStateClick(rbHighEnergy, [this] { rbHighEnergyClick(); });
    OnStateClick(rbLowEnergy, [this] { rbLowEnergyClick(); });
    OnStateClick(rbEnergy, [this] { rbEnergyClick(); });
    OnStateClick(rbVoltage, [this] { rbVoltageClick(); });
    OnStateClick(cbSquareSlit, [this] { cbSquareSlitClick(); });
    TrackBar::Of(tbTheta).OnChange = [this] { tbThetaChange(); };
    TrackBar::Of(tbPolarization).OnChange = [this] { tbPolarizationChange(); };
    TrackBar::Of(tbFieldLED).OnChange = [this] { tbFieldLEDChange(); };
    TrackBar::Of(tbSlitLED).OnChange = [this] { tbSlitLEDChange(); };
    // An illuminator's selection runs from the position last sent down to 0 %,
    // lit like a level. Until a level is sent it stands where the bar stands,
    // so that switching on sends the level the bar shows, not full brightness.
    for (QSlider* bar : {tbFieldLED, tbSlitLED}) {
        TrackBar::Of(bar).SetSelStart(bar->value());
        TrackBar::Of(bar).SetSelEnd(bar->maximum());
    }
    const std::initializer_list<std::pair<QPushButton*, void (TTessalineControlForm::*)()>> buttons{
        {cmdTRN45, &TTessalineControlForm::cmdTRN45Click}, {cmdTR0, &TTessalineControlForm::cmdTR0Click},
        {cmdTRP34, &TTessalineControlForm::cmdTRP34Click}, {cmdPAN90, &TTessalineControlForm::cmdPAN90Click},
        {cmdPA0, &TTessalineControlForm::cmdPA0Click}, {cmdPAP90, &TTessalineControlForm::cmdPAP90Click},
        {cmdILFieldONOFF, &TTessalineControlForm::cmdILFieldONOFFClick},
        {cmdSlitILONOFF, &TTessalineControlForm::cmdSlitILONOFFClick},
        {cmdUpdate, &TTessalineControlForm::cmdUpdateClick}, {cmdRefresh, &TTessalineControlForm::cmdRefreshClick}};
    for (const auto& button : buttons) {
        const auto handler = button.second;
        connect(button.first, &QPushButton::clicked, this, Guarded([this, handler] { (this->*handler)(); }));
    }
    connect(tmrStatus, &QTimer::timeout, this, Guarded([this] { tmrStatusTimer(); }));
}

// ---- Showing and closing ----

void TTessalineControlForm::FormShow()
{
    panels::SetLabelledEditVisible(*leBurstCount, false);
    cmdILFieldONOFF->setText(QStringLiteral("ON"));
    cmdSlitILONOFF->setText(QStringLiteral("ON"));
    cbSquareSlit->setChecked(false);
    {
        // The next step sends ";LC:AE 0" itself: unticking must not send it twice.
        const QSignalBlocker once(cbAutoEnergy);
        cbAutoEnergy->setChecked(false);
    }
    AutoEnergy = 0;
    cbAutoEnergyClick();
    {
        const QSignalBlocker once(rbEnergy);
        rbEnergy->setChecked(true);
    }
    rbEnergyClick();
    Magnification = -1;
    SlitXSize = SlitYSize = 2500.0f;
    for (QWidget* control : std::initializer_list<QWidget*>{cbSquareSlit, leXSize, leYSize})
        control->setEnabled(false);
    SlitSizeMax = 2500.0f;
    tmrStatus->start();
    FieldLEDPercent = 0;
    edFieldLED->setText(QStringLiteral("0"));
    SlitLEDPercent = 0;
    edSlitLED->setText(QStringLiteral("0"));
    RepRate = 0;
    LoadConfigurationFile();
    update();
}

void TTessalineControlForm::FormClose()
{
    panels::Send(tessaline::FireCommand(tessaline::FireOff));
    FireState = tessaline::FireOff;
    tmrStatus->stop();
    SaveConfigurationFile();
    panels::RestoreCommTerminal();
}

// ---- FIRE and STOP ----

void TTessalineControlForm::SetCaptionColours(const QColor& fire, const QColor& stop)
{
    platform::SetCaptionColour(*sbFire, fire);
    platform::SetCaptionColour(*sbStop, stop);
}

void TTessalineControlForm::sbFireClick()
{
    SetCaptionColours(Qt::red, Qt::black);
    panels::Send(tessaline::FireCommand(tessaline::FireOn));
    FireState = tessaline::FireOn;
    setFocus(Qt::OtherFocusReason);
}

void TTessalineControlForm::sbStopClick()
{
    SetCaptionColours(Qt::black, Qt::black);
    panels::Send(tessaline::FireCommand(tessaline::FireStop));
    FireState = tessaline::FireStop;
    setFocus(Qt::OtherFocusReason);
}

// ---- Wavelength, mode, energy ----

void TTessalineControlForm::cbWavelengthClick()
{
    tmrStatus->stop();
}

void TTessalineControlForm::cbWavelengthSelect()
{
    sbStopClick();
    sbStop->setChecked(true);
    const int item = cbWavelength->currentIndex();
    if (const QString command = tessaline::WavelengthCommand(item); !command.isEmpty()) {
        WavelengthIndex = item;
        panels::Send(command);
    }
    QueryEnergy();
    tmrStatus->start();
}

void TTessalineControlForm::cbModeSelect()
{
    const int item = cbMode->currentIndex();
    panels::SetLabelledEditVisible(*leBurstCount, item == 2);
    if (const QString command = tessaline::ModeCommand(item); !command.isEmpty()) {
        ModeIndex = item;
        panels::Send(command);
    }
}

void TTessalineControlForm::SendEnergy()
{
    panels::Send(tessaline::EnergyCommand(EnergyLevel, Energy));
}

void TTessalineControlForm::rbHighEnergyClick()
{
    EnergyLevel = 1;
    SendEnergy();
}

void TTessalineControlForm::rbLowEnergyClick()
{
    EnergyLevel = 0;
    SendEnergy();
}

// A radio button that was not selected runs its click handler as it becomes selected.
void TTessalineControlForm::SelectEnergyLevel()
{
    (EnergyLevel != 0 ? rbHighEnergy : rbLowEnergy)->setChecked(true);
}

void TTessalineControlForm::cbAutoEnergyClick()
{
    const bool on = cbAutoEnergy->isChecked();
    panels::Send(on ? QStringLiteral(";LC:AE 1") : QStringLiteral(";LC:AE 0"));
    AutoEnergy = on ? 1 : 0;
}

void TTessalineControlForm::rbEnergyClick()
{
    constexpr int Chosen = 16;
    constexpr int Other = 8;
    SetFont(*rbEnergy, Chosen, Yellow);
    SetFont(*rbVoltage, Other, Qt::white);
    SetFont(*lblEnergyMon, lblEnergyMon->font().pointSize(), Yellow);
    panels::Send(QStringLiteral(";LC:EM 1"));
}

void TTessalineControlForm::rbVoltageClick()
{
    constexpr int Chosen = 16;
    constexpr int Other = 8;
    SetFont(*rbEnergy, Other, Qt::white);
    SetFont(*rbVoltage, Chosen, Aqua);
    SetFont(*lblEnergyMon, lblEnergyMon->font().pointSize(), Aqua);
    panels::Send(QStringLiteral(";LC:EM 0"));
}

void TTessalineControlForm::WarningEnergyModeNotAvailable()
{
    platform::Services().ShowMessage(this, QStringLiteral("Dual Energy Mode Warning"),
                                     QStringLiteral("Dual Energy Mode is not available on this system.\r\n\r\n"
                                                    "Disableing Hi/Lo Energy Mode"),
                                     platform::MessageIcon::Exclamation);
}

// ---- Track bar pairs ----

// The bar stores and sends; a position that stands for the stored value
// sends nothing.
void TTessalineControlForm::BarChange(const BarPair& pair)
{
    TrackBar& bar = TrackBar::Of(pair.Bar);
    const int position = bar.Position();
    const std::int32_t value = pair.Value(position);
    platform::PaintEntry(*pair.Box, platform::EntryApplied);
    pair.Box->setText(QString::number(value));
    if (value == *pair.Applied)
        return;
    platform::PaintEntry(*pair.Box, platform::EntryApplied);
    *pair.Applied = value;
    bar.SetSelStart(position);
    pair.Send(value);
    pair.Bar->setFocus(Qt::OtherFocusReason);
}

void TTessalineControlForm::tbThetaChange() { BarChange(ThetaPair); }
void TTessalineControlForm::tbPolarizationChange() { BarChange(PolarizationPair); }
void TTessalineControlForm::tbFieldLEDChange() { BarChange(FieldIlluminator.Pair); }
void TTessalineControlForm::tbSlitLEDChange() { BarChange(SlitIlluminator.Pair); }

void TTessalineControlForm::edThetaKeyPress(char& key) { edThetaEntry->KeyPress(key); }
void TTessalineControlForm::edPolarizationKeyPress(char& key) { edPolarizationEntry->KeyPress(key); }
void TTessalineControlForm::edFieldLEDKeyPress(char& key) { edFieldLEDEntry->KeyPress(key); }
void TTessalineControlForm::edSlitLEDKeyPress(char& key) { edSlitLEDEntry->KeyPress(key); }

void TTessalineControlForm::Preset(platform::NumericEntryBox& box, const QString& text)
{
    box.Edit().setText(text);
    PressEnter(box);
}

void TTessalineControlForm::cmdTRN45Click() { Preset(*edThetaEntry, QStringLiteral("-45")); }
void TTessalineControlForm::cmdTR0Click() { Preset(*edThetaEntry, QStringLiteral("0")); }
void TTessalineControlForm::cmdTRP34Click() { Preset(*edThetaEntry, QStringLiteral("45")); }
void TTessalineControlForm::cmdPAN90Click() { Preset(*edPolarizationEntry, QStringLiteral("-90")); }
void TTessalineControlForm::cmdPA0Click() { Preset(*edPolarizationEntry, QStringLiteral("0")); }
void TTessalineControlForm::cmdPAP90Click() { Preset(*edPolarizationEntry, QStringLiteral("90")); }

// ---- Illuminators ----

// Switching on sends the level of the position last sent, then applies the
// box once more; the level field keeps the level last sent by the bar.
void TTessalineControlForm::SwitchIlluminator(const Illuminator& illuminator)
{
    const BarPair& pair = illuminator.Pair;
    if (!*illuminator.Off) {
        illuminator.Switch->setText(QStringLiteral("OFF"));
        panels::Send(illuminator.Prefix + QStringLiteral("0"));
        pair.Bar->setEnabled(false);
        pair.Box->setEnabled(false);
        *illuminator.Off = true;
        return;
    }
    pair.Bar->setEnabled(true);
    pair.Box->setEnabled(true);
    illuminator.Switch->setText(QStringLiteral("ON"));
    const std::int32_t level = tessaline::LEDLevel(pair.Value(TrackBar::Of(pair.Bar).SelStart()));
    panels::Send(illuminator.Prefix + QString::number(level));
    PressEnter(*illuminator.Entry);
    *illuminator.Off = false;
}

void TTessalineControlForm::cmdILFieldONOFFClick() { SwitchIlluminator(FieldIlluminator); }
void TTessalineControlForm::cmdSlitILONOFFClick() { SwitchIlluminator(SlitIlluminator); }

// ---- Service commands ----

void TTessalineControlForm::ExerciseSlit1Click() { panels::Send(QStringLiteral(";SL:X3 00")); }
void TTessalineControlForm::ResetSlit1Click() { panels::Send(QStringLiteral(";SL:RS")); }
void TTessalineControlForm::OpenShutter1Click() { panels::Send(QStringLiteral(";IL:SH 0")); }
void TTessalineControlForm::CloseShutter1Click() { panels::Send(QStringLiteral(";IL:SH 1")); }
void TTessalineControlForm::ExerciseWaveplate1Click() { panels::Send(QStringLiteral(";WP:X3 00")); }
void TTessalineControlForm::ResetWaveplate1Click() { panels::Send(QStringLiteral(";WP:RS")); }
void TTessalineControlForm::ExerciseFilterWheel1Click() { panels::Send(QStringLiteral(";FW:X3 00")); }
void TTessalineControlForm::ResetFilterWheel1Click() { panels::Send(QStringLiteral(";FW:RS")); }

void TTessalineControlForm::ExerciseAll1Click()
{
    ExerciseSlit1Click();
    ExerciseFilterWheel1Click();
    ExerciseWaveplate1Click();
}

void TTessalineControlForm::ResetAll1Click()
{
    ResetSlit1Click();
    ResetFilterWheel1Click();
    ResetWaveplate1Click();
}
