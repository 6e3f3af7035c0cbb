#include "panels/OrvaneControl.h"

#include "panels/OrvaneConfiguration.h"
#include "panels/OrvaneDialect.h"
#include "panels/PanelSend.h"
#include "platform/Conversions.h"
#include "platform/EventGuard.h"
#include "platform/Exceptions.h"
#include "platform/LabelSize.h"
#include "platform/NumericEntryBox.h"
#include "platform/Painting.h"

#include <QThread>
#include <QTimer>

TOrvaneControlForm* OrvaneControlForm = nullptr;

namespace {

constexpr int StatusInterval = 5000;
constexpr unsigned long SettlePauseMs = 500;

const QColor CaptionBlack = Qt::black;
const QColor CaptionRed = Qt::red;
const QColor MarkerGreen(0, 128, 0);
const QColor MarkerGrey(128, 128, 128);
const QColor ValueYellow(255, 255, 0);

void SetBold(QWidget& widget, bool bold)
{
    QFont font = widget.font();
    font.setBold(bold);
    widget.setFont(font);
}

// A group's caption is bold, its controls keep the plain font.
void BoldCaption(QGroupBox& group)
{
    SetBold(group, true);
    for (QWidget* child : group.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<QGroupBox*>(child) == nullptr)
            SetBold(*child, false);
    }
}

void ShowAsValue(QLabel& label)
{
    SetBold(label, true);
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, ValueYellow);
    label.setPalette(palette);
}

QString OneDecimal(float value)
{
    return platform::FormatFloat(QStringLiteral("0.0"), value);
}

// An index that names no item leaves the combo box with none chosen.
void ChooseItem(QComboBox& combo, std::int32_t index)
{
    combo.setCurrentIndex(index >= 0 && index < combo.count() ? index : -1);
}

} // namespace

TOrvaneControlForm::TOrvaneControlForm(QWidget* parent)
    : PanelWindow(parent, Qt::WindowStaysOnTopHint)
{
    setupUi(this);
    // Until a file is read the set points are a new file's, which the boxes
    // take: no close writes a value they would refuse.
    const orvane::Settings newFile;
    Frequency = newFile.Frequency;
    DiodeCurrentSet = newFile.DiodeCurrentSet;
    tmrStatus = new QTimer(this);
    tmrStatus->setObjectName(QStringLiteral("tmrStatus"));
    tmrStatus->setInterval(StatusInterval);
    PaintLayout();
    ConnectControls();
    MakeEntryBoxes();
}

void TOrvaneControlForm::PaintLayout()
{
    for (QGroupBox* group : {gbSystem, gbStatus, gbLaserControls})
        platform::PaintPanel(*group, Qt::black);
    for (QGroupBox* group : {gbSystem, gbStatus, gbLaserControls, gbParameterSet})
        BoldCaption(*group);
    for (QLabel* label : {lblLaserType, lblSystemState, lblKey, lblDiodeHours, lblDiodeVoltage, lblDiodeCurrent,
                          lblWaterTemp, lblWaterFlow, lblWarning}) {
        ShowAsValue(*label);
        platform::KeepLabelSize(*label);
    }
    SetCaptionColours(CaptionBlack, CaptionBlack);
    platform::PaintPanel(*pnlStoreRecall, MarkerGreen);
}

void TOrvaneControlForm::ConnectControls()
{
    using platform::Guarded;
    connect(sbFire, &QToolButton::clicked, this, Guarded([this] { sbFireClick(); }));
    connect(sbStop, &QToolButton::clicked, this, Guarded([this] { sbStopClick(); }));
    connect(cboShutter, &QComboBox::activated, this, Guarded([this] { cboShutterSelect(); }));
    connect(cboPulseMode, &QComboBox::activated, this, Guarded([this] { cboPulseModeSelect(); }));
    connect(cboParameterSet, &QComboBox::activated, this, Guarded([this] { cboParameterSetSelect(); }));
    connect(cmdStore, &QPushButton::clicked, this, Guarded([this] { cmdStoreClick(); }));
    connect(cmdRecall, &QPushButton::clicked, this, Guarded([this] { cmdRecallClick(); }));
    connect(cmdUpdate, &QPushButton::clicked, this, Guarded([this] { cmdUpdateClick(); }));
    connect(cmdRefresh, &QPushButton::clicked, this, Guarded([this] { cmdRefreshClick(); }));
    connect(tmrStatus, &QTimer::timeout, this, Guarded([this] { tmrStatusTimer(); }));
}

