#include "platform/PopupMenu.h"

#include "platform/EditActions.h"
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

void AddEditEntries(QMenu& menu, bool withKeys)
{
    struct Entry
    {
        const char* Caption;
        const char* Keys;
        EditCommand Command;
    };
    static constexpr Entry entries[] = {
        {"Cu&t", "\tCtrl+X", EditCommand::Cut},
        {"&Copy", "\tCtrl+C", EditCommand::Copy},
        {"&Paste", "\tCtrl+V", EditCommand::Paste},
    };
    for (const Entry& entry : entries) {
        const QString caption = QString::fromLatin1(entry.Caption) + (withKeys ? QString::fromLatin1(entry.Keys) : QString());
        const EditCommand command = entry.Command;
        QObject::connect(menu.addAction(caption), &QAction::triggered, &menu,
                         [command] { EditFocusedControl(command); });
    }
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
