#include "platform/PopupMenu.h"

#include "platform/EventGuard.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QMenu>

namespace platform {

QAction* AddMenuEntry(QMenu& menu, const QString& name, const QString& caption,
                      std::function<void()> handler)
{
    QAction* entry = menu.addAction(caption);
    entry->setObjectName(name);
    QObject::connect(entry, &QAction::triggered, &menu, Guarded(std::move(handler)));
    return entry;
}

void AttachPopupMenu(QWidget& control, QMenu& menu)
{
    control.setContextMenuPolicy(Qt::CustomContextMenu);
    QWidget* origin = &control;
    if (auto* area = qobject_cast<QAbstractScrollArea*>(&control))
        origin = area->viewport();
    QObject::connect(&control, &QWidget::customContextMenuRequested, &menu,
                     [origin, &menu](const QPoint& at) { menu.popup(origin->mapToGlobal(at)); });
}

} // namespace platform
