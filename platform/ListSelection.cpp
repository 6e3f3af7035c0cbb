#include "platform/ListSelection.h"

#include "platform/EventGuard.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QPointer>

namespace platform {

namespace {

// Keys on the closed box that move its selection.
bool MovesSelection(int key)
{
    return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown
           || key == Qt::Key_Home || key == Qt::Key_End;
}

// Keys in the open list that take its current item.
bool TakesListItem(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Select;
}

// Notes the user's gesture in the event that raises the activation, before
// the box or its list sees that event: the activation arrives while the event
// is being handled, and only one that a choosing gesture started runs the
// handler. Every event that starts another path to an activation (a focus
// leaving, a hide, any other key) clears the note first.
class ListSelection : public QObject
{
public:
    ListSelection(QComboBox* box, std::function<void()> handler)
        : QObject(box), Box(box), Handler(std::move(handler))
    {
        QAbstractItemView* list = box->view();
        box->installEventFilter(this);
        list->installEventFilter(this);
        list->viewport()->installEventFilter(this);
        connect(box, &QComboBox::activated, this, [this] { Activated(); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            Choosing = watched == Box ? MovesSelection(key) : TakesListItem(key);
            break;
        }
        case QEvent::ShortcutOverride:
            // The open list takes Enter before it arrives as a key press.
            if (watched != Box)
                Choosing = TakesListItem(static_cast<QKeyEvent*>(event)->key());
            break;
        case QEvent::Wheel:
            Choosing = watched == Box;
            break;
        case QEvent::MouseButtonRelease:
            Choosing = Box && watched == Box->view()->viewport();
            break;
        case QEvent::FocusOut:
        case QEvent::Hide:
            // The list hides itself before it reports the item taken.
            if (watched == Box)
                Choosing = false;
            break;
        default:
            break;
        }
        return false;
    }

private:
    void Activated()
    {
        const bool chosen = std::exchange(Choosing, false);
        if (chosen && Box && Box->isVisible())
            RunGuarded(Handler);
    }

    QPointer<QComboBox> Box;
    std::function<void()> Handler;
    bool Choosing = false;
};

} // namespace

void OnListSelect(QComboBox* box, std::function<void()> handler)
{
    new ListSelection(box, std::move(handler));
}

} // namespace platform