// Both boxes test their range when an entry is applied, on Enter or on
// leaving the box, and their maximum on every key down and up; Right arrow
// down takes the focus, Left arrow up selects.
void TOrvaneControlForm::MakeEntryBoxes()
{
    using platform::RealNumberBox;
    const auto arrowDown = [](QLineEdit& box) {
        return [&box](int key) {
            if (key == RealNumberBox::RightKey)
                platform::FocusAndSelectAll(box);
        };
    };
    const auto arrowUp = [](QLineEdit& box) {
        return [&box](int key) {
            if (key == RealNumberBox::LeftKey)
                box.selectAll();
        };
    };
    leFrequencyEntry = new RealNumberBox(*leFrequency, {
        .Applied = &Frequency, .Stored = {}, .AppliedText = [this] { return OneDecimal(Frequency); },
        .Range = [] { return orvane::FrequencyRange; },
        .ArrowDown = arrowDown(*leFrequency), .ArrowUp = arrowUp(*leFrequency),
        .Action = [this] { leFrequencyApply(); }});
    leDiodeCurrentEntry = new RealNumberBox(*leDiodeCurrent, {
        .Applied = &DiodeCurrentSet, .Stored = {}, .AppliedText = [this] { return OneDecimal(DiodeCurrentSet); },
        .Range = [] { return orvane::DiodeCurrentRange; },
        .ArrowDown = arrowDown(*leDiodeCurrent), .ArrowUp = arrowUp(*leDiodeCurrent),
        .Action = [this] { leDiodeCurrentApply(); }});
}

// ---- Showing and closing ----

void TOrvaneControlForm::FormShow()
{
    tmrStatus->start();
    platform::PaintPanel(*pnlStoreRecall, MarkerGrey);
    for (const QString& command : orvane::StartCommands)
        panels::Send(command);
    QuerySystem();
    if (const auto reply = panels::Query(orvane::LaserDataQuery, panels::SettingDialect))
        lblLaserType->setText(orvane::LaserTypeText(*reply));
    QueryKeyswitch();
    QueryDiodeHours();
    QueryDiodeVoltage();
    QueryDiodeCurrent();
    QueryTemperature();
    QueryWaterFlow();
    QueryWarning();
    LoadConfigurationFile();
    update();
}

void TOrvaneControlForm::FormClose()
{
    SetCaptionColours(CaptionBlack, CaptionBlack);
    panels::Send(orvane::GateOff);
    cboShutter->setCurrentIndex(0);
    cboShutterSelect();
    tmrStatus->stop();
    SaveConfigurationFile();
    panels::RestoreCommTerminal();
}

// ---- Laser controls ----

void TOrvaneControlForm::SetCaptionColours(const QColor& fire, const QColor& stop)
{
    platform::SetCaptionColour(*sbFire, fire);
    platform::SetCaptionColour(*sbStop, stop);
}

void TOrvaneControlForm::sbFireClick()
{
    SetCaptionColours(CaptionRed, CaptionBlack);
    panels::Send(orvane::GateOn);
    cboShutter->setCurrentIndex(1);
    cboShutterSelect();
    setFocus(Qt::OtherFocusReason);
}

void TOrvaneControlForm::sbStopClick()
{
    SetCaptionColours(CaptionBlack, CaptionBlack);
    panels::Send(orvane::GateOff);
    cboShutter->setCurrentIndex(0);
    cboShutterSelect();
    setFocus(Qt::OtherFocusReason);
}

void TOrvaneControlForm::cboShutterSelect()
{
    const int item = cboShutter->currentIndex();
    if (item < 0)
        return;
    ShutterIndex = item;
    panels::Send(orvane::ShutterCommand(ShutterIndex));
}

void TOrvaneControlForm::cboPulseModeSelect()
{
    sbStopClick();
    sbStop->setChecked(true);
    const int item = cboPulseMode->currentIndex();
    if (item < 0)
        return;
    PulseModeIndex = item;
    panels::Send(orvane::PulseModeCommand(PulseModeIndex));
}

void TOrvaneControlForm::leFrequencyApply()
{
    panels::Send(orvane::FrequencyCommand(leFrequency->text()));
}

void TOrvaneControlForm::leDiodeCurrentApply()
{
    panels::Send(orvane::DiodeCurrentCommand(leDiodeCurrent->text()));
}

// ---- Parameter sets ----

void TOrvaneControlForm::cboParameterSetSelect()
{
    ParameterSetText = cboParameterSet->currentText();
    if (cboParameterSet->currentIndex() >= 0)
        panels::Send(orvane::ParameterSetCommand(ParameterSetText));
    platform::PaintPanel(*pnlStoreRecall, MarkerGreen);
}

