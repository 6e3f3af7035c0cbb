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

// Created hidden and empty. Each row grows the window by its height; closing
// takes every row and the growth back. Writing names the device of a listed row only.
TEST_F(PortList, RowsGrowTheWindowAndClosingTakesThemAllBack)
{
    EXPECT_FALSE(Window().isVisible());
    EXPECT_EQ(Window().windowTitle(), "Mapping Comm Devices");
    EXPECT_EQ(QStringList({List().horizontalHeaderItem(0)->text(), List().horizontalHeaderItem(1)->text()}),
              QStringList({"Comm Port", "Device"}));
    Window().show();
    EXPECT_EQ(Window().height(), 62);
    Window().AddCommPort("COM1", "Serial A");
    Window().AddCommPort("COM3", "Serial B");
    EXPECT_EQ(Window().height(), 62 + 2 * 18);
    for (const int row : {0, 2, -1})
        Window().WriteValue(row, "Controller");
    EXPECT_EQ(Keys(), QStringList({"COM1=Controller", "COM3=Serial B"}));
    Window().close();
    EXPECT_EQ(std::tuple(List().rowCount(), Window().height()), std::tuple(0, 62));
}

// Down on the last row adds one below, Insert adds one above, Delete alone
// keeps the row and Ctrl+Delete removes it.
TEST_F(PortList, RowsAreAddedAndDeletedFromTheKeyboard)
{
    Window().AddCommPort("COM1", "A");
    Window().show();
    FocusControl(List());
    List().setCurrentCell(0, 0);
    QTest::keyClick(&List(), Qt::Key_Down);
    EXPECT_EQ(std::tuple(List().rowCount(), List().currentRow()), std::tuple(2, 1));
    List().setCurrentCell(0, 0);
    QTest::keyClick(&List(), Qt::Key_Insert);
    EXPECT_EQ(Keys(), QStringList({"=", "COM1=A", "="}));
    QTest::keyClick(&List(), Qt::Key_Delete);
    EXPECT_EQ(List().rowCount(), 3);
    List().setCurrentCell(1, 0);
    QTest::keyClick(&List(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Keys(), QStringList({"=", "="}));
}

} // namespace
