#include "platform/ListSelection.h"

#include "support/ListChoice.h"
#include "support/TestServices.h"

#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// A window with an editable box listing "COM2" and "COM5" and a second
// control to move the focus to; the box's choices are counted.
struct BoxWindow
{
    BoxWindow()
    {
        auto* layout = new QVBoxLayout(Window.get());
        Box = new QComboBox;
        Box->setEditable(true);
        Box->setInsertPolicy(QComboBox::NoInsert);
        Box->addItems({"COM2", "COM5"});
        Box->setCurrentIndex(-1);
        Other = new QLineEdit;
        layout->addWidget(Box);
        layout->addWidget(Other);
        platform::OnListSelect(Box, [this] { Chosen.push_back(Box->currentText()); });
        Window->show();
        QApplication::setActiveWindow(Window.get());
        Box->setFocus(Qt::OtherFocusReason);
    }
    void Type(const QString& text)
    {
        Box->clearEditText();
        QTest::keyClicks(Box, text);
    }

    std::unique_ptr<QWidget> Window = std::make_unique<QWidget>();
    QComboBox* Box = nullptr;
    QLineEdit* Other = nullptr;
    std::vector<QString> Chosen;
};

TEST(ListSelection, EveryWayOfChoosingFromTheListRunsTheHandlerForEachItemChosen)
{
    const struct {
        const char* Name;
        ListGesture Gesture;
        std::vector<QString> Chosen;
    } cases[] = {{"arrow keys", ListGesture::ArrowKeys, {"COM2", "COM5"}},
                 {"list and Enter", ListGesture::ListKeys, {"COM5"}},
                 {"list and mouse", ListGesture::ListMouse, {"COM5"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        BoxWindow shown;
        ChooseFromList(*shown.Box, 1, c.Gesture);
        EXPECT_EQ(shown.Chosen, c.Chosen);
    }
}

// Text typed into the box that names an item is no choice, whatever the user
// or the program does next with the box or its window.
TEST(ListSelection, TypedTextIsNeverChosenByLeavingEnterHidingOrDestroying)
{
    const struct {
        const char* Name;
        std::function<void(BoxWindow&)> Then;
    } cases[] = {
        {"Enter", [](BoxWindow& w) { QTest::keyClick(w.Box, Qt::Key_Return); }},
        {"leaving the box", [](BoxWindow& w) { w.Other->setFocus(Qt::TabFocusReason); }},
        {"another window active", [](BoxWindow& w) { w.Box->clearFocus(); }},
        {"hiding the window", [](BoxWindow& w) { w.Window->hide(); }},
        {"closing the window", [](BoxWindow& w) { w.Window->close(); }},
        {"list closed with Escape, then leaving", [](BoxWindow& w) {
             w.Box->showPopup();
             QTest::keyClick(w.Box->view(), Qt::Key_Escape);
             w.Other->setFocus(Qt::TabFocusReason);
         }},
        {"destroying the window", [](BoxWindow& w) { w.Window.reset(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        InstalledTestServices ui;
        BoxWindow shown;
        shown.Type("COM5");
        c.Then(shown);
        EXPECT_TRUE(shown.Chosen.empty());
        EXPECT_TRUE(ui.Exceptions.empty());
    }
}

} // namespace
