#include "platform/Exceptions.h"
#include "platform/StatusBar.h"

#include <gtest/gtest.h>

#include <QLabel>

namespace {

// A layout file sets the two properties in either order. Every panel but the
// last keeps its width; the last takes the rest of the bar.
TEST(StatusBar, PanelsComeFromTheLayoutPropertiesInEitherOrder)
{
    const QStringList texts{"Port:", "Settings:", "Command Filename:"};
    const QStringList widths{"80", "120", "50"};
    for (const bool widthsFirst : {true, false}) {
        TStatusBar bar;
        bar.setProperty(widthsFirst ? "panelWidths" : "panelTexts", widthsFirst ? widths : texts);
        bar.setProperty(widthsFirst ? "panelTexts" : "panelWidths", widthsFirst ? texts : widths);
        bar.SetPanelText(0, "Port: a name far wider than its panel");
        bar.resize(600, 30);
        bar.show();
        const QList<QLabel*> panels = bar.findChildren<QLabel*>();
        ASSERT_EQ(panels.size(), 3);
        EXPECT_EQ((QList<int>{panels[0]->width(), panels[1]->width(), bar.PanelWidth(2)}), (QList<int>{80, 120, 50}));
        EXPECT_GE(panels[2]->width(), 50);
        EXPECT_EQ(bar.PanelText(2), "Command Filename:");
        bar.SetPanelText(2, QString(300, QLatin1Char('x')));
        EXPECT_LE(bar.sizeHint().width(), 600);
        // An index that names no panel is the class library's list-index error.
        for (const int index : {-1, 3})
            EXPECT_THROW(bar.SetPanelText(index, "x"), Exception) << index;
    }
}

} // namespace
