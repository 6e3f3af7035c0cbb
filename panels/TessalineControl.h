#pragma once

#include "panels/PanelWindow.h"
#include "ui_TessalineControl.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QMenu;
class QTimer;

namespace platform {
class NumericEntryBox;
class RealNumberBox;
class WholeNumberBox;
}

// The control panel of the Tessaline laser system. It stays above the
// program's other windows. It sends the system's ";LC:" commands, reads the
// instrument's settings back, polls its status and keeps its settings in
// "Tessaline Config.txt" between showings.
class TTessalineControlForm : public panels::PanelWindow, private Ui::TTessalineControlForm
{
    Q_OBJECT

public:
    explicit TTessalineControlForm(QWidget* parent = nullptr);

    void FormShow() override;
    void FormClose() override;

    // Laser controls.
    void sbFireClick();
    void sbStopClick();
    void cbWavelengthClick();
    void cbWavelengthSelect();
    void cbModeSelect();
    void cbAutoEnergyClick();
    void rbHighEnergyClick();
    void rbLowEnergyClick();
    void rbEnergyClick();
    void rbVoltageClick();
    void tbThetaChange();
    void tbPolarizationChange();
    void tbFieldLEDChange();
    void tbSlitLEDChange();
    void cmdTRN45Click();
    void cmdTR0Click();
    void cmdTRP34Click();
    void cmdPAN90Click();
    void cmdPA0Click();
    void cmdPAP90Click();
    void cmdILFieldONOFFClick();
    void cmdSlitILONOFFClick();
    void edThetaKeyPress(char& key);
    void edPolarizationKeyPress(char& key);
    void edFieldLEDKeyPress(char& key);
    void edSlitLEDKeyPress(char& key);
    void WarningEnergyModeNotAvailable();

    // Service commands of the pop-up menus.
    void ExerciseSlit1Click();
    void ResetSlit1Click();
    void OpenShutter1Click();
    void CloseShutter1Click();
    void ExerciseWaveplate1Click();
    void ResetWaveplate1Click();
    void ExerciseFilterWheel1Click();
    void ResetFilterWheel1Click();
    void ExerciseAll1Click();
    void ResetAll1Click();

    // Slit size and magnification.
    void cbSlitMagSelect();
    void cbSquareSlitClick();
    void leXSizeKeyPress(char& key);
    void leYSizeKeyPress(char& key);
    void WriteSlitSpotSize(int magnificationItem, const QString& xText, const QString& yText);

    // Queries, read and write, status.
    void QueryEnergy();
    void QueryLaserFire();
    void QueryAutoEnergy();
    void QueryWavelength();
    void QueryMode();
    void QueryBurstCount();
    void QueryRepRate();
    void QueryPolarizationAngle();
    void QueryFieldLED();
    void QuerySlitLED();
    void QuerySlitSize();
    void QueryTheta();
    void QueryEnergyMonitor();
    void SetEnergy();
    void SetLaserFire();
    void SetAutoEnergy();
    void SetWavelength();
    void SetMode();
    void SetBurstCount();
    void SetRepRate();
    void SetPolarizationAngle();
    void SetFieldLED();
    void SetSlitLED();
    void SetSlitSize();
    void SetTheta();
    void SetEnergyMonitor();
    void cmdUpdateClick();
    void cmdRefreshClick();
    void tmrStatusTimer();

    // The configuration file.
    void LoadConfigurationFile();
    void SaveConfigurationFile();

    std::int32_t Theta = 0;
    std::int32_t FieldLEDPercent = 0;
    std::int32_t SlitLEDPercent = 0;
    std::int32_t RepRate = 0;
    std::int32_t BurstCount = 0;
    std::int32_t PolarizationAngle = 0;
    std::int32_t Magnification = 0;
    float SlitXSize = 0;
    float SlitYSize = 0;
    float SlitSizeMax = 0;
    std::int32_t Energy = 0;
    std::int32_t EnergyLevel = 0;
    bool FieldIlluminatorOff = false;
    bool SlitIlluminatorOff = false;
    std::int32_t FireState = 0;
    std::int32_t AutoEnergy = 0;
    std::int32_t WavelengthIndex = 0;
    std::int32_t ModeIndex = 0;
    std::int32_t SlitLEDLevel = 0;
    std::int32_t FieldLEDLevel = 0;
    QString SlitText;

