#include "platform/StatusBar.h"

#include "platform/Exceptions.h"
#include "platform/LabelSize.h"

#include <QEvent>
#include <QLabel>

#include <algorithm>
#include <functional>
#include <utility>

namespace {

constexpr int DefaultPanelWidth = 50;

// A panel measures its text again once it has taken a new font.
class PanelLabel : public QLabel
{
public:
    PanelLabel(const QString& text, QWidget* parent, std::function<void()> fit)
        : QLabel(text, parent), Fit(std::move(fit))
    {
    }

protected:
    void changeEvent(QEvent* event) override
    {
        QLabel::changeEvent(event);
        if (event->type() == QEvent::FontChange)
            Fit();
    }

private:
    std::function<void()> Fit;
};

} // namespace

TStatusBar::TStatusBar(QWidget* parent)
    : QStatusBar(parent)
{
    // Panels hold the bar's texts; a size grip inside a page would be misleading.
    setSizeGripEnabled(false);
}

int TStatusBar::PanelCount() const
{
    return static_cast<int>(Labels.size());
}

QLabel* TStatusBar::Panel(int index) const
{
    if (index < 0 || index >= PanelCount())
        throw Exception(QStringLiteral("List index out of bounds (%1)").arg(index));
    return Labels[static_cast<std::size_t>(index)];
}

QString TStatusBar::PanelText(int index) const
{
    return Panel(index)->text();
}

void TStatusBar::SetPanelText(int index, const QString& text)
{
    Panel(index)->setText(text);
    Texts[index] = text;
    FitPanel(index);
}

int TStatusBar::PanelWidth(int index) const
{
    Panel(index);
    return GivenWidth(index);
}

int TStatusBar::GivenWidth(int index) const
{
    const auto at = static_cast<std::size_t>(index);
    return at < Widths.size() ? Widths[at] : DefaultPanelWidth;
}

QStringList TStatusBar::PanelTexts() const
{
    return Texts;
}

void TStatusBar::SetPanelTexts(const QStringList& texts)
{
    Texts = texts;
    RebuildPanels();
}

QStringList TStatusBar::PanelWidths() const
{
    QStringList widths;
    for (int i = 0; i < PanelCount(); ++i)
        widths << QString::number(GivenWidth(i));
    return widths;
}

void TStatusBar::SetPanelWidths(const QStringList& widths)
{
    Widths.clear();
    for (const QString& width : widths)
        Widths.push_back(width.toInt());
    RebuildPanels();
}

QStringList TStatusBar::PanelRoomTexts() const
{
    return RoomTexts;
}

void TStatusBar::SetPanelRoomTexts(const QStringList& texts)
{
    RoomTexts = texts;
    for (int i = 0; i < PanelCount(); ++i)
        FitPanel(i);
}

bool TStatusBar::LastPanelClips() const
{
    return ClipsLastPanel;
}

void TStatusBar::SetLastPanelClips(bool clips)
{
    ClipsLastPanel = clips;
    if (!Labels.empty())
        FitPanel(PanelCount() - 1);
}

void TStatusBar::RebuildPanels()
{
    for (QLabel* label : Labels) {
        removeWidget(label);
        delete label;
    }
    Labels.clear();
    for (int i = 0; i < Texts.size(); ++i) {
        auto* label = new PanelLabel(Texts[i], this, [this, i] {
            if (i < PanelCount())
                FitPanel(i);
        });
        label->setTextFormat(Qt::PlainText);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        const bool last = i == Texts.size() - 1;
        // The last panel takes what is left of the bar; its minimum is what it needs.
        if (last)
            label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        addWidget(label, last ? 1 : 0);
        Labels.push_back(label);
    }
    for (int i = 0; i < PanelCount(); ++i)
        FitPanel(i);
}

int TStatusBar::NeededWidth(int index) const
{
    QLabel* label = Panel(index);
    const bool hasRoom = index < RoomTexts.size() && !RoomTexts[index].isEmpty();
    return hasRoom ? platform::SizeFor(*label, RoomTexts[index]).width() : label->sizeHint().width();
}

void TStatusBar::FitPanel(int index)
{
    QLabel* label = Panel(index);
    const int given = GivenWidth(index);
    const int fitting = std::max(given, NeededWidth(index));
    if (index < PanelCount() - 1)
        label->setFixedWidth(fitting);
    else
        label->setMinimumWidth(ClipsLastPanel ? given : fitting);
}
