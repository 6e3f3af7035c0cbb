#pragma once

#include "ui_AvailableCommPorts.h"

#include <QWidget>

// A list of serial ports with the device found on each. It is created with the
// other windows but nothing shows or fills it: the port scan lists the ports in
// the main window's port box instead.
class TfrmAvailableCommPorts : public QWidget, private Ui::TfrmAvailableCommPorts
{
    Q_OBJECT

public:
    explicit TfrmAvailableCommPorts(QWidget* parent = nullptr);

    using Ui::TfrmAvailableCommPorts::ValueListEditor1;

    // The window grows by one row's height for each port listed.
    void AddCommPort(const QString& port, const QString& device);
    // Writes the device text of the port listed at row (from 0).
    void WriteValue(int row, const QString& text);

    void FormShow();
    void FormClose();

    static constexpr int RowHeight = 18;
    static constexpr int ShownHeight = 62;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void SetUpColumns();
    void ValueListEditor1KeyDown(int& key, Qt::KeyboardModifiers shift);
    void SetRow(int row, const QString& port, const QString& device);
    void GrowBy(int pixels);
};

extern TfrmAvailableCommPorts* frmAvailableCommPorts;
