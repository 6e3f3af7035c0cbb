// "Tessaline Config.txt": read at every showing and applied line by line
// through the panel's own controls, which send each value to the instrument;
// written at every close.

#include "panels/TessalineControl.h"

#include "panels/PanelFile.h"
#include "panels/PanelSend.h"
#include "panels/TessalineLanguage.h"
#include "platform/ControlEvents.h"
#include "platform/InstallFolder.h"
#include "platform/NumericEntryBox.h"

#include <QScopeGuard>

#include <optional>

namespace {

using platform::TrackBar;

constexpr char EnterKey = platform::NumericEntryBox::EnterKey;

} // namespace

QString TessalineConfigFileName()
{
    return InstallFolder::File(QStringLiteral("Tessaline Config.txt"));
}

void TTessalineControlForm::LoadConfigurationFile()
{
    const std::optional<QByteArray> contents = panels::ReadPanelFile(
        TessalineConfigFileName(), tessaline::ConfigurationLineCount,
        tessaline::WriteConfiguration(tessaline::Configuration{}));
    if (!contents)
        return;
    const tessaline::Configuration stored = tessaline::ReadConfiguration(*contents);
    char enter = EnterKey;

    EnergyLevel = stored.EnergyLevel;
    Energy = stored.Energy;
    leEnergy->setText(QString::number(Energy));
    SelectEnergyLevel();
    SendEnergy();

    FireState = stored.FireState;
    panels::Send(tessaline::FireCommand(FireState));

    // The check box stays as the showing left it.
    AutoEnergy = stored.AutoEnergy;
    panels::Send(QStringLiteral(";LC:AE %1").arg(AutoEnergy));

    WavelengthIndex = stored.WavelengthIndex;
    cbWavelength->setCurrentIndex(WavelengthIndex);
    cbWavelengthSelect();

    ModeIndex = stored.ModeIndex;
    cbMode->setCurrentIndex(ModeIndex);
    cbModeSelect();

    BurstCount = stored.BurstCount;
    leBurstCount->setText(QString::number(BurstCount));
    panels::Send(QStringLiteral(";LC:BU %1").arg(BurstCount));

    RepRate = stored.RepRate;
    leRepRate->setText(QString::number(RepRate));
    panels::Send(QStringLiteral(";LC:RR %1").arg(RepRate));

    // The bar's change finds the angle already stored: no command goes out.
    PolarizationAngle = stored.PolarizationAngle;
    edPolarization->setText(QString::number(PolarizationAngle));
    edPolarizationKeyPress(enter);
    TrackBar::Of(tbPolarization).SetSelStart(TrackBar::Of(tbPolarization).Position());

    ApplyStoredLED(stored.FieldLEDLevel, FieldIlluminator);
    ApplyStoredLED(stored.SlitLEDLevel, SlitIlluminator);
    ApplyStoredSlit(stored.SlitText);

    Theta = stored.Theta;
    edTheta->setText(QString::number(Theta));
    edThetaKeyPress(enter);
    TrackBar::Of(tbTheta).SetSelStart(TrackBar::Of(tbTheta).Position());
}

// Switching twice leaves the illuminator on or off as it was at the last
// close; the bar then moves to the stored intensity's percent and sends the
// stored level, so that showing after showing the illuminator keeps it.
void TTessalineControlForm::ApplyStoredLED(std::int32_t level, const Illuminator& illuminator)
{
    *illuminator.Level = level;
    SwitchIlluminator(illuminator);
    SwitchIlluminator(illuminator);
    illuminator.Pair.Box->setText(QString::number(tessaline::StoredLEDPercent(level)));
    LevelFromFile = level;
    const auto applied = qScopeGuard([this] { LevelFromFile.reset(); });
    char enter = EnterKey;
    illuminator.Entry->KeyPress(enter);
    platform::PaintEntry(*illuminator.Pair.Box, platform::EntryApplied);
}

void TTessalineControlForm::ApplyStoredSlit(const QString& slitText)
{
    SlitText = slitText;
    const tessaline::SlitParts parts = tessaline::SplitSlitText(slitText);
    Magnification = tessaline::SlitTextMagnification(slitText);
    cbSlitMag->setCurrentIndex(tessaline::MagnificationItem(Magnification));
    cbSlitMagSelect();
    ApplyStoredSize(*leXSizeEntry, parts.XSize);
    ApplyStoredSize(*leYSizeEntry, parts.YSize);
}

// A stored size that the box's range does not hold (no number, empty, beyond
// the magnification's largest) leaves the box showing what the magnification
// made of the slit size: nothing of it is sent or kept. A size it holds is
// applied as Enter applies it, which shows it in the box's own form.
void TTessalineControlForm::ApplyStoredSize(platform::RealNumberBox& entry, const QString& stored)
{
    if (!entry.Range().Read(stored))
        return;
    entry.Edit().setText(stored);
    char enter = EnterKey;
    entry.KeyPress(enter);
}

void TTessalineControlForm::SaveConfigurationFile()
{
    const tessaline::Configuration settings{EnergyLevel, Energy, FireState, AutoEnergy, WavelengthIndex, ModeIndex,
                                            BurstCount, RepRate, PolarizationAngle, FieldLEDLevel, SlitLEDLevel,
                                            SlitText, Theta};
    panels::WritePanelFile(TessalineConfigFileName(), tessaline::WriteConfiguration(settings));
}
