#include "serial/AvailableCommPorts.h"

#include "support/WindowFixture.h"

#include <QTableWidget>
#include <QTest>

namespace {

class PortList : public WindowFixture
{
protected:
    TfrmAvailableCommPorts& Window() const { return *frmAvailableCommPorts; }
    QTableWidget& List() const { return *frmAvailableCommPorts->ValueListEditor1; }
    QStringList Keys() const
    {
        QStringList keys;
        for (int row = 0; row < List().rowCount(); ++row)
            keys << (List().item(row, 0) ? List().item(row, 0)->text() : QString()) + "="
                        + (List().item(row, 1) ? List().item(row, 1)->text() : QString());
        return keys;
    }
};

// Created hidden and empty. Each added row grows the window by its height;
// writing names the device of a listed row only. From the keyboard: Down on the last row adds one below, Insert
// one above, Delete alone keeps the row and Ctrl+Delete removes it.
TEST_F(PortList, RowsGrowTheWindowAndAreEditedFromTheKeyboard)
{
    EXPECT_EQ(std::tuple(Window().isVisible(), Window().windowTitle(), List().horizontalHeaderItem(0)->text(),
                         List().horizontalHeaderItem(1)->text()),
              std::tuple(false, QString("Mapping Comm Devices"), QString("Comm Port"), QString("Device")));
    Window().show();
    EXPECT_EQ(Window().height(), 62);
    Window().AddCommPort("COM1", "Serial A");
    Window().AddCommPort("COM3", "Serial B");
    EXPECT_EQ(Window().height(), 62 + 2 * 18);
    for (const int row : {0, 2, -1})
        Window().WriteValue(row, "Controller");
    EXPECT_EQ(Keys(), QStringList({"COM1=Controller", "COM3=Serial B"}));
    FocusControl(List());
    List().setCurrentCell(1, 0);
    QTest::keyClick(&List(), Qt::Key_Down);
    EXPECT_EQ(std::tuple(List().rowCount(), List().currentRow()), std::tuple(3, 2));
    List().setCurrentCell(0, 0);
    QTest::keyClick(&List(), Qt::Key_Insert);
    QTest::keyClick(&List(), Qt::Key_Delete);
    EXPECT_EQ(Keys(), QStringList({"=", "COM1=Controller", "COM3=Serial B", "="}));
    List().setCurrentCell(1, 0);
    QTest::keyClick(&List(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Keys(), QStringList({"=", "COM3=Serial B", "="}));
    // Closing shrinks the window by a row's height for each row, also for the
    // rows the keyboard added without growing it.
    Window().close();
    EXPECT_EQ(std::tuple(List().rowCount(), Window().height()), std::tuple(0, 62 + 2 * 18 - 3 * 18));
}

} // namespace
