#pragma once

#include <QStatusBar>
#include <QStringList>

#include <vector>

class QLabel;

// A status bar of panels addressed by index, as the component library has
// it. A panel is as wide as its given width, and wider where its text needs
// more at the bar's font, so that the text is seen whole whatever the
// desktop's font; the last panel also takes the rest of the bar. A panel
// whose text may hold something from outside (a number read from a file) has
// a room text instead, the widest text the program puts there: it is as wide
// as that text needs, whatever it shows, and a longer text is cut at its
// edge. In a bar whose last panel names a file (lastPanelClips), that panel
// keeps to its given width at least and clips a longer text, so that a long
// name never widens its window. Texts are shown as they stand, never read as
// markup. A layout file gives the panels through the dynamic properties
// panelTexts, panelWidths (widths as decimal texts, one per panel),
// panelRoomTexts (empty for a panel that fits its text) and lastPanelClips.
class TStatusBar : public QStatusBar
{
    Q_OBJECT
    Q_PROPERTY(QStringList panelTexts READ PanelTexts WRITE SetPanelTexts)
    Q_PROPERTY(QStringList panelWidths READ PanelWidths WRITE SetPanelWidths)
    Q_PROPERTY(QStringList panelRoomTexts READ PanelRoomTexts WRITE SetPanelRoomTexts)
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
    QStringList PanelRoomTexts() const;
    void SetPanelRoomTexts(const QStringList& texts);
    bool LastPanelClips() const;
    void SetLastPanelClips(bool clips);

private:
    QLabel* Panel(int index) const;
    int GivenWidth(int index) const;
    int NeededWidth(int index) const;
    void RebuildPanels();
    void FitPanel(int index);

    QStringList Texts;
    std::vector<int> Widths;
    QStringList RoomTexts;
    std::vector<QLabel*> Labels;
    bool ClipsLastPanel = false;
};
