#pragma once

#include <QStatusBar>
#include <QStringList>

#include <vector>

class QLabel;

// A status bar of fixed panels addressed by index, as the component library
// has it. Every panel but the last keeps its width and clips its text; the
// last one takes its width at least and the rest of the bar. A layout file
// gives the panels through the dynamic properties panelTexts and panelWidths
// (widths as decimal texts, one per panel).
class TStatusBar : public QStatusBar
{
    Q_OBJECT
    Q_PROPERTY(QStringList panelTexts READ PanelTexts WRITE SetPanelTexts)
    Q_PROPERTY(QStringList panelWidths READ PanelWidths WRITE SetPanelWidths)

public:
    explicit TStatusBar(QWidget* parent = nullptr);

    int PanelCount() const;
    // Both throw the class library's list-index error for an index that
    // names no panel.
    QString PanelText(int index) const;
    void SetPanelText(int index, const QString& text);
    int PanelWidth(int index) const;

    QStringList PanelTexts() const;
    void SetPanelTexts(const QStringList& texts);
    QStringList PanelWidths() const;
    void SetPanelWidths(const QStringList& widths);

private:
    QLabel* Panel(int index) const;
    int GivenWidth(int index) const;
    void RebuildPanels();

    QStringList Texts;
    std::vector<int> Widths;
    std::vector<QLabel*> Labels;
};