void TOrvaneControlForm::cmdStoreClick()
{
    platform::PaintPanel(*pnlStoreRecall, MarkerGrey);
    panels::Send(orvane::StoreParameterSet);
}

void TOrvaneControlForm::cmdRecallClick()
{
    platform::PaintPanel(*pnlStoreRecall, MarkerGrey);
    panels::Send(orvane::RecallParameterSet);
}

int TOrvaneControlForm::FindComboText(const QComboBox& combo, const QString& text)
{
    return combo.findText(text, Qt::MatchFixedString);
}

// ---- Status ----

void TOrvaneControlForm::tmrStatusTimer()
{
    if (!cbStatus->isChecked() || !panels::PollMaySend())
        return;
    QuerySystem();
    QueryKeyswitch();
    QueryDiodeHours();
    QueryDiodeVoltage();
    QueryDiodeCurrent();
    QueryTemperature();
    QueryWaterFlow();
    QueryWarning();
}

void TOrvaneControlForm::ShowStatus(const orvane::StatusQuery& query, QLabel& label)
{
    if (const auto reply = panels::Query(query.Command, panels::SettingDialect))
        label.setText(orvane::StatusText(query, *reply));
}

void TOrvaneControlForm::QuerySystem()
{
    ShowStatus(orvane::SystemStatus, *lblSystemState);
}

void TOrvaneControlForm::QueryKeyswitch()
{
    ShowStatus(orvane::KeyswitchStatus, *lblKey);
}

void TOrvaneControlForm::QueryDiodeHours()
{
    ShowStatus(orvane::DiodeHoursStatus, *lblDiodeHours);
}

void TOrvaneControlForm::QueryDiodeVoltage()
{
    ShowStatus(orvane::DiodeVoltageStatus, *lblDiodeVoltage);
}

void TOrvaneControlForm::QueryDiodeCurrent()
{
    ShowStatus(orvane::DiodeCurrentStatus, *lblDiodeCurrent);
}

void TOrvaneControlForm::QueryTemperature()
{
    ShowStatus(orvane::TemperatureStatus, *lblWaterTemp);
}

void TOrvaneControlForm::QueryWaterFlow()
{
    ShowStatus(orvane::WaterFlowStatus, *lblWaterFlow);
}

void TOrvaneControlForm::QueryWarning()
{
    ShowStatus(orvane::WarningStatus, *lblWarning);
}

// ---- Settings read from the instrument or the file ----

void TOrvaneControlForm::SendSetPoint(QLineEdit& box, float value, QString (*command)(const QString& valueText))
{
    box.setText(OneDecimal(value));
    panels::Send(command(box.text()));
    platform::PaintEntry(box, platform::EntryApplied);
}

// A reply whose text before "+" is no number raises the conversion error
// before anything is stored or sent; a number the box's range does not hold
// changes nothing and goes nowhere.
void TOrvaneControlForm::ReadSetPoint(const QString& query, float& field, const platform::RealNumberBox& entry,
                                      QString (*command)(const QString& valueText))
{
    const auto reply = panels::Query(query, panels::SettingDialect);
    if (!reply)
        return;
    const float value = platform::StrToSingle(orvane::TextBefore(*reply, QLatin1Char('+')));
    if (!entry.Range().Holds(value))
        return;
    field = value;
    SendSetPoint(entry.Edit(), field, command);
}

void TOrvaneControlForm::ApplyParameterSet(const QString& name)
{
    ParameterSetText = name;
    ChooseItem(*cboParameterSet, FindComboText(*cboParameterSet, ParameterSetText));
    cboParameterSetSelect();
    cmdRecallClick();
}

void TOrvaneControlForm::ApplyPulseMode(std::int32_t index)
{
    PulseModeIndex = index;
    ChooseItem(*cboPulseMode, PulseModeIndex);
    cboPulseModeSelect();
}

void TOrvaneControlForm::ApplyShutter(std::int32_t index)
{
    ShutterIndex = index;
    ChooseItem(*cboShutter, ShutterIndex);
    cboShutterSelect();
}

void TOrvaneControlForm::QueryParameterSet()
{
    if (const auto reply = panels::Query(orvane::ParameterSetQuery, panels::SettingDialect))
        ApplyParameterSet(*reply);
}

void TOrvaneControlForm::QueryFrequency()
{
    ReadSetPoint(orvane::FrequencyQuery, Frequency, *leFrequencyEntry, orvane::FrequencyCommand);
}

