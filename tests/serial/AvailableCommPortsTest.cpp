#include "serial/AvailableCommPorts.h"

#include "support/WindowFixture.h"

#include <QTableWidget>

using PortList = WindowFixture;

// Nothing in the system shows or fills the window: it only has to exist, hidden and empty.
TEST_F(PortList, IsCreatedHiddenAndEmpty)
{
    const QTableWidget& list = *frmAvailableCommPorts->ValueListEditor1;
    EXPECT_EQ(std::tuple(frmAvailableCommPorts->isVisible(), frmAvailableCommPorts->windowTitle(), list.rowCount(),
                         list.horizontalHeaderItem(0)->text(), list.horizontalHeaderItem(1)->text()),
              std::tuple(false, QString("Mapping Comm Devices"), 0, QString("Comm Port"), QString("Device")));
}
