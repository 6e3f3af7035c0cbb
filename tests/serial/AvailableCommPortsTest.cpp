#include "serial/AvailableCommPorts.h"

#include "support/WindowFixture.h"

#include <QHeaderView>
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

TEST_F(PortList, CreatedHiddenWithItsLayout)
{
    ASSERT_NE(frmAvailableCommPorts, nullptr);
    EXPECT_FALSE(Window().isVisible());
    EXPECT_EQ(Window().windowTitle(), "Mapping Comm Devices");
    EXPECT_EQ(Window().size(), QSize(328, 84));
    EXPECT_TRUE(Window().windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(Window().windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(Window().windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(List().rowCount(), 0);
    EXPECT_EQ(List().horizontalHeaderItem(0)->text(), "Comm Port");
    EXPECT_EQ(List().horizontalHeaderItem(1)->text(), "Device");
    EXPECT_EQ(List().columnWidth(0), 75);
}

TEST_F(PortList, RowsGrowTheWindowAndClosingTakesThemAllBack)
{
    Window().show();
    EXPECT_EQ(Window().height(), 62);

    Window().AddCommPort("COM1", "Serial A");
    Window().AddCommPort("COM3", "Serial B");
    EXPECT_EQ(Window().height(), 62 + 2 * 18);
    ASSERT_EQ(List().rowCount(), 2);
    EXPECT_EQ(Cell(1, 0), "COM3");
    EXPECT_EQ(Cell(1, 1), "Serial B");

    Window().close();
    EXPECT_EQ(List().rowCount(), 0);
    EXPECT_EQ(Window().height(), 62);
}

TEST_F(PortList, WriteValueNamesTheDeviceOfAListedRowOnly)
{
    Window().AddCommPort("COM1", "");
    Window().AddCommPort("COM2", "");
    Window().WriteValue(0, "Controller");
    Window().WriteValue(2, "Nowhere");
    Window().WriteValue(-1, "Nowhere");

    EXPECT_EQ(Cell(0, 0), "COM1");
    EXPECT_EQ(Cell(0, 1), "Controller");
    EXPECT_EQ(Cell(1, 1), "");
    EXPECT_EQ(List().rowCount(), 2);
}

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
    EXPECT_EQ(Cell(0, 0), "");
    EXPECT_EQ(Cell(1, 0), "");
}

} // namespace
