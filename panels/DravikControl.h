#pragma once

#include "panels/PanelWindow.h"
#include "ui_DravikControl.h"

#include <QString>

#include <cstdint>

// The Dravik laser system's language, apart from any window.
namespace dravik {

// The theta bar's position as motor steps: (position + offset) x steps per
// degree, in extended precision, truncated.
std::int32_t ThetaSteps(int position, std::int32_t offset, float stepsPerDegree);
// A slit size in micrometres as motor steps: (size / microns) x steps, the
// division first, in extended precision, truncated.
std::int32_t SlitSteps(std::int32_t size, std::int32_t microns, std::int32_t steps);

QString ThetaCommand(std::int32_t steps);
QString SlitCommand(std::int32_t xSteps, std::int32_t ySteps);
// The command of a mode or wavelength item; empty for none.
QString ModeCommand(int item);
QString WavelengthCommand(int item);

inline const QString LaserOff = QStringLiteral(";LC:FL 0");
inline const QString LaserStop = QStringLiteral(";LC:FL 1");
inline const QString LaserArm = QStringLiteral(";LC:FL 2");
inline const QString LaserFire = QStringLiteral(";LC:FL 3");

} // namespace dravik

// The control panel of the Dravik laser system. It only sends: no queries,
// no timer, no configuration file.
class TDravikControlForm : public panels::PanelWindow, private Ui::TDravikControlForm
{
    Q_OBJECT

public:
    explicit TDravikControlForm(QWidget* parent = nullptr);

    void FormShow() override;
    void FormClose() override;
    void cbModeSelect();
    void cbWavelengthSelect();
    void sbFireClick();
    void sbStopClick();
    void tbThetaChange();
    void cbSquareClick();

    std::int32_t SlitScaleMicrons = 0;
    std::int32_t SlitScaleSteps = 0;
    std::int32_t ThetaOffset = 0;
    float ThetaStepsPerDegree = 0;
    std::int32_t Theta = 0;
    std::int32_t XSize = 0;
    std::int32_t YSize = 0;

private:
    void PaintLayout();
    void ConnectControls();
    void MakeEntryBoxes();
    // What applying each entry box does.
    void leThetaApply(std::int32_t angle);
    void leXSizeApply(std::int32_t size);
    void leYSizeApply(std::int32_t size);
    void SetCaptionColours(const QColor& fire, const QColor& stop);
    // A size box's text as steps; a text the box would refuse (empty, no
    // number, a pasted size beyond its range) is 400 um.
    std::int32_t SlitStepsOf(const QLineEdit& box) const;
    void SendSlitSize(std::int32_t ySteps);
};

extern TDravikControlForm* DravikControlForm;
