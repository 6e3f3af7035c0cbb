#include "panels/DravikControl.h"

#include "panels/PanelSend.h"
#include "platform/ControlEvents.h"
#include "platform/Conversions.h"
#include "platform/EventGuard.h"
#include "platform/NumericEntryBox.h"
#include "platform/Painting.h"

#include <QThread>

#include <algorithm>
#include <array>

TDravikControlForm* DravikControlForm = nullptr;

namespace {

constexpr unsigned long FirePauseMs = 100;
constexpr std::int32_t UnreadableSlitSize = 400;
constexpr int UpDownMinimum = 0;
constexpr int UpDownMaximum = 100;

const QColor CaptionBlack = Qt::black;
const QColor CaptionRed = Qt::red;
const QColor Navy(0, 0, 128);

void SetBold(QWidget& widget)
{
    QFont font = widget.font();
    font.setBold(true);
    widget.setFont(font);
}

// An up-down button steps the number in the edit it is joined to, within
// 0..100; the edit's text is its position.
void JoinUpDown(QWidget& upDown, QLineEdit& edit)
{
    const auto step = [&edit](int by) {
        const int position = platform::StrToIntDef(edit.text(), UpDownMinimum) + by;
        edit.setText(QString::number(std::clamp(position, UpDownMinimum, UpDownMaximum)));
    };
    const auto buttons = upDown.findChildren<QToolButton*>();
    for (QToolButton* button : buttons) {
        const int by = button->arrowType() == Qt::UpArrow ? 1 : -1;
        QObject::connect(button, &QToolButton::clicked, &edit, platform::Guarded([step, by] { step(by); }));
    }
}

} // namespace

// ---- The language ----

namespace dravik {

std::int32_t ThetaSteps(int position, std::int32_t offset, float stepsPerDegree)
{
    return panels::Trunc(static_cast<long double>(position + offset) * static_cast<long double>(stepsPerDegree));
}

std::int32_t SlitSteps(std::int32_t size, std::int32_t microns, std::int32_t steps)
{
    const long double scaled = static_cast<long double>(size) / static_cast<long double>(microns);
    return panels::Trunc(scaled * static_cast<long double>(steps));
}

QString ThetaCommand(std::int32_t steps)
{
    return QStringLiteral(";LC:ST ") + platform::Format4x(steps);
}

QString SlitCommand(std::int32_t xSteps, std::int32_t ySteps)
{
    return QStringLiteral(";SL:SP ") + platform::Format4x(xSteps) + QLatin1Char(',') + platform::Format4x(ySteps);
}

QString ModeCommand(int item)
{
    static const std::array<QString, 3> Commands{
        QStringLiteral(";LC:MO 0"), QStringLiteral(";LC:MO 1"), QStringLiteral(";LC:MO 2")};
    return item >= 0 && item < int(Commands.size()) ? Commands[std::size_t(item)] : QString();
}

QString WavelengthCommand(int item)
{
    static const std::array<QString, 9> Commands{
        QStringLiteral(";LC:SW 3 0"), QStringLiteral(";LC:SW 3 1"), QStringLiteral(";LC:SW 3 2"),
        QStringLiteral(";LC:SW 2 0"), QStringLiteral(";LC:SW 2 1"), QStringLiteral(";LC:SW 2 2"),
        QStringLiteral(";LC:SW 4 0"), QStringLiteral(";LC:SW 4 1"), QStringLiteral(";LC:SW 4 2")};
    return item >= 0 && item < int(Commands.size()) ? Commands[std::size_t(item)] : QString();
}

} // namespace dravik

// ---- The window ----

TDravikControlForm::TDravikControlForm(QWidget* parent)
    : PanelWindow(parent, {})
{
    setupUi(this);
    PaintLayout();
    JoinUpDown(*udBurstCount, *leBurstCount);
    JoinUpDown(*udEnergy, *leEnergy);
    JoinUpDown(*udRepRate, *leRepRate);
    ConnectControls();
    MakeEntryBoxes();
}

void TDravikControlForm::PaintLayout()
{
    platform::PaintPanel(*pnlMain, Qt::black);
    platform::PaintPanel(*gbLaserControls, Navy);
    platform::PaintPanel(*gbLaserSettings, Qt::black);
    platform::PaintPanel(*GroupBox2, Qt::black);
    SetBold(*gbLaserControls);
    for (QWidget* button : {static_cast<QWidget*>(sbFire), static_cast<QWidget*>(sbStop)}) {
        SetBold(*button);
        platform::SetCaptionColour(*button, CaptionBlack);
    }
}

void TDravikControlForm::ConnectControls()
{
    using platform::Guarded;
    connect(cbMode, &QComboBox::activated, this, Guarded([this] { cbModeSelect(); }));
    connect(cbWavelength, &QComboBox::activated, this, Guarded([this] { cbWavelengthSelect(); }));
    connect(sbFire, &QToolButton::clicked, this, Guarded([this] { sbFireClick(); }));
    connect(sbStop, &QToolButton::clicked, this, Guarded([this] { sbStopClick(); }));
    auto& theta = platform::TrackBar::Of(tbTheta);
    theta.OnChange = [this] { tbThetaChange(); };
    // The layout's selection, 0 to 45: from the angle last sent to the bar's end.
    theta.SetSelEnd(tbTheta->maximum());
    platform::OnStateClick(cbSquare, [this] { cbSquareClick(); });
}

