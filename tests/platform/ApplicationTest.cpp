#include "platform/Application.h"
#include "platform/EventGuard.h"
#include "platform/Exceptions.h"

#include "support/TestServices.h"

#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <stdexcept>

// What escapes an event is caught at its dispatch, and what escapes a guarded
// handler (which gets the signal's arguments) at its edge, and shown: the
// message of ours, the text of a standard exception, nothing for anything
// else. The loop goes on with the next event.
TEST(ExceptionBox, WhatEscapesAnEventOrAGuardedHandlerIsShownAndTheLoopGoesOn)
{
    InstalledTestServices ui;
    QPushButton button;
    button.setCheckable(true);
    std::vector<bool> states;
    QObject::connect(&button, &QPushButton::toggled, platform::Guarded([&](bool checked) {
        states.push_back(checked);
        if (states.size() == 1)
            throw std::runtime_error("first click failed");
    }));
    QTimer::singleShot(0, [] { throw EFileError(QStringLiteral("Cannot create file \"x.doc\"")); });
    QTimer::singleShot(0, [] { throw std::out_of_range("index"); });
    QTimer::singleShot(0, [] { throw 42; });
    QTimer::singleShot(0, [&] { button.click(); });
    QTimer::singleShot(0, [&] { button.click(); });
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(ui.Exceptions,
              (std::vector<QString>{"Cannot create file \"x.doc\"", "index", QString(), "first click failed"}));
    EXPECT_EQ(states, (std::vector<bool>{true, false}));
}