    QTimer* tmrStatus = nullptr;
    QMenu* PopupMenuMain = nullptr;
    QMenu* PopupMenuWL = nullptr;
    QMenu* PopupMenuIlluminator = nullptr;
    QMenu* PopupMenuSlit = nullptr;

private:
    // A track bar and the entry box that stand for one value, and what a new
    // value does besides storing it.
    struct BarPair
    {
        QSlider* Bar;
        QLineEdit* Box;
        std::int32_t* Applied;
        // The value a bar position stands for.
        std::function<std::int32_t(int position)> Value;
        std::function<void(std::int32_t value)> Send;
    };
    // One of the twin illuminators.
    struct Illuminator
    {
        BarPair Pair;
        QPushButton* Switch;
        platform::WholeNumberBox* Entry;
        // The level last sent.
        std::int32_t* Level;
        bool* Off;
        QString Prefix;
    };

    void PaintLayout();
    void BuildPopupMenus();
    void ConnectControls();
    void MakeEntryBoxes();
    void MakeSizeBoxes();
    BarPair AnglePair(QSlider* bar, QLineEdit* box, std::int32_t* angle, const QString& prefix);
    Illuminator MakeIlluminator(QSlider* bar, QLineEdit* box, QPushButton* button, platform::WholeNumberBox* entry,
                                std::int32_t* percent, std::int32_t* level, bool* off, const QString& prefix);
    void BarChange(const BarPair& pair);
    void SwitchIlluminator(const Illuminator& illuminator);
    void Preset(platform::NumericEntryBox& box, const QString& text);
    void SetCaptionColours(const QColor& fire, const QColor& stop);
    void SelectEnergyLevel();
    void SendEnergy();
    // The size boxes' scale: the magnification factor, or 1 while no item is chosen.
    long double SlitScale() const;
    QString ShownSize(float size) const;
    // The largest slit size the size boxes take as the magnification stands.
    float LargestSlitSize() const;
    void SizeArrowDown(int key, QLineEdit& box);
    void SizeArrowUp(int key, QLineEdit& box);
    void ApplyXSize();
    void WriteSlitSizes();
    // The shared steps of the two illuminator queries and the two LED writes.
    void QueryLED(const QString& command, const QString& emptyReply, const Illuminator& illuminator);
    void SetLED(const Illuminator& illuminator);
    void ApplyStoredLED(std::int32_t level, const Illuminator& illuminator);
    void ApplyStoredSlit(const QString& slitText);
    void ApplyStoredSize(platform::RealNumberBox& entry, const QString& stored);

    platform::WholeNumberBox* leEnergyEntry = nullptr;
    platform::WholeNumberBox* leRepRateEntry = nullptr;
    platform::WholeNumberBox* leBurstCountEntry = nullptr;
    platform::WholeNumberBox* edPolarizationEntry = nullptr;
    platform::WholeNumberBox* edThetaEntry = nullptr;
    platform::WholeNumberBox* edFieldLEDEntry = nullptr;
    platform::WholeNumberBox* edSlitLEDEntry = nullptr;
    platform::RealNumberBox* leXSizeEntry = nullptr;
    platform::RealNumberBox* leYSizeEntry = nullptr;
    // While the configuration file's illuminator level is applied: the level
    // its bar sends in place of the one worked back from the percent.
    std::optional<std::int32_t> LevelFromFile;
    BarPair ThetaPair{};
    BarPair PolarizationPair{};
    Illuminator FieldIlluminator{};
    Illuminator SlitIlluminator{};
};

extern TTessalineControlForm* TessalineControlForm;

// "Tessaline Config.txt" in the install folder, built at each use so that it
// follows the folder.
QString TessalineConfigFileName();
