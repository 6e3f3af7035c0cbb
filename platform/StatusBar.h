#pragma once

#include <QStatusBar>
#include <QStringList>

#include <vector>

class QLabel;

// A status bar of panels addressed by index, as the component library has
// it. A panel is as wide as its given width, and wider where its text needs
// more at the bar's font, so that the text is seen whole whatever the
// desktop's font; the last panel also takes the rest of the bar. In a bar
// whose last panel names a file (lastPanelClips), that panel keeps to its
// given width at least and clips a longer text, so that a long name never
// widens its window. A layout file gives the panels through the dynamic
// properties panelTexts and panelWidths (widths as decimal texts, one per
// panel) and lastPanelClips.
class TStatusBar : public QStatusBar
{
    Q_OBJECT
    Q_PROPERTY(QStringList panelTexts READ PanelTexts WRITE SetPanelTexts)
    Q_PROPERTY(QStringList panelWidths READ PanelWidths WRITE SetPanelWidths)
    Q_PROPERTY(bool lastPanelClips READ LastPanelClips WRITE SetLastPanelClips)

public:
    explicit TStatusBar(QWidget* parent = nullptr);

    int PanelCount() const;
    // Both throw the class library's list-index error for an index that
    // names no panel.
    QString PanelText(int index) const;
    void SetPanelText(int index, const QString& text);
    // The width the layout gives the panel, the least it takes.
    int PanelWidth(int index) const;

    QStringList PanelTexts() const;
    void SetPanelTexts(const QStringList& texts);
    QStringList PanelWidths() const;
    void SetPanelWidths(const QStringList& widths);
    bool LastPanelClips() const;
    void SetLastPanelClips(bool clips);

private:
    QLabel* Panel(int index) const;
    int GivenWidth(int index) const;
    void RebuildPanels();
    void FitPanel(int index);

    QStringList Texts;
    std::vector<int> Widths;
    std::vector<QLabel*> Labels;
    bool ClipsLastPanel = false;
};