void TOrvaneControlForm::QueryDiodeCurrentSet()
{
    ReadSetPoint(orvane::DiodeCurrentSetQuery, DiodeCurrentSet, *leDiodeCurrentEntry,
                 orvane::DiodeCurrentCommand);
}

// A reply that names no item, or is no number ("7", "", "1;!SHUTTER=1"),
// changes nothing: it is never stored, so no later write sends it.
void TOrvaneControlForm::QueryPulseMode()
{
    if (const auto reply = panels::Query(orvane::PulseModeQuery, panels::SettingDialect)) {
        if (const std::optional<std::int32_t> index = orvane::PulseModeRange.Read(*reply))
            ApplyPulseMode(*index);
    }
}

void TOrvaneControlForm::QueryShutter()
{
    if (const auto reply = panels::Query(orvane::ShutterQuery, panels::SettingDialect)) {
        if (const std::optional<std::int32_t> index = orvane::ShutterRange.Read(*reply))
            ApplyShutter(*index);
    }
}

// The pause gives the instrument time to load the recalled set before it is
// asked for its values.
void TOrvaneControlForm::cmdUpdateClick()
{
    sbStopClick();
    QueryParameterSet();
    QThread::msleep(SettlePauseMs);
    QueryFrequency();
    QueryDiodeCurrentSet();
    QueryPulseMode();
    QueryShutter();
}

// ---- Settings written to the instrument ----

// A stored field that names no item (a file or reply that named none) goes
// out as nothing, as its combo box sends nothing with no item chosen: the
// laser never receives a setting nobody chose.
void TOrvaneControlForm::SetParameterSet()
{
    if (FindComboText(*cboParameterSet, ParameterSetText) >= 0)
        panels::Send(orvane::ParameterSetCommand(ParameterSetText));
    cmdRecallClick();
}

void TOrvaneControlForm::SetFrequency()
{
    panels::Send(orvane::FrequencyCommand(OneDecimal(Frequency)));
}

void TOrvaneControlForm::SetDiodeCurrent()
{
    panels::Send(orvane::DiodeCurrentCommand(OneDecimal(DiodeCurrentSet)));
}

void TOrvaneControlForm::SetPulseMode()
{
    if (orvane::PulseModeRange.Holds(PulseModeIndex))
        panels::Send(orvane::PulseModeCommand(PulseModeIndex));
}

void TOrvaneControlForm::SetShutter()
{
    if (orvane::ShutterRange.Holds(ShutterIndex))
        panels::Send(orvane::ShutterCommand(ShutterIndex));
}

void TOrvaneControlForm::cmdRefreshClick()
{
    sbStopClick();
    SetParameterSet();
    QThread::msleep(SettlePauseMs);
    SetFrequency();
    SetDiodeCurrent();
    SetPulseMode();
    SetShutter();
}

// ---- Configuration file ----

// Line by line, each applied through the panel's own controls, which send it.
// A set point its box would refuse, or that is damaged or missing, is applied
// as a new file's value; an index that names no item chooses none, and its
// control sends nothing. The reading always goes on to its end and leaves the
// laser stopped with its shutter closed. A set point that is no number is
// told by its conversion error once the laser stands stopped.
void TOrvaneControlForm::LoadConfigurationFile()
{
    const std::optional<QStringList> items = orvane::ReadConfigurationFile();
    if (!items)
        return;
    const orvane::StoredSettings stored = orvane::ReadSettings(*items);
    const orvane::Settings& values = stored.Values;
    ApplyParameterSet(values.ParameterSetText);
    Frequency = values.Frequency;
    SendSetPoint(*leFrequency, Frequency, orvane::FrequencyCommand);
    DiodeCurrentSet = values.DiodeCurrentSet;
    SendSetPoint(*leDiodeCurrent, DiodeCurrentSet, orvane::DiodeCurrentCommand);
    ApplyPulseMode(values.PulseModeIndex);
    ApplyShutter(values.ShutterIndex);
    sbStopClick();
    if (!stored.ConversionError.isEmpty())
        throw EConvertError(stored.ConversionError);
}

void TOrvaneControlForm::SaveConfigurationFile()
{
    orvane::WriteConfigurationFile(
        {.ParameterSetText = ParameterSetText, .Frequency = Frequency, .DiodeCurrentSet = DiodeCurrentSet,
         .PulseModeIndex = PulseModeIndex, .ShutterIndex = ShutterIndex});
}
