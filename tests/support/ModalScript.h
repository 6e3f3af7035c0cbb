#pragma once

#include "platform/Showing.h"

#include <QDialog>
#include <QEvent>
#include <QShowEvent>
#include <QTimer>

#include <deque>
#include <functional>

// Plays the user of a modal dialog, so a test never waits for a person: each
// time the dialog is shown, the next step runs on it from inside its modal
// loop (a step ends the showing, for instance by clicking OK). A showing with
// no step left is cancelled, so a dialog the test did not expect cannot hang
// it either. A restore from minimised is no showing.
class ModalScript : public QObject
{
public:
    using Step = std::function<void(QDialog&)>;

    explicit ModalScript(QDialog& dialog) : Dialog(dialog) { Dialog.installEventFilter(this); }
    ~ModalScript() override { Dialog.removeEventFilter(this); }
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    ModalScript& Then(Step step)
    {
        Steps.push_back(std::move(step));
        return *this;
    }
    int Showings() const { return ShowingCount; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &Dialog && event->type() == QEvent::Show
            && platform::BeginsShowing(static_cast<const QShowEvent&>(*event))) {
            ++ShowingCount;
            // The show event comes before exec() enters its loop; the answer
            // has to come from inside that loop.
            QTimer::singleShot(0, this, [this] { Answer(); });
        }
        return false;
    }

private:
    void Answer()
    {
        if (!Dialog.isVisible())
            return;
        if (Steps.empty()) {
            Dialog.reject();
            return;
        }
        const Step step = std::move(Steps.front());
        Steps.pop_front();
        step(Dialog);
    }

    QDialog& Dialog;
    std::deque<Step> Steps;
    int ShowingCount = 0;
};