void TDravikControlForm::MakeEntryBoxes()
{
    using platform::WholeNumberBox;
    const auto strict = platform::WholeNumberReading::Strict();
    const auto minus45 = platform::WholeNumberReading::WithDefault(-45);
    new WholeNumberBox(*leXSize, {.Minimum = 0, .Maximum = 6000, .ExtraKeys = QString(),
                                  .Reading = {strict, strict, strict}, .Applied = &XSize,
                                  .Action = [this](std::int32_t size) { leXSizeApply(size); }});
    new WholeNumberBox(*leYSize, {.Minimum = 0, .Maximum = 6000, .ExtraKeys = QString(),
                                  .Reading = {strict, strict, strict}, .Applied = &YSize,
                                  .Action = [this](std::int32_t size) { leYSizeApply(size); }});
    new WholeNumberBox(*leTheta, {.Minimum = -45, .Maximum = 45, .ExtraKeys = QStringLiteral("-"),
                                  .Reading = {strict, minus45, minus45}, .Applied = &Theta,
                                  .Action = [this](std::int32_t angle) { leThetaApply(angle); }});
}

void TDravikControlForm::FormShow()
{
    SlitScaleMicrons = 1000;
    SlitScaleSteps = 200;
    ThetaOffset = 45;
    ThetaStepsPerDegree = 38.29f;
}

void TDravikControlForm::FormClose()
{
    panels::Send(dravik::LaserOff);
}

void TDravikControlForm::cbModeSelect()
{
    const int item = cbMode->currentIndex();
    const bool burst = item == 2;
    panels::SetLabelledEditVisible(*leBurstCount, burst);
    udBurstCount->setVisible(burst);
    if (const QString command = dravik::ModeCommand(item); !command.isEmpty())
        panels::Send(command);
}

void TDravikControlForm::cbWavelengthSelect()
{
    if (const QString command = dravik::WavelengthCommand(cbWavelength->currentIndex()); !command.isEmpty())
        panels::Send(command);
}

void TDravikControlForm::SetCaptionColours(const QColor& fire, const QColor& stop)
{
    platform::SetCaptionColour(*sbFire, fire);
    platform::SetCaptionColour(*sbStop, stop);
}

void TDravikControlForm::sbFireClick()
{
    SetCaptionColours(CaptionRed, CaptionBlack);
    panels::Send(dravik::LaserArm);
    QThread::msleep(FirePauseMs);
    panels::Send(dravik::LaserFire);
    setFocus(Qt::OtherFocusReason);
}

void TDravikControlForm::sbStopClick()
{
    SetCaptionColours(CaptionBlack, CaptionBlack);
    panels::Send(dravik::LaserStop);
    setFocus(Qt::OtherFocusReason);
}

void TDravikControlForm::tbThetaChange()
{
    auto& bar = platform::TrackBar::Of(tbTheta);
    const int position = bar.Position();
    Theta = position;
    platform::PaintEntry(*leTheta, platform::EntryApplied);
    leTheta->setText(QString::number(position));
    bar.SetSelStart(position);
    panels::Send(dravik::ThetaCommand(dravik::ThetaSteps(position, ThetaOffset, ThetaStepsPerDegree)));
    tbTheta->setFocus(Qt::OtherFocusReason);
}

// The bar's change handler sends, only when the bar really moves.
void TDravikControlForm::leThetaApply(std::int32_t angle)
{
    Theta = angle;
    platform::TrackBar::Of(tbTheta).SetPosition(angle);
}

void TDravikControlForm::leXSizeApply(std::int32_t size)
{
    XSize = size;
    SendSlitSize(cbSquare->isChecked() ? SlitStepsOf(*leXSize) : SlitStepsOf(*leYSize));
}

void TDravikControlForm::leYSizeApply(std::int32_t size)
{
    YSize = size;
    SendSlitSize(SlitStepsOf(*leYSize));
}

std::int32_t TDravikControlForm::SlitStepsOf(const QLineEdit& box) const
{
    const std::int32_t size = platform::StrToIntDef(box.text(), UnreadableSlitSize);
    return dravik::SlitSteps(size, SlitScaleMicrons, SlitScaleSteps);
}

void TDravikControlForm::SendSlitSize(std::int32_t ySteps)
{
    panels::Send(dravik::SlitCommand(SlitStepsOf(*leXSize), ySteps));
}

// Ticked, both axes follow the X box; the Y box keeps its applied value for
// when it is shown again.
void TDravikControlForm::cbSquareClick()
{
    const bool square = cbSquare->isChecked();
    panels::EditLabel(*leXSize)->setText(square ? QStringLiteral("XY (um)") : QStringLiteral("X (um)"));
    leYSize->setText(leXSize->text());
    platform::PaintEntry(*leYSize, platform::EntryApplied);
    panels::SetLabelledEditVisible(*leYSize, !square);
    if (square)
        SendSlitSize(SlitStepsOf(*leXSize));
}
