#include "platform/NumericEntryBox.h"

#include "platform/Conversions.h"
#include "support/TestServices.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <optional>

#include <gtest/gtest.h>

namespace {

using platform::RealNumberBox;
constexpr QRgb White = platform::EntryApplied;
constexpr QRgb Silver = platform::EntryPending;

// A shown window with a box that has the focus and a second control to leave it for.
struct BoxWindow
{
    BoxWindow()
    {
        auto* layout = new QVBoxLayout(&Window);
        layout->addWidget(Box);
        layout->addWidget(Next);
        Window.show();
        QApplication::setActiveWindow(&Window);
        Box->setFocus();
    }

    QWidget Window;
    QLineEdit* Box = new QLineEdit;
    QLineEdit* Next = new QLineEdit;
};

// A box that keeps its value as typed, with a range on applying and the maximum
// 100 while typing (scale 1: a pulse frequency), or one that keeps the typed
// value times the scale, within 0 to 3000 / scale (a slit size).
struct RealBox : BoxWindow
{
    RealBox(float applied, int scale) : Applied(applied), Scale(scale)
    {
        const bool scaled = scale > 1;
        const QString pattern = scaled ? QStringLiteral("0.00") : QStringLiteral("0.0");
        new RealNumberBox(*Box, {
            .Applied = &Applied, .Stored = [this](long double typed) { return typed * Scale; },
            .AppliedText = [this, pattern] { return platform::FormatFloat(pattern, Applied / static_cast<long double>(Scale)); },
            .Range = [this] {
                return Scale > 1 ? platform::RealNumberRange{0.0f, 3000.0f / static_cast<float>(Scale)}
                                 : platform::RealNumberRange{20.0f, 100.0f};
            },
            .ArrowDown = {}, .ArrowUp = [this](int key) { if (key == 37) Box->selectAll(); },
            .Action = [this] { Sent << Box->text(); }});
        Box->setText(platform::FormatFloat(pattern, Applied / static_cast<long double>(Scale)));
    }

    float Applied;
    int Scale;
    QStringList Sent;
};

TEST(RealNumberBox, AppliesTypedValuesByItsOwnRange)
{
    enum Ending { None, Enter, Leave, LeftArrow };
    struct Case { float Applied; int Scale; const char* Typed; Ending End; const char* Text; float AppliedAfter;
                  QRgb Colour; QStringList Sent; std::size_t Errors; };
    const Case cases[] = {
        {20.0f, 1, "100", Enter, "100.0", 100.0f, White, {"100.0"}, 0},
        {20.0f, 1, "19.9", Enter, "20.0", 20.0f, White, {}, 0},
        {20.0f, 1, "45.06", Enter, "45.1", 45.06f, White, {"45.1"}, 0},
        {20.0f, 1, "100.1", None, "20.0", 20.0f, White, {}, 0},
        {20.0f, 1, "150", None, "20.0", 20.0f, White, {}, 0},
        {150.0f, 1, "5", None, "5", 150.0f, Silver, {}, 0},
        {150.0f, 1, "50", Enter, "50.0", 50.0f, White, {"50.0"}, 0},
        {20.0f, 1, "2", None, "2", 20.0f, Silver, {}, 0},
        {20.0f, 1, "5", Leave, "20.0", 20.0f, White, {}, 0},
        {20.0f, 1, "50", Leave, "50.0", 50.0f, White, {"50.0"}, 0},
        {20.0f, 1, "-2", None, "2", 20.0f, Silver, {}, 0},
        {20.0f, 1, "1.2.\b", None, "1.2", 20.0f, Silver, {}, 1},
        {20.0f, 1, "50", LeftArrow, "50", 20.0f, Silver, {}, 0},
        {2500.0f, 5, "700", None, "500.00", 2500.0f, White, {}, 0},
        {2500.0f, 5, "600", Enter, "600.00", 3000.0f, White, {"600.00"}, 0},
        {2500.0f, 5, "0", Enter, "0.00", 0.0f, White, {"0.00"}, 0},
        {2500.0f, 5, "\b", Leave, "", 2500.0f, Silver, {}, 0},
        {2500.0f, 10, "250", None, "250", 2500.0f, White, {}, 0},
        {1234.567f, 10, "123.46", None, "123.46", 1234.567f, Silver, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Typed) + " " + std::to_string(c.End));
        InstalledTestServices ui;
        RealBox box(c.Applied, c.Scale);
        box.Box->selectAll();
        QTest::keyClicks(box.Box, QString::fromLatin1(c.Typed));
        const Qt::Key endings[] = {Qt::Key_unknown, Qt::Key_Return, Qt::Key_Tab, Qt::Key_Left};
        if (c.End != None)
            QTest::keyClick(box.Box, endings[c.End]);
        EXPECT_EQ(std::tuple(box.Box->text(), box.Applied, platform::EntryColour(*box.Box)),
                  std::tuple(QString::fromLatin1(c.Text), c.AppliedAfter, c.Colour));
        EXPECT_EQ(box.Sent, c.Sent);
        EXPECT_EQ(ui.Exceptions.size(), c.Errors);
        EXPECT_EQ(QApplication::focusWidget(), box.Box);
        EXPECT_EQ(box.Box->hasSelectedText() && box.Box->selectedText() == box.Box->text(),
                  c.End != None && *c.Text != '\0');
    }
}

