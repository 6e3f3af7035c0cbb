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
};

extern TfrmAvailableCommPorts* frmAvailableCommPorts;
