#include "platform/Application.h"
#include "platform/EventGuard.h"
#include "platform/Exceptions.h"

#include "support/TestServices.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

void RunPostedEvents()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

} // namespace

TEST(ExceptionBox, AnExceptionFromATimerIsShownAndTheLoopGoesOn)
{
    InstalledTestServices ui;
    bool laterTimerRan = false;
    QTimer::singleShot(0, [] { throw EFileError(QStringLiteral("Cannot create file \"x.doc\"")); });
    QTimer::singleShot(0, [&] { laterTimerRan = true; });
    RunPostedEvents();

    ASSERT_EQ(ui.Exceptions.size(), 1u);
    EXPECT_EQ(ui.Exceptions[0], QStringLiteral("Cannot create file \"x.doc\""));
    EXPECT_TRUE(laterTimerRan);
}

TEST(ExceptionBox, AnExceptionFromAGuardedClickIsShownAndTheButtonStillWorks)
{
    InstalledTestServices ui;
    QPushButton button(QStringLiteral("Go"));
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, platform::Guarded([&] {
        if (++clicks == 1)
            throw std::runtime_error("first click failed");
    }));
    button.show();
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);

    EXPECT_EQ(clicks, 2);
    ASSERT_EQ(ui.Exceptions.size(), 1u);
    EXPECT_EQ(ui.Exceptions[0], QStringLiteral("first click failed"));
}

TEST(ExceptionBox, ShowsTheMessageOfOursTheTextOfStandardOnesAndNothingElse)
{
    InstalledTestServices ui;
    CommApplication::ShowException(std::make_exception_ptr(EConvertError(QStringLiteral("'a' is not a valid integer value"))));
    CommApplication::ShowException(std::make_exception_ptr(std::out_of_range("index")));
    CommApplication::ShowException(std::make_exception_ptr(42));

    ASSERT_EQ(ui.Exceptions.size(), 3u);
    EXPECT_EQ(ui.Exceptions[0], QStringLiteral("'a' is not a valid integer value"));
    EXPECT_EQ(ui.Exceptions[1], QStringLiteral("index"));
    EXPECT_EQ(ui.Exceptions[2], QString());
}

TEST(ExceptionBox, GuardedHandlersTakeAsManySignalArgumentsAsTheyWant)
{
    InstalledTestServices ui;
    QPushButton button;
    button.setCheckable(true);
    bool seen = false;
    int bare = 0;
    QObject::connect(&button, &QPushButton::toggled, platform::Guarded([&](bool checked) { seen = checked; }));
    QObject::connect(&button, &QPushButton::toggled, platform::Guarded([&] { ++bare; }));
    button.setChecked(true);

    EXPECT_TRUE(seen);
    EXPECT_EQ(bare, 1);
    EXPECT_TRUE(ui.Exceptions.empty());
}