// Rows: a text, the value a box of the range takes for it typed, and the
// value it takes for it from a file line or a reply, read as the conversions
// read numbers. Typed, a whole number must be written as the panels write
// one; read, blanks before it, a sign and a hexadecimal prefix are part of a
// number. Anything more, or a value outside, is no value at all.
TEST(NumericEntryBox, TakesOnlyATextThatStandsForAValueInItsRange)
{
    const platform::WholeNumberRange whole{-45, 45};
    struct Whole { const char* Text; std::optional<std::int32_t> Typed; std::optional<std::int32_t> Read; };
    for (const Whole& c : {Whole{"45", 45, 45}, Whole{"-45", -45, -45}, Whole{"007", 7, 7}, Whole{"46", {}, {}},
                           Whole{"-46", {}, {}}, Whole{"+5", {}, 5}, Whole{" 5", {}, 5}, Whole{"$10", {}, 16},
                           Whole{"0x2D", {}, 45}, Whole{"0x2E", {}, {}}, Whole{"5 ", {}, {}},
                           Whole{"5;LC:FL 3", {}, {}}, Whole{"", {}, {}}, Whole{"1e1", {}, {}},
                           Whole{"99999999999999999999", {}, {}}}) {
        EXPECT_EQ(whole.Typed(QString::fromLatin1(c.Text)), c.Typed) << c.Text;
        EXPECT_EQ(whole.Read(QString::fromLatin1(c.Text)), c.Read) << c.Text;
    }

    const platform::RealNumberRange real{20.0f, 100.0f};
    const QByteArray beyondLongDouble(5000, '9');
    struct Real { const char* Text; std::optional<long double> Typed; std::optional<long double> Read; };
    for (const Real& c : {Real{"20", 20.0L, 20.0L}, Real{"100", 100.0L, 100.0L}, Real{"45.06", 45.06L, 45.06L},
                          Real{"45.", 45.0L, 45.0L}, Real{" 45 ", {}, 45.0L}, Real{"+45", {}, 45.0L},
                          Real{"2e1", {}, 20.0L}, Real{"100.0001", {}, {}}, Real{"19.99", {}, {}}, Real{"", {}, {}},
                          Real{"999+", {}, {}}, Real{"3,4", {}, {}}, Real{beyondLongDouble.constData(), {}, {}}}) {
        EXPECT_EQ(real.Typed(QString::fromLatin1(c.Text)), c.Typed) << c.Text;
        EXPECT_EQ(real.Read(QString::fromLatin1(c.Text)), c.Read) << c.Text;
    }

    // An item index: a number that names no item chooses none.
    const platform::WholeNumberRange items{0, 5};
    struct Item { const char* Text; std::int32_t Field; };
    for (const Item& c : {Item{"3", 3}, Item{" 5", 5}, Item{"7", -1}, Item{"-1", -1}, Item{"-9", -1}, Item{"x", 2},
                          Item{"", 2}, Item{"3;LC:FL 3", 2}}) {
        std::int32_t field = 2;
        items.ReadItemInto(QString::fromLatin1(c.Text), field);
        EXPECT_EQ(field, c.Field) << c.Text;
    }
}

TEST(NumericEntryBox, TwoEmptyPendingBoxesDoNotPullTheFocusFromEachOther)
{
    BoxWindow window;
    std::int32_t applied = 1;
    const auto strict = platform::WholeNumberReading::Strict();
    for (QLineEdit* edit : {window.Box, window.Next}) {
        new platform::WholeNumberBox(*edit, {.Range = {0, 9}, .ExtraKeys = QString(),
                                             .Reading = {strict, strict, strict}, .Applied = &applied,
                                             .Action = [](std::int32_t) {}});
        edit->setText(QStringLiteral("5"));
        edit->clear();
    }
    window.Next->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(QApplication::focusWidget(), window.Box);
    EXPECT_EQ(platform::EntryColour(*window.Next), Silver);
}

} // namespace
