// "Tessaline Config.txt": read at every showing and applied line by line
// through the panel's own controls, which send each value to the instrument;
// written at every close.

#include "panels/TessalineControl.h"

#include "panels/PanelSend.h"
#include "panels/TessalineLanguage.h"
#include "platform/ControlEvents.h"
#include "platform/InstallFolder.h"
#include "platform/NumericEntryBox.h"

#include <QFile>
#include <QSaveFile>

#include <optional>

namespace {

using platform::TrackBar;

constexpr char EnterKey = platform::NumericEntryBox::EnterKey;

std::optional<QByteArray> ReadFileBytes(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

// A temporary file renamed over the old one once every byte is written, so a
// failed write leaves the old file whole. Silent on failure. The flush is
// checked on its own: the rename does not see an error of the last buffered
// write and would put a cut file in place.
void WriteFileBytes(const QString& fileName, const QByteArray& contents)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size() || !file.flush())
        return;
    file.commit();
}

// Only a file that is not there is created: one that is there but cannot be
// read may hold the user's settings and is left alone.
std::optional<QByteArray> OpenConfigurationFile()
{
    const QString fileName = TessalineConfigFileName();
    if (!QFile::exists(fileName))
        WriteFileBytes(fileName, tessaline::WriteConfiguration(tessaline::Configuration{}));
    return ReadFileBytes(fileName);
}

} // namespace

QString TessalineConfigFileName()
{
    return InstallFolder::File(QStringLiteral("Tessaline Config.txt"));
}

void TTessalineControlForm::LoadConfigurationFile()
{
    const std::optional<QByteArray> contents = OpenConfigurationFile();
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
    TrackBar::Of(tbPolarization).SelStart = TrackBar::Of(tbPolarization).Position();

    ApplyStoredLED(stored.FieldLEDLevel, FieldIlluminator);
    ApplyStoredLED(stored.SlitLEDLevel, SlitIlluminator);
    ApplyStoredSlit(stored.SlitText);

    Theta = stored.Theta;
    edTheta->setText(QString::number(Theta));
    edThetaKeyPress(enter);
    TrackBar::Of(tbTheta).SelStart = TrackBar::Of(tbTheta).Position();
}

// Switching twice leaves the illuminator on or off as it was at the last
// close; the bar then sends the level of the stored intensity's percent.
void TTessalineControlForm::ApplyStoredLED(std::int32_t level, const Illuminator& illuminator)
{
    *illuminator.Level = level;
    SwitchIlluminator(illuminator);
    SwitchIlluminator(illuminator);
    illuminator.Pair.Box->setText(QString::number(tessaline::StoredLEDPercent(level)));
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
    char enter = EnterKey;
    leXSize->setText(tessaline::StoredSizeText(parts.XSize));
    leXSizeKeyPress(enter);
    leYSize->setText(tessaline::StoredSizeText(parts.YSize));
    leYSizeKeyPress(enter);
}

void TTessalineControlForm::SaveConfigurationFile()
{
    const tessaline::Configuration settings{EnergyLevel, Energy, FireState, AutoEnergy, WavelengthIndex, ModeIndex,
                                            BurstCount, RepRate, PolarizationAngle, FieldLEDLevel, SlitLEDLevel,
                                            SlitText, Theta};
    WriteFileBytes(TessalineConfigFileName(), tessaline::WriteConfiguration(settings));
}
