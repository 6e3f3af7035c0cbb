#include "platform/Application.h"

#include "platform/EditFocus.h"
#include "platform/Exceptions.h"
#include "platform/Services.h"
#include "platform/WindowThread.h"

CommApplication::CommApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    platform::BeginWindowThread();
    platform::KeepEditBoxHabits(*this);
}

CommApplication::~CommApplication()
{
    platform::EndWindowThread();
}

bool CommApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowException(std::current_exception());
        return false;
    }
}

void CommApplication::ShowException(const std::exception_ptr& error)
{
    QString message;
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        message = e.Message;
    } catch (const std::exception& e) {
        message = QString::fromLocal8Bit(e.what());
    } catch (...) {
    }
    platform::Services().ShowException(message);
}
