#include "TessalineFixture.h"

namespace {

class TessalineSlit : public TessalinePanel
{
protected:
    std::tuple<float, float> Sizes() const { return {TessalineControlForm->SlitXSize, TessalineControlForm->SlitYSize}; }
};

TEST_F(TessalineSlit, MagnificationShowsTheSizesDividedByItsFactorAndSendsThem)
{
    struct Case { int Item; const char* Shown; float Maximum; int Factor; QByteArray Sent; };
    const Case cases[] = {
        {1, "500.00", 600.0f, 5, ";LC:SP 5,500.00,500.00"},   {5, "25.00", 60.0f, 100, ";LC:SP 100,25.00,25.00"},
        {2, "250.00", 300.0f, 10, ";LC:SP 10,250.00,250.00"}, {3, "125.00", 150.0f, 20, ";LC:SP 20,125.00,125.00"},
        {4, "50.00", 60.0f, 50, ";LC:SP 50,50.00,50.00"},     {-1, "50.00", 60.0f, -1, ";LC:SP ,50.00,50.00"},
        {0, "2500.00", 3000.0f, 1, ";LC:SP 1,2500.00,2500.00"},
    };
    for (const Case& c : cases) {
        Choose("cbSlitMag", c.Item);
        EXPECT_EQ(Wire(), Commands{c.Sent}) << c.Item;
        EXPECT_EQ(std::tuple(Get("leXSize")->text(), Get("leYSize")->text(), TessalineControlForm->SlitSizeMax,
                             TessalineControlForm->Magnification, TessalineControlForm->SlitText),
                  std::tuple(QString::fromLatin1(c.Shown), QString::fromLatin1(c.Shown), c.Maximum, c.Factor,
                             QString::fromLatin1(c.Sent.mid(7)))) << c.Item;
        EXPECT_EQ(Sizes(), std::tuple(2500.0f, 2500.0f));
    }
}

// Steps in order: no range on apply, the maximum while typing, the exact
// product as the pending mark.
TEST_F(TessalineSlit, SizeBoxesStoreTheShownSizeTimesTheFactor)
{
    Choose("cbSlitMag", 1);
    Wire();
    enum Action { Typed, Chosen };
    struct Step { Action Do; const char* Control; const char* Text; int Item; Commands Sent; const char* X;
                  const char* Y; QRgb Colour; float XSize; float YSize; };
    const Step steps[] = {
        {Typed, "leXSize", "700", 0, {}, "500.00", "500.00", White, 2500.0f, 2500.0f},
        {Typed, "leXSize", "600\r", 0, {";LC:SP 5,600.00,500.00"}, "600.00", "500.00", White, 3000.0f, 2500.0f},
        {Chosen, "leXSize", nullptr, 5, {";LC:SP 100,30.00,25.00"}, "30.00", "25.00", White, 3000.0f, 2500.0f},
        {Typed, "leXSize", "60\r", 0, {";LC:SP 100,60.00,25.00"}, "60.00", "25.00", White, 6000.0f, 2500.0f},
        {Chosen, "leXSize", nullptr, 0, {";LC:SP 1,6000.00,2500.00"}, "6000.00", "2500.00", White, 6000.0f, 2500.0f},
        {Typed, "leXSize", "0\r", 0, {";LC:SP 1,0.00,2500.00"}, "0.00", "2500.00", White, 0.0f, 2500.0f},
        {Typed, "leYSize", "1234.567\r", 0, {";LC:SP 1,0.00,1234.57"}, "0.00", "1234.57", White, 0.0f, 1234.567f},
        {Chosen, "leYSize", nullptr, 2, {";LC:SP 10,0.00,123.46"}, "0.00", "123.46", Silver, 0.0f, 1234.567f},
        {Typed, "leYSize", "\b\r", 0, {}, "0.00", "", Silver, 0.0f, 1234.567f},
        {Typed, "leYSize", "12.5.", 0, {}, "0.00", "12.5.", Silver, 0.0f, 1234.567f},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string(s.Control) + " " + (s.Text ? s.Text : std::to_string(s.Item)));
        Ui.Exceptions.clear();
        if (s.Do == Typed)
            Type(*Get(s.Control), QString::fromLatin1(s.Text));
        else
            Choose("cbSlitMag", s.Item);
        EXPECT_EQ(Wire(), s.Sent);
        EXPECT_EQ(std::tuple(Get("leXSize")->text(), Get("leYSize")->text(), Colour(*Get(s.Control))),
                  std::tuple(QString::fromLatin1(s.X), QString::fromLatin1(s.Y), s.Colour));
        EXPECT_EQ(Sizes(), std::tuple(s.XSize, s.YSize));
    }
    // A text that is no number shows its error once, when it is read.
    EXPECT_EQ(Ui.Exceptions, std::vector<QString>{"'12.5.' is not a valid floating point value"});
    Type(*Get("leYSize"), QStringLiteral("\b\t"));
    EXPECT_EQ(QApplication::focusWidget(), Get("leYSize"));
    EXPECT_EQ(Wire(), Commands());
}

