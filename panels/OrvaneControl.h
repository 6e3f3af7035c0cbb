#pragma once

#include "panels/PanelWindow.h"
#include "ui_OrvaneControl.h"

#include <QString>

#include <cstdint>

class QTimer;

namespace orvane {
struct StatusQuery;
}

namespace platform {
class RealNumberBox;
}

// The control panel of the Orvane laser system. It stays above the program's
// other windows. Each showing sends the start settings, asks the instrument's
// status and applies the configuration file; each close turns the laser off
// and writes the file.
class TOrvaneControlForm : public panels::PanelWindow, private Ui::TOrvaneControlForm
{
    Q_OBJECT

public:
    explicit TOrvaneControlForm(QWidget* parent = nullptr);

    void FormShow() override;
    void FormClose() override;

    void sbFireClick();
    void sbStopClick();
    void cboShutterSelect();
    void cboPulseModeSelect();
    void cboParameterSetSelect();
    void cmdStoreClick();
    void cmdRecallClick();

    void tmrStatusTimer();
    void cmdUpdateClick();
    void cmdRefreshClick();

    void QuerySystem();
    void QueryKeyswitch();
    void QueryDiodeHours();
    void QueryDiodeVoltage();
    void QueryDiodeCurrent();
    void QueryTemperature();
    void QueryWaterFlow();
    void QueryWarning();

    void QueryParameterSet();
    void QueryFrequency();
    void QueryDiodeCurrentSet();
    void QueryPulseMode();
    void QueryShutter();

    void SetParameterSet();
    void SetFrequency();
    void SetDiodeCurrent();
    void SetPulseMode();
    void SetShutter();

    // The first item whose whole text equals the text, letters compared
    // without regard to case; -1 when there is none.
    static int FindComboText(const QComboBox& combo, const QString& text);

    void LoadConfigurationFile();
    void SaveConfigurationFile();

    float Frequency = 0;
    float DiodeCurrentSet = 0;
    std::int32_t PulseModeIndex = 0;
    std::int32_t ShutterIndex = 0;
    QString ParameterSetText;

    QTimer* tmrStatus = nullptr;

private:
    void PaintLayout();
    void ConnectControls();
    void MakeEntryBoxes();
    void leFrequencyApply();
    void leDiodeCurrentApply();
    void SetCaptionColours(const QColor& fire, const QColor& stop);

    void ShowStatus(const orvane::StatusQuery& query, QLabel& label);
    // A set point read from a reply or the file: shown in its box with one
    // decimal, sent as the box shows it, and the box marked applied.
    void SendSetPoint(QLineEdit& box, float value, QString (*command)(const QString& valueText));
    void ReadSetPoint(const QString& query, float& field, const platform::RealNumberBox& entry,
                      QString (*command)(const QString& valueText));
    // Chooses the named set (none when no item has that name), sends it and
    // recalls it.
    void ApplyParameterSet(const QString& name);
    void ApplyPulseMode(std::int32_t index);
    void ApplyShutter(std::int32_t index);

    platform::RealNumberBox* leFrequencyEntry = nullptr;
    platform::RealNumberBox* leDiodeCurrentEntry = nullptr;
};

extern TOrvaneControlForm* OrvaneControlForm;
