// The read side of the panel and its bulk write. A query that reads a setting
// back applies it through the panel's own controls, so reading the instrument
// also sends to it where a control changes.

#include "panels/TessalineControl.h"

#include "panels/PanelSend.h"
#include "panels/TessalineLanguage.h"
#include "platform/ControlEvents.h"
#include "platform/Conversions.h"
#include "platform/NumericEntryBox.h"

#include <QTimer>

#include <optional>

namespace {

using platform::TrackBar;

std::optional<QString> Query(const char* command)
{
    return panels::Query(QLatin1String(command), panels::SemicolonDialect);
}

void PaintWhite(QLineEdit& box)
{
    platform::PaintEntry(box, platform::EntryApplied);
}

// A reply that is a number the box's range holds (" 20" and "+7" are numbers)
// shows in it and becomes its field; any other reply ("5;LC:FL 3", 9999,
// nothing) leaves both as they were, so nothing of it can go back to the
// instrument. The box shows the number in its own form: "Write to Controller"
// sends the box's text, and a garbled reply of a thousand zeros would
// otherwise go back as a command of that length.
void ShowInBox(const std::optional<QString>& reply, const platform::WholeNumberBox& entry, std::int32_t& field)
{
    if (reply) {
        if (const std::optional<std::int32_t> value = entry.Range().Read(*reply)) {
            entry.Edit().setText(QString::number(*value));
            field = *value;
        }
    }
    PaintWhite(entry.Edit());
}

} // namespace

// ---- Queries ----

void TTessalineControlForm::QueryEnergy()
{
    if (const std::optional<QString> reply = Query(";LC:ED?")) {
        if (const std::optional<tessaline::EnergyReading> energy = tessaline::ReadEnergy(*reply)) {
            EnergyLevel = energy->Level;
            Energy = energy->Energy;
            leEnergy->setText(QString::number(Energy));
        }
        SelectEnergyLevel();
    }
    PaintWhite(*leEnergy);
}

void TTessalineControlForm::QueryLaserFire()
{
    if (const std::optional<QString> reply = Query(";LC:FL?"))
        FireState = platform::StrToIntDef(*reply, 0);
}

// Only a change of the box's state sends (its click handler). An empty reply
// reads as 0, as for the numeric queries: an instrument that does not answer
// does not switch Auto Energy on.
void TTessalineControlForm::QueryAutoEnergy()
{
    if (const std::optional<QString> reply = Query(";LC:AE?")) {
        const bool on = !reply->isEmpty() && *reply != QLatin1String("0");
        cbAutoEnergy->setChecked(on);
        AutoEnergy = on ? 1 : 0;
    }
}

// Any reply that names no item, an error reply too, chooses none; a query
// that never reached the instrument chooses nothing.
void TTessalineControlForm::QueryWavelength()
{
    const std::optional<QString> reply = panels::QueryReply(QStringLiteral(";LC:SW?"));
    if (!reply)
        return;
    const int item = tessaline::WavelengthItem(*reply);
    WavelengthIndex = item;
    cbWavelength->setCurrentIndex(item);
    cbWavelengthSelect();
}

void TTessalineControlForm::QueryMode()
{
    const std::optional<QString> reply = panels::QueryReply(QStringLiteral(";LC:MO?"));
    if (!reply)
        return;
    const int item = tessaline::ModeItem(*reply);
    ModeIndex = item;
    cbMode->setCurrentIndex(item);
    cbModeSelect();
}

void TTessalineControlForm::QueryBurstCount()
{
    ShowInBox(Query(";LC:BU?"), *leBurstCountEntry, BurstCount);
}

void TTessalineControlForm::QueryRepRate()
{
    ShowInBox(Query(";LC:RR?"), *leRepRateEntry, RepRate);
}

// The bar keeps its place: the angle shows only in the box.
void TTessalineControlForm::QueryPolarizationAngle()
{
    ShowInBox(Query(";LC:PA?"), *edPolarizationEntry, PolarizationAngle);
}

void TTessalineControlForm::QueryTheta()
{
    ShowInBox(Query(";LC:ST?"), *edThetaEntry, Theta);
}

// A level that is no hexadecimal number raises the conversion error and ends
// the operation that asked; one beyond the levels of the box's percents
// changes nothing.
void TTessalineControlForm::QueryLED(const QString& command, const QString& emptyReply, const Illuminator& illuminator)
{
    const BarPair& pair = illuminator.Pair;
    if (const std::optional<QString> reply = panels::Query(command, panels::SemicolonDialect)) {
        const QString hex = reply->isEmpty() ? emptyReply : *reply;
        const std::int32_t level = platform::StrToInt(QStringLiteral("0x") + hex);
        if (tessaline::LEDLevelRange().Holds(level)) {
            *illuminator.Level = level;
            pair.Box->setText(QString::number(tessaline::LEDPercent(level)));
            char key = platform::NumericEntryBox::EnterKey;
            illuminator.Entry->KeyPress(key);
            illuminator.Switch->setText(QStringLiteral("ON"));
        }
    }
    PaintWhite(*pair.Box);
}

