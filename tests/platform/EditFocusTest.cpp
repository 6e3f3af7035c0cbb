#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <functional>

#include <vector>

namespace {

// Each way the focus reaches a box, for a single-line edit and for the edit
// field of a combo box: every way but a click, the return from a menu and the
// return of its window to the front selects the whole text. A window that
// was closed starts afresh at its next showing.
TEST(EditFocus, ABoxSelectsItsWholeTextWhenTheFocusComesOtherThanByAClick)
{
    using Step = std::pair<QEvent::Type, Qt::FocusReason>;
    constexpr auto In = QEvent::FocusIn, Out = QEvent::FocusOut;
    constexpr auto Window = Qt::ActiveWindowFocusReason, Popup = Qt::PopupFocusReason;
    const struct
    {
        const char* Way;
        std::vector<Step> Steps;
        bool ShownWhenLeft;
        bool Selected;
    } cases[] = {
        {"code", {{In, Qt::OtherFocusReason}}, true, true},
        {"Tab", {{In, Qt::TabFocusReason}}, true, true},
        {"shortcut", {{In, Qt::ShortcutFocusReason}}, true, true},
        {"mouse", {{In, Qt::MouseFocusReason}}, true, false},
        {"menu closed", {{Out, Popup}, {In, Popup}}, true, false},
        {"menu bar left", {{Out, Qt::MenuBarFocusReason}, {In, Qt::MenuBarFocusReason}}, true, false},
        {"window shown", {{In, Window}}, true, true},
        {"window back in front", {{Out, Window}, {In, Window}}, true, false},
        {"window closed, shown again", {{Out, Window}, {In, Window}}, false, true},
        {"menu in a window left behind", {{Out, Window}, {Out, Popup}, {In, Window}}, true, false},
        {"control left, window shown", {{Out, Qt::TabFocusReason}, {In, Window}}, true, true},
        {"window left, code", {{Out, Window}, {In, Qt::OtherFocusReason}}, true, true},
    };
    QLineEdit edit;
    QComboBox combo;
    combo.setEditable(true);
    for (QWidget* box : {static_cast<QWidget*>(&edit), static_cast<QWidget*>(&combo)}) {
        QLineEdit& field = box == &edit ? edit : *combo.lineEdit();
        for (const auto& c : cases) {
            box->setVisible(c.ShownWhenLeft);
            field.setText(QStringLiteral("ABC"));
            for (const auto& [type, reason] : c.Steps) {
                QFocusEvent event(type, reason);
                QCoreApplication::sendEvent(box, &event);
            }
            EXPECT_EQ(field.selectedText(), c.Selected ? "ABC" : "") << box->metaObject()->className() << ", " << c.Way;
        }
    }
}

// Every kind of box a key's character acts on, one line or many: an Alt chord
// types nothing, Ctrl+Alt and AltGr (the group switch) type their characters.
// Nor does an Alt chord choose the item of a drop-down list it starts.
TEST(EditFocus, AnAltChordTypesNothingInAnyBoxTheUserTypesInto)
{
    QLineEdit edit;
    QComboBox combo;
    combo.setEditable(true);
    QTextEdit richEdit;
    QPlainTextEdit plainEdit;
    const std::pair<QWidget*, std::function<QString()>> boxes[] = {
        {&edit, [&] { return edit.text(); }},
        {&combo, [&] { return combo.currentText(); }},
        {&richEdit, [&] { return richEdit.toPlainText(); }},
        {&plainEdit, [&] { return plainEdit.toPlainText(); }},
    };
    for (const auto& [box, text] : boxes) {
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_A, QStringLiteral("A"), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_K, QStringLiteral("k"), Qt::AltModifier);
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_Q, QStringLiteral("@"), Qt::ControlModifier | Qt::AltModifier);
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_Bar, QStringLiteral("|"), Qt::GroupSwitchModifier);
        EXPECT_EQ(text().toStdString(), "A@|") << box->metaObject()->className();
    }
    QComboBox shutter;
    shutter.addItems({QStringLiteral("Closed"), QStringLiteral("Open")});
    QTest::sendKeyEvent(QTest::Click, &shutter, Qt::Key_O, QStringLiteral("o"), Qt::AltModifier);
    EXPECT_EQ(shutter.currentText().toStdString(), "Closed");
}

} // namespace
