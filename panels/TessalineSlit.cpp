// The slit's size and magnification: the user types shown sizes, the panel
// keeps each slit size as the shown size times the magnification factor, so
// another magnification keeps the sizes and changes what is shown.

#include "panels/TessalineControl.h"

#include "panels/PanelSend.h"
#include "panels/TessalineLanguage.h"
#include "platform/Conversions.h"
#include "platform/NumericEntryBox.h"

#include <algorithm>
#include <initializer_list>

namespace {

constexpr int LeftKey = platform::NumericEntryBox::LeftKey;
constexpr int RightKey = platform::NumericEntryBox::RightKey;

} // namespace

void TTessalineControlForm::MakeSizeBoxes()
{
    using platform::RealNumberBox;
    const auto stored = [this](long double typed) { return typed * SlitScale(); };
    // A shown size is held to the largest the magnification takes on every
    // road, typed or not: a size dropped, stored or read back as well.
    const auto range = [this] { return platform::RealNumberRange{0.0f, SlitSizeMax}; };
    leXSizeEntry = new RealNumberBox(*leXSize, {
        .Applied = &SlitXSize, .Stored = stored, .AppliedText = [this] { return ShownSize(SlitXSize); },
        .Range = range,
        .ArrowDown = [this](int key) { SizeArrowDown(key, *leXSize); },
        .ArrowUp = [this](int key) { SizeArrowUp(key, *leXSize); },
        .Action = [this] { ApplyXSize(); }});
    leYSizeEntry = new RealNumberBox(*leYSize, {
        .Applied = &SlitYSize, .Stored = stored, .AppliedText = [this] { return ShownSize(SlitYSize); },
        .Range = range,
        .ArrowDown = [this](int key) { SizeArrowDown(key, *leYSize); },
        .ArrowUp = [this](int key) { SizeArrowUp(key, *leYSize); },
        .Action = [this] { WriteSlitSizes(); }});
}

// No magnification item leaves the factor at -1; the boxes then show and
// take slit sizes as they are, never dividing by that factor.
long double TTessalineControlForm::SlitScale() const
{
    return Magnification > 0 ? static_cast<long double>(Magnification) : 1.0L;
}

float TTessalineControlForm::LargestSlitSize() const
{
    return static_cast<float>(static_cast<long double>(SlitSizeMax) * SlitScale());
}

QString TTessalineControlForm::ShownSize(float size) const
{
    return platform::FormatFloat(QStringLiteral("0.00"), static_cast<long double>(size) / SlitScale());
}

// Each box reacts to one arrow on key down and the other on key up; only the
// X box's Right arrow heeds the square slit, whose Y box is hidden.
void TTessalineControlForm::SizeArrowDown(int key, QLineEdit& box)
{
    if (&box == leXSize && key == RightKey && !cbSquareSlit->isChecked())
        platform::FocusAndSelectAll(*leYSize);
    else if (&box == leYSize && key == LeftKey)
        platform::FocusAndSelectAll(*leXSize);
}

void TTessalineControlForm::SizeArrowUp(int key, QLineEdit& box)
{
    if ((&box == leXSize && key == LeftKey) || (&box == leYSize && key == RightKey))
        box.selectAll();
}

void TTessalineControlForm::leXSizeKeyPress(char& key) { leXSizeEntry->KeyPress(key); }
void TTessalineControlForm::leYSizeKeyPress(char& key) { leYSizeEntry->KeyPress(key); }

void TTessalineControlForm::ApplyXSize()
{
    if (cbSquareSlit->isChecked()) {
        SlitYSize = SlitXSize;
        leYSize->setText(leXSize->text());
        platform::PaintEntry(*leYSize, platform::EntryApplied);
    }
    WriteSlitSizes();
}

// Each box's text goes out as it stands, pending or not, where the box would
// take it; a text it would refuse (dropped, say, and never applied) goes out
// as the size the box holds, held to what the box takes: with no
// magnification chosen the box shows sizes as they are, and one kept from
// 100x (6000 um) is more than it takes.
void TTessalineControlForm::WriteSlitSizes()
{
    const auto sent = [this](const platform::RealNumberBox& entry, float size) {
        const QString text = entry.Edit().text();
        return entry.Admits(text) ? text : ShownSize(std::min(size, LargestSlitSize()));
    };
    WriteSlitSpotSize(cbSlitMag->currentIndex(), sent(*leXSizeEntry, SlitXSize), sent(*leYSizeEntry, SlitYSize));
}

void TTessalineControlForm::WriteSlitSpotSize(int magnificationItem, const QString& xText, const QString& yText)
{
    SlitText = tessaline::MagnificationText(magnificationItem) + QLatin1Char(',') + xText + QLatin1Char(',') + yText;
    panels::Send(QStringLiteral(";LC:SP ") + SlitText);
}

void TTessalineControlForm::cbSlitMagSelect()
{
    const int item = cbSlitMag->currentIndex();
    Magnification = item;
    for (QWidget* control : std::initializer_list<QWidget*>{cbSquareSlit, leXSize, leYSize})
        control->setEnabled(true);
    if (const std::optional<tessaline::Magnification> chosen = tessaline::MagnificationOf(item)) {
        Magnification = chosen->Factor;
        SlitSizeMax = chosen->SizeMax;
        const long double factor = chosen->Factor;
        // A slit kept at a larger magnification may be more than this one
        // shows within its maximum (6000 um from 100x at 1x): it is held to
        // the largest size this magnification takes, so no size its boxes
        // would refuse goes out or into the file.
        SlitXSize = std::min(SlitXSize, LargestSlitSize());
        SlitYSize = std::min(SlitYSize, LargestSlitSize());
        leXSize->setText(platform::FormatFixed(SlitXSize / factor));
        if (cbSquareSlit->isChecked()) {
            leYSize->setText(platform::FormatFixed(SlitXSize / factor));
            SlitYSize = SlitXSize;
        } else {
            leYSize->setText(platform::FormatFixed(SlitYSize / factor));
        }
    }
    WriteSlitSizes();
}

void TTessalineControlForm::cbSquareSlitClick()
{
    if (!cbSquareSlit->isChecked()) {
        panels::SetLabelledEditVisible(*leYSize, true);
        panels::EditLabel(*leXSize)->setText(QStringLiteral("X(um)"));
        panels::EditLabel(*leYSize)->setText(QStringLiteral("Y(um)"));
        return;
    }
    panels::SetLabelledEditVisible(*leYSize, false);
    panels::EditLabel(*leXSize)->setText(QStringLiteral("XY(um)"));
    leYSize->setText(leXSize->text());
    SlitYSize = SlitXSize;
    WriteSlitSizes();
    platform::PaintEntry(*leXSize, platform::EntryApplied);
    platform::PaintEntry(*leYSize, platform::EntryApplied);
}