void TTessalineControlForm::QueryFieldLED()
{
    QueryLED(QStringLiteral(";LC:IL? 0"), QStringLiteral("1"), FieldIlluminator);
}

void TTessalineControlForm::QuerySlitLED()
{
    QueryLED(QStringLiteral(";LC:IL? 1"), QStringLiteral("0"), SlitIlluminator);
}

// The sizes in the reply are not used: the selection sends the panel's own.
void TTessalineControlForm::QuerySlitSize()
{
    const std::optional<QString> reply = Query(";LC:SP?");
    if (!reply)
        return;
    SlitText = *reply;
    cbSlitMag->setCurrentIndex(tessaline::MagnificationItem(tessaline::SlitTextMagnification(SlitText)));
    cbSlitMagSelect();
}

void TTessalineControlForm::QueryEnergyMonitor()
{
    if (const std::optional<QString> reply = Query(";LC:EM?"))
        lblEnergyMon->setText(*reply);
}

// ---- Set operations ----

void TTessalineControlForm::SetEnergy()
{
    SendEnergy();
}

void TTessalineControlForm::SetLaserFire()
{
    sbStopClick();
    sbStop->setChecked(true);
}

void TTessalineControlForm::SetAutoEnergy()
{
    cbAutoEnergyClick();
}

void TTessalineControlForm::SetWavelength()
{
    cbWavelengthSelect();
}

void TTessalineControlForm::SetMode()
{
    cbModeSelect();
}

// The boxes' texts as shown, also while an entry is pending; a text the box
// would refuse (out of range, pasted, empty) is not sent.
void TTessalineControlForm::SetBurstCount()
{
    if (leBurstCountEntry->Admits(leBurstCount->text()))
        panels::Send(QStringLiteral(";LC:BU ") + leBurstCount->text());
}

void TTessalineControlForm::SetRepRate()
{
    if (leRepRateEntry->Admits(leRepRate->text()))
        panels::Send(QStringLiteral(";LC:RR ") + leRepRate->text());
}

void TTessalineControlForm::SetPolarizationAngle()
{
    TrackBar& bar = TrackBar::Of(tbPolarization);
    const int position = bar.Position();
    panels::Send(QStringLiteral(";LC:PA %1").arg(position));
    PolarizationAngle = position;
    PaintWhite(*edPolarization);
    bar.SetSelStart(position);
    tbPolarization->setFocus(Qt::OtherFocusReason);
}

void TTessalineControlForm::SetTheta()
{
    TrackBar& bar = TrackBar::Of(tbTheta);
    const int position = bar.Position();
    panels::Send(QStringLiteral(";LC:ST %1").arg(position));
    PaintWhite(*edTheta);
    Theta = position;
    bar.SetSelStart(position);
    tbTheta->setFocus(Qt::OtherFocusReason);
}

// The bar's level goes out also while the illuminator is switched off.
void TTessalineControlForm::SetLED(const Illuminator& illuminator)
{
    const BarPair& pair = illuminator.Pair;
    TrackBar& bar = TrackBar::Of(pair.Bar);
    const std::int32_t level = tessaline::LEDLevel(pair.Value(bar.Position()));
    panels::Send(illuminator.Prefix + QString::number(level));
    if (const std::optional<std::int32_t> percent = illuminator.Entry->Admitted(pair.Box->text()))
        *pair.Applied = *percent;
    *illuminator.Level = level;
    PaintWhite(*pair.Box);
    bar.SetSelStart(bar.Position());
    pair.Bar->setFocus(Qt::OtherFocusReason);
}

void TTessalineControlForm::SetFieldLED()
{
    SetLED(FieldIlluminator);
}

void TTessalineControlForm::SetSlitLED()
{
    SetLED(SlitIlluminator);
}

void TTessalineControlForm::SetSlitSize()
{
    cbSlitMagSelect();
}

void TTessalineControlForm::SetEnergyMonitor()
{
    panels::Send(rbEnergy->isChecked() ? QStringLiteral(";LC:EM 1") : QStringLiteral(";LC:EM 0"));
}

// ---- Read from Controller, Write to Controller ----

void TTessalineControlForm::cmdUpdateClick()
{
    QueryEnergy();
    QueryLaserFire();
    QueryAutoEnergy();
    QueryWavelength();
    QueryMode();
    QueryBurstCount();
    QueryRepRate();
    QueryPolarizationAngle();
    QueryFieldLED();
    QuerySlitLED();
    QuerySlitSize();
}

void TTessalineControlForm::cmdRefreshClick()
{
    SetEnergy();
    SetLaserFire();
    SetAutoEnergy();
    SetWavelength();
    SetMode();
    SetBurstCount();
    SetRepRate();
    SetPolarizationAngle();
    SetFieldLED();
    SetSlitLED();
    SetSlitSize();
    SetTheta();
}

// ---- Status poll ----

void TTessalineControlForm::tmrStatusTimer()
{
    if (!cbStatus->isChecked() || !panels::PollMaySend())
        return;
    if (const std::optional<QString> reply = panels::QueryReply(QStringLiteral(";LC:SS?")))
        lblStatus->setText(reply->contains(QLatin1Char('?')) ? platform::Format4x(0) : *reply);
}
