#pragma once

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <optional>
#include <ostream>

// True once the window is the application's active window; false when it has
// not become it within five seconds.
inline bool BecomesActive(QWidget& window)
{
    return QTest::qWaitFor([&window] { return QApplication::activeWindow() == &window; }, 5000);
}

// How a modal box stood while it was open, read from inside its modal loop.
struct BoxStanding
{
    QWidget* Owner = nullptr;
    bool StaysOnTop = false;
    bool Minimisable = true;
    bool TransientForOneWindow = true;
    bool ApplicationModal = false;
    bool Active = false;

    bool operator==(const BoxStanding&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const BoxStanding& s)
{
    return out << "owner " << s.Owner << ", on top " << s.StaysOnTop << ", minimisable " << s.Minimisable
               << ", transient for one window " << s.TransientForOneWindow << ", application modal "
               << s.ApplicationModal << ", active " << s.Active;
}

// Plays the user of the next box or dialog the program opens: notes how it
// stands once it is up, then cancels it.
class NextBox : public QObject
{
public:
    NextBox() { qApp->installEventFilter(this); }
    ~NextBox() override { qApp->removeEventFilter(this); }

    std::optional<BoxStanding> Seen;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* box = qobject_cast<QDialog*>(watched);
        if (event->type() == QEvent::Show && box != nullptr && box->isWindow() && !Noted) {
            Noted = true;
            QTimer::singleShot(0, this, [this, box] { Note(*box); });
        }
        return false;
    }

private:
    void Note(QDialog& box)
    {
        const bool active = BecomesActive(box);
        const Qt::WindowFlags flags = box.windowFlags();
        Seen = BoxStanding{box.parentWidget(), flags.testFlag(Qt::WindowStaysOnTopHint),
                           flags.testFlag(Qt::WindowMinimizeButtonHint),
                           box.windowHandle()->transientParent() != nullptr,
                           box.windowModality() == Qt::ApplicationModal, active};
        box.reject();
    }

    bool Noted = false;
};
