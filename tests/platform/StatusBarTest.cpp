#include "platform/Exceptions.h"
#include "platform/StatusBar.h"

#include <gtest/gtest.h>

#include <QLabel>

namespace {

// The order in which a layout file sets the two properties is not fixed.
TEST(StatusBar, PanelsComeFromTheLayoutPropertiesInEitherOrder)
{
    const QStringList texts{"Port:", "Settings:", "Command Filename:"};
    const QStringList widths{"80", "120", "50"};
    TStatusBar widthsFirst;
    widthsFirst.setProperty("panelWidths", widths);
    widthsFirst.setProperty("panelTexts", texts);
    TStatusBar textsFirst;
    textsFirst.setProperty("panelTexts", texts);
    textsFirst.setProperty("panelWidths", widths);

    for (const TStatusBar* bar : {&widthsFirst, &textsFirst}) {
        ASSERT_EQ(bar->PanelCount(), 3);
        EXPECT_EQ(bar->PanelText(2), "Command Filename:");
        EXPECT_EQ(bar->PanelWidth(0), 80);
        EXPECT_EQ(bar->PanelWidth(1), 120);
        EXPECT_EQ(bar->PanelWidth(2), 50);
    }
}

TEST(StatusBar, IndexThatNamesNoPanelRaisesTheListIndexError)
{
    TStatusBar bar;
    bar.SetPanelTexts({"Port:", "Settings:"});
    try {
        bar.SetPanelText(2, "x");
        FAIL() << "no error";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message, "List index out of bounds (2)");
    }
    EXPECT_THROW(bar.PanelText(-1), Exception);
    EXPECT_THROW(bar.PanelWidth(2), Exception);
}

TEST(StatusBar, EarlierPanelsKeepTheirWidthAndTheLastTakesTheRest)
{
    TStatusBar bar;
    bar.SetPanelTexts({"Port: a name far wider than its panel", "Settings:"});
    bar.SetPanelWidths({"80", "120"});
    bar.resize(600, 30);
    bar.show();
    auto* first = bar.findChildren<QLabel*>().value(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->width(), 80);
    bar.SetPanelText(1, QString(300, QLatin1Char('x')));
    EXPECT_LE(bar.sizeHint().width(), 600);
}

} // namespace
