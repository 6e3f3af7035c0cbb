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

    QString Cell(int row, int column) const
    {
        const QTableWidgetItem* item = List().item(row, column);
        return item ? item->text() : QString();
    }
};

TEST_F(PortList, CreatedHiddenAndEmpty)
{
    EXPECT_FALSE(Window().isVisible());
    EXPECT_EQ(Window().windowTitle(), "Mapping Comm Devices");
    EXPECT_EQ(List().rowCount(), 0);
    EXPECT_EQ(List().horizontalHeaderItem(0)->text(), "Comm Port");
    EXPECT_EQ(List().horizontalHeaderItem(1)->text(), "Device");
}

// Each row grows the window by its height; closing takes every row and the
// growth back. Writing names the device of a listed row only.
TEST_F(PortList, RowsGrowTheWindowAndClosingTakesThemAllBack)
{
    Window().show();
    EXPECT_EQ(Window().height(), 62);
    Window().AddCommPort("COM1", "Serial A");
    Window().AddCommPort("COM3", "Serial B");
    EXPECT_EQ(Window().height(), 62 + 2 * 18);
    Window().WriteValue(0, "Controller");
    Window().WriteValue(2, "Nowhere");
    Window().WriteValue(-1, "Nowhere");
    ASSERT_EQ(List().rowCount(), 2);
    EXPECT_EQ(QStringList({Cell(0, 0), Cell(0, 1), Cell(1, 0), Cell(1, 1)}),
              QStringList({"COM1", "Controller", "COM3", "Serial B"}));

    Window().close();
    EXPECT_EQ(List().rowCount(), 0);
    EXPECT_EQ(Window().height(), 62);
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
    EXPECT_EQ(List().rowCount(), 2);
    EXPECT_EQ(List().currentRow(), 1);

    List().setCurrentCell(0, 0);
    QTest::keyClick(&List(), Qt::Key_Insert);
    ASSERT_EQ(List().rowCount(), 3);
    EXPECT_EQ(Cell(1, 0), "COM1");

    QTest::keyClick(&List(), Qt::Key_Delete);
    EXPECT_EQ(List().rowCount(), 3);
    List().setCurrentCell(1, 0);
    QTest::keyClick(&List(), Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(List().rowCount(), 2);
    EXPECT_EQ(Cell(0, 0) + Cell(1, 0), "");
}

} // namespace
