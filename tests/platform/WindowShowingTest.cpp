#include "platform/Services.h"
#include "platform/WindowShowing.h"

#include "support/NextBox.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// With a stay-on-top panel open and active, every box and dialog comes up in
// the stay-on-top layer, transient for the program as a whole rather than for
// one window, application modal, without a minimise button, and active. A box
// is centred on its caller's window while the user sees it, else on the
// active window.
TEST(ModalBoxes, ComeUpAboveEveryWindowOfTheProgramWithTheFocus)
{
    QWidget main;
    QWidget hidden;
    QWidget panel(nullptr, Qt::Window | Qt::WindowStaysOnTopHint);
    QDialog dialog(&main);
    main.show();
    panel.show();
    platform::BringToFront(panel);
    ASSERT_TRUE(BecomesActive(panel));
    platform::FileDialogRequest request;
    request.Filter = QStringLiteral("All Files (*.*)|*.*");
    platform::UiServices& services = platform::Services();
    const std::pair<const char*, std::function<void()>> boxes[] = {
        {"exception box", [&] { services.ShowException(QStringLiteral("failed")); }},
        {"message of the panel", [&] { services.ShowMessage(&panel, "T", "text", platform::MessageIcon::Error); }},
        {"message of a hidden window",
         [&] { services.ShowMessage(&hidden, "T", "text", platform::MessageIcon::Exclamation); }},
        {"open dialog of the main window", [&] { services.OpenFileName(&main, request); }},
        {"save dialog of the main window", [&] { services.SaveFileName(&main, request); }},
        {"dialog of the main window", [&] { platform::ShowModal(dialog); }},
    };
    for (const auto& [name, open] : boxes) {
        SCOPED_TRACE(name);
        const bool byMain = QString(name).endsWith("main window");
        NextBox box;
        platform::BringToFront(panel);
        ASSERT_TRUE(BecomesActive(panel));
        open();
        ASSERT_TRUE(box.Seen.has_value());
        EXPECT_EQ(*box.Seen, (BoxStanding{byMain ? &main : &panel, true, false, false, true, true}));
    }
}

} // namespace
