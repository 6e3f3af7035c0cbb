#include "platform/Showing.h"

#include <QShowEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

namespace {

// A window that counts its showings.
class ShownWindow : public QWidget
{
public:
    int Showings = 0;

protected:
    void showEvent(QShowEvent* event) override
    {
        QWidget::showEvent(event);
        platform::OnShowing(*event, [this] { ++Showings; });
    }
};

// Only the program's own show begins a showing; the window system giving back
// a minimised window begins none.
TEST(Showing, BeginsWhenTheProgramShowsTheWindowNotWhenItIsRestoredFromMinimised)
{
    struct Row { const char* Step; std::function<void(QWidget&)> Do; int Showings; bool Visible; };
    const Row rows[] = {
        {"shown", [](QWidget& w) { w.show(); }, 1, true},
        {"minimised", [](QWidget& w) { w.setWindowState(Qt::WindowMinimized); }, 1, true},
        {"restored", [](QWidget& w) { w.setWindowState(Qt::WindowNoState); }, 1, true},
        {"minimised again", [](QWidget& w) { w.showMinimized(); }, 1, true},
        {"restored again", [](QWidget& w) { w.showNormal(); }, 1, true},
        {"hidden", [](QWidget& w) { w.hide(); }, 1, false},
        {"shown again", [](QWidget& w) { w.show(); }, 2, true},
    };
    ShownWindow window;
    for (const Row& row : rows) {
        row.Do(window);
        EXPECT_EQ(std::pair(window.Showings, window.isVisible()), std::pair(row.Showings, row.Visible)) << row.Step;
    }
}

} // namespace
