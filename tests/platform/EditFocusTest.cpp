#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <vector>

namespace {

struct FocusStep
{
    QEvent::Type Type;
    Qt::FocusReason Reason;
};

void Deliver(QWidget& box, const std::vector<FocusStep>& steps)
{
    for (const FocusStep& step : steps) {
        QFocusEvent event(step.Type, step.Reason);
        QCoreApplication::sendEvent(&box, &event);
    }
}

// Each way the focus reaches a box, for a single-line edit and for the edit
// field of a combo box: every way but a click, the return from a menu and the
// return of its window to the front selects the whole text. A window that
// was closed starts afresh at its next showing.
TEST(EditFocus, ABoxSelectsItsWholeTextWhenTheFocusComesOtherThanByAClick)
{
    constexpr auto In = QEvent::FocusIn;
    constexpr auto Out = QEvent::FocusOut;
    const struct
    {
        const char* Way;
        std::vector<FocusStep> Steps;
        bool ShownWhenLeft;
        bool Selected;
    } cases[] = {
        {"code", {{In, Qt::OtherFocusReason}}, true, true},
        {"Tab", {{In, Qt::TabFocusReason}}, true, true},
        {"Backtab", {{In, Qt::BacktabFocusReason}}, true, true},
        {"shortcut", {{In, Qt::ShortcutFocusReason}}, true, true},
        {"mouse", {{In, Qt::MouseFocusReason}}, true, false},
        {"menu closed", {{Out, Qt::PopupFocusReason}, {In, Qt::PopupFocusReason}}, true, false},
        {"menu bar left", {{Out, Qt::MenuBarFocusReason}, {In, Qt::MenuBarFocusReason}}, true, false},
        {"window shown", {{In, Qt::ActiveWindowFocusReason}}, true, true},
        {"window back in front", {{Out, Qt::ActiveWindowFocusReason}, {In, Qt::ActiveWindowFocusReason}}, true, false},
        {"window closed, shown again", {{Out, Qt::ActiveWindowFocusReason}, {In, Qt::ActiveWindowFocusReason}},
         false, true},
        {"menu in a window left behind",
         {{Out, Qt::ActiveWindowFocusReason}, {Out, Qt::PopupFocusReason}, {In, Qt::ActiveWindowFocusReason}}, true,
         false},
        {"control left, window shown",
         {{Out, Qt::TabFocusReason}, {In, Qt::ActiveWindowFocusReason}}, true, true},
        {"window left, code", {{Out, Qt::ActiveWindowFocusReason}, {In, Qt::OtherFocusReason}}, true, true},
    };
    QLineEdit edit;
    QComboBox combo;
    combo.setEditable(true);
    for (QWidget* box : {static_cast<QWidget*>(&edit), static_cast<QWidget*>(&combo)}) {
        QLineEdit& field = box == &edit ? edit : *combo.lineEdit();
        for (const auto& c : cases) {
            box->setVisible(c.ShownWhenLeft);
            field.setText(QStringLiteral("ABC"));
            Deliver(*box, c.Steps);
            EXPECT_EQ(field.selectedText(), c.Selected ? "ABC" : "") << box->metaObject()->className() << ", " << c.Way;
        }
    }
}

} // namespace
