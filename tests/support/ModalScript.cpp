#include "support/ModalScript.h"

#include <QDialog>
#include <QEvent>
#include <QTimer>

ModalScript::ModalScript(QDialog& dialog) : Dialog(dialog)
{
    Dialog.installEventFilter(this);
}

ModalScript::~ModalScript()
{
    Dialog.removeEventFilter(this);
}

ModalScript& ModalScript::Then(Step step)
{
    Steps.push_back(std::move(step));
    return *this;
}

bool ModalScript::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &Dialog && event->type() == QEvent::Show) {
        ++ShowingCount;
        // The show event comes before exec() enters its loop; the answer has
        // to come from inside that loop.
        QTimer::singleShot(0, this, [this] { Answer(); });
    }
    return false;
}

void ModalScript::Answer()
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
