#pragma once

#include <QApplication>

#include <exception>

// The application object. An exception that escapes an event handler is caught
// at event dispatch and shown in the standard exception box; the program goes on.
class CommApplication : public QApplication
{
public:
    CommApplication(int& argc, char** argv);
    ~CommApplication() override;
    bool notify(QObject* receiver, QEvent* event) override;

    // Shows an escaped exception the way the class library does: its message,
    // or an empty message for anything that is not one of ours.
    static void ShowException(const std::exception_ptr& error);
};
