#include "serial/AvailableCommPorts.h"

TfrmAvailableCommPorts* frmAvailableCommPorts = nullptr;

TfrmAvailableCommPorts::TfrmAvailableCommPorts(QWidget* parent)
    : QWidget(parent,
              Qt::Window | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
              | Qt::WindowCloseButtonHint)
{
    setupUi(this);
}
