#pragma once

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QTest>

enum class ListGesture {
    ArrowKeys,  // Down or Up on the closed box until the item shows
    ListKeys,   // the list opened, the item made current, Enter
    ListMouse,  // the list opened, a click on the item
};

// Chooses the item of the box's list as a user does, in the box's window made active.
inline void ChooseFromList(QComboBox& box, int index, ListGesture gesture)
{
    QApplication::setActiveWindow(box.window());
    box.setFocus(Qt::OtherFocusReason);
    while (gesture == ListGesture::ArrowKeys && box.currentIndex() != index)
        QTest::keyClick(&box, box.currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
    if (gesture == ListGesture::ArrowKeys)
        return;
    box.showPopup();
    QAbstractItemView& list = *box.view();
    const QModelIndex item = list.model()->index(index, box.modelColumn());
    list.setCurrentIndex(item);
    if (gesture == ListGesture::ListKeys)
        QTest::keyClick(&list, Qt::Key_Return);
    else
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(item).center());
}
