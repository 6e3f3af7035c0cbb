#include "panels/PanelWindow.h"

#include "platform/EventGuard.h"
#include "platform/Showing.h"
#include "terminal/Main.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>

namespace panels {

PanelWindow::PanelWindow(QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags | Qt::Window)
{
}

void PanelWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    platform::OnShowing(*event, [this] { FormShow(); });
}

void PanelWindow::closeEvent(QCloseEvent* event)
{
    platform::RunGuarded([this] { FormClose(); });
    event->accept();
}

void RestoreCommTerminal()
{
    if (CommTermForm == nullptr || CommTermForm->ShowCommTerminal1->isChecked())
        return;
    CommTermForm->setWindowState(CommTermForm->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
}

QLabel* EditLabel(const QLineEdit& edit)
{
    if (edit.parentWidget() == nullptr)
        return nullptr;
    for (auto* label : edit.parentWidget()->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (label->buddy() == &edit)
            return label;
    }
    return nullptr;
}

void SetLabelledEditVisible(QLineEdit& edit, bool visible)
{
    edit.setVisible(visible);
    if (QLabel* label = EditLabel(edit))
        label->setVisible(visible);
}

} // namespace panels
