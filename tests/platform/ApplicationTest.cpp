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

TEST(ExceptionBox, AnExceptionFromATimerIsShownAndTheLoopGoesOn)
{
    InstalledTestServices ui;
    bool laterTimerRan = false;
    QTimer::singleShot(0, [] { throw EFileError(QStringLiteral("Cannot create file \"x.doc\"")); });
    QTimer::singleShot(0, [&] { laterTimerRan = true; });
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();

    EXPECT_EQ(ui.Exceptions, std::vector<QString>{"Cannot create file \"x.doc\""});
    EXPECT_TRUE(laterTimerRan);
}

TEST(ExceptionBox, AGuardedHandlerGetsTheSignalsArgumentsAndItsFailureIsShown)
{
    InstalledTestServices ui;
    QPushButton button(QStringLiteral("Go"));
    button.setCheckable(true);
    std::vector<bool> states;
    QObject::connect(&button, &QPushButton::toggled, platform::Guarded([&](bool checked) {
        states.push_back(checked);
        if (states.size() == 1)
            throw std::runtime_error("first click failed");
    }));
    button.show();
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);

    EXPECT_EQ(states, (std::vector<bool>{true, false}));
    EXPECT_EQ(ui.Exceptions, std::vector<QString>{"first click failed"});
}

TEST(ExceptionBox, ShowsTheMessageOfOursTheTextOfStandardOnesAndNothingElse)
{
    InstalledTestServices ui;
    CommApplication::ShowException(std::make_exception_ptr(EConvertError(QStringLiteral("'a' is not a valid integer value"))));
    CommApplication::ShowException(std::make_exception_ptr(std::out_of_range("index")));
    CommApplication::ShowException(std::make_exception_ptr(42));

    EXPECT_EQ(ui.Exceptions, (std::vector<QString>{"'a' is not a valid integer value", "index", QString()}));
}