TEST_F(TessalineSlit, SquareCopiesXIntoTheHiddenYBoxAndSendsIt)
{
    Choose("cbSlitMag", 1);
    Type(*Get("leYSize"), QStringLiteral("300\r"));
    Wire();
    struct Step { const char* Control; const char* Typed; Commands Sent; bool YShown; const char* Y; const char* XLabel;
                  const char* YLabel; float XSize; float YSize; };
    const Step steps[] = {
        {"cbSquareSlit", nullptr, {";LC:SP 5,500.00,500.00"}, false, "500.00", "XY(um)", "Y (um)", 2500.0f, 2500.0f},
        {"leXSize", "400\r", {";LC:SP 5,400.00,400.00"}, false, "400.00", "XY(um)", "Y (um)", 2000.0f, 2000.0f},
        {"cbSquareSlit", nullptr, {}, true, "400.00", "X(um)", "Y(um)", 2000.0f, 2000.0f},
        {"leYSize", "100\r", {";LC:SP 5,400.00,100.00"}, true, "100.00", "X(um)", "Y(um)", 2000.0f, 500.0f},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string(s.Control) + " " + (s.Typed ? s.Typed : ""));
        Work(s.Control, s.Typed);
        EXPECT_EQ(Wire(), s.Sent);
        EXPECT_EQ(std::tuple(Get("leYSize")->isVisible(), Get<QLabel>("lblYSize")->isVisible(), Get("leYSize")->text(),
                             Get<QLabel>("lblXSize")->text(), Get<QLabel>("lblYSize")->text()),
                  std::tuple(s.YShown, s.YShown, QString::fromLatin1(s.Y), QString::fromLatin1(s.XLabel),
                             QString::fromLatin1(s.YLabel)));
        EXPECT_EQ(std::tuple(Colour(*Get("leXSize")), Colour(*Get("leYSize"))), std::tuple(White, White));
        EXPECT_EQ(Sizes(), std::tuple(s.XSize, s.YSize));
    }
}

TEST_F(TessalineSlit, ArrowKeysMoveBetweenTheSizeBoxes)
{
    struct Case { bool Square; const char* Box; Qt::Key Key; const char* Focus; bool Selected; };
    const Case cases[] = {
        {false, "leXSize", Qt::Key_Right, "leYSize", true}, {true, "leXSize", Qt::Key_Right, "leXSize", false},
        {false, "leYSize", Qt::Key_Left, "leXSize", true},  {false, "leXSize", Qt::Key_Left, "leXSize", true},
        {false, "leYSize", Qt::Key_Right, "leYSize", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Box) + " " + std::to_string(c.Key) + (c.Square ? " square" : ""));
        Get<QCheckBox>("cbSquareSlit")->setChecked(c.Square);
        FocusControl(*Get(c.Box));
        Get(c.Box)->deselect();
        QTest::keyClick(Get(c.Box), c.Key);
        QLineEdit* focus = Get(c.Focus);
        EXPECT_EQ(QApplication::focusWidget(), focus);
        EXPECT_EQ(focus->selectedText() == focus->text(), c.Selected);
    }
}

// Without a magnification the boxes show and take slit sizes as they are.
TEST_F(TessalineSlit, WithoutAMagnificationItemTheCommandHasAnEmptyMagnificationField)
{
    struct Step { int Item; const char* Typed; QByteArray Sent; const char* X; int Factor; float XSize; };
    const Step steps[] = {
        {-1, nullptr, ";LC:SP ,2500.00,2500.00", "2500.00", -1, 2500.0f},
        {-1, "0.125\r", ";LC:SP ,0.13,2500.00", "0.13", -1, 0.125f},
        {-1, "30\r", ";LC:SP ,30.00,2500.00", "30.00", -1, 30.0f},
        {1, nullptr, ";LC:SP 5,6.00,500.00", "6.00", 5, 30.0f},
    };
    for (const Step& s : steps) {
        if (s.Typed)
            Type(*Get("leXSize"), QString::fromLatin1(s.Typed));
        else
            Choose("cbSlitMag", s.Item);
        EXPECT_EQ(Wire(), Commands{s.Sent});
        EXPECT_EQ(std::tuple(Get("leXSize")->text(), TessalineControlForm->Magnification, TessalineControlForm->SlitXSize),
                  std::tuple(QString::fromLatin1(s.X), s.Factor, s.XSize));
        EXPECT_TRUE(Get("leXSize")->isEnabled() && Get("leYSize")->isEnabled() && Get<QWidget>("cbSquareSlit")->isEnabled());
    }
}

} // namespace
