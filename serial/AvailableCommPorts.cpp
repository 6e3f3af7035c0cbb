#include "serial/AvailableCommPorts.h"

#include "platform/ControlEvents.h"
#include "platform/EventGuard.h"
#include "platform/Showing.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QShowEvent>
#include <QTableWidgetItem>

TfrmAvailableCommPorts* frmAvailableCommPorts = nullptr;

namespace {

constexpr int PortColumn = 0;
constexpr int DeviceColumn = 1;
constexpr int InsertKey = 45;
constexpr int DeleteKey = 46;
constexpr int DownKey = 40;

} // namespace

TfrmAvailableCommPorts::TfrmAvailableCommPorts(QWidget* parent)
    : QWidget(parent,
              Qt::Window | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
              | Qt::WindowCloseButtonHint)
{
    setupUi(this);
    SetUpColumns();
    platform::ControlEvents::Of(ValueListEditor1).OnKeyDown =
        [this](int& key, Qt::KeyboardModifiers shift) { ValueListEditor1KeyDown(key, shift); };
}

void TfrmAvailableCommPorts::SetUpColumns()
{
    ValueListEditor1->setColumnWidth(PortColumn, 75);
    ValueListEditor1->setColumnWidth(DeviceColumn, 237);
    ValueListEditor1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
}

// Insert adds a row above the current one, Down on the last row adds one
// below it, Ctrl+Delete removes the current row.
void TfrmAvailableCommPorts::ValueListEditor1KeyDown(int& key, Qt::KeyboardModifiers shift)
{
    const int current = ValueListEditor1->currentRow();
    const int rows = ValueListEditor1->rowCount();
    if (key == InsertKey) {
        ValueListEditor1->insertRow(current < 0 ? rows : current);
        key = 0;
    } else if (key == DownKey && current == rows - 1) {
        ValueListEditor1->insertRow(rows);
        ValueListEditor1->setCurrentCell(rows, ValueListEditor1->currentColumn());
        key = 0;
    } else if (key == DeleteKey && (shift & Qt::ControlModifier) && current >= 0) {
        ValueListEditor1->removeRow(current);
        key = 0;
    }
}

void TfrmAvailableCommPorts::SetRow(int row, const QString& port, const QString& device)
{
    ValueListEditor1->setItem(row, PortColumn, new QTableWidgetItem(port));
    ValueListEditor1->setItem(row, DeviceColumn, new QTableWidgetItem(device));
}

void TfrmAvailableCommPorts::GrowBy(int pixels)
{
    resize(width(), height() + pixels);
}

void TfrmAvailableCommPorts::AddCommPort(const QString& port, const QString& device)
{
    const int row = ValueListEditor1->rowCount();
    ValueListEditor1->insertRow(row);
    SetRow(row, port, device);
    GrowBy(RowHeight);
}

// A row that is not listed has nothing to write into.
void TfrmAvailableCommPorts::WriteValue(int row, const QString& text)
{
    if (row < 0 || row >= ValueListEditor1->rowCount())
        return;
    ValueListEditor1->setItem(row, DeviceColumn, new QTableWidgetItem(text));
    repaint();
}

void TfrmAvailableCommPorts::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    platform::OnShowing(*event, [this] { FormShow(); });
}

void TfrmAvailableCommPorts::FormShow()
{
    resize(width(), ShownHeight);
}

void TfrmAvailableCommPorts::closeEvent(QCloseEvent* event)
{
    platform::RunGuarded([this] { FormClose(); });
    QWidget::closeEvent(event);
}

void TfrmAvailableCommPorts::FormClose()
{
    for (int row = ValueListEditor1->rowCount() - 1; row >= 0; --row) {
        ValueListEditor1->removeRow(row);
        GrowBy(-RowHeight);
    }
}
