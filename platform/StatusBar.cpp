#include "platform/StatusBar.h"

#include "platform/Exceptions.h"

#include <QLabel>

namespace {

constexpr int DefaultPanelWidth = 50;

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

void TStatusBar::RebuildPanels()
{
    for (QLabel* label : Labels) {
        removeWidget(label);
        delete label;
    }
    Labels.clear();
    for (int i = 0; i < Texts.size(); ++i) {
        auto* label = new QLabel(Texts[i], this);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        const bool last = i == Texts.size() - 1;
        if (last) {
            // A long text must not widen the window: the last panel only takes what is left.
            label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            label->setMinimumWidth(GivenWidth(i));
        } else {
            label->setFixedWidth(GivenWidth(i));
        }
        addWidget(label, last ? 1 : 0);
        Labels.push_back(label);
    }
}
