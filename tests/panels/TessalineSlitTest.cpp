#include "TessalineFixture.h"

namespace {

class TessalineSlit : public TessalinePanel
{
protected:
    std::tuple<float, float> Sizes() const
    {
        return {TessalineControlForm->SlitXSize, TessalineControlForm->SlitYSize};
    }
    std::tuple<QString, QString> Texts() const { return {Get("leXSize")->text(), Get("leYSize")->text()}; }
};

TEST_F(TessalineSlit, MagnificationShowsTheSizesDividedByItsFactorAndSendsThem)
{
    struct Case { int Item; const char* Shown; float Maximum; int Factor; };
    const Case cases[] = {{1, "500.00", 600.0f, 5}, {5, "25.00", 60.0f, 100}, {2, "250.00", 300.0f, 10},
                          {3, "125.00", 150.0f, 20}, {4, "50.00", 60.0f, 50}, {-1, "50.00", 60.0f, -1},
                          {0, "2500.00", 3000.0f, 1}};
    for (const Case& c : cases) {
        Choose("cbSlitMag", c.Item);
        const QString shown = QString::fromLatin1(c.Shown);
        const QString slitText = (c.Factor > 0 ? QString::number(c.Factor) : QString()) + ',' + shown + ',' + shown;
        EXPECT_EQ(Wire(), Commands{";LC:SP " + slitText.toLatin1()}) << c.Item;
        EXPECT_EQ(std::tuple(Texts(), TessalineControlForm->SlitSizeMax, TessalineControlForm->Magnification,
                             TessalineControlForm->SlitText, Sizes()),
                  std::tuple(std::tuple(shown, shown), c.Maximum, c.Factor, slitText, std::tuple(2500.0f, 2500.0f)))
            << c.Item;
    }
}

// Steps in order: the maximum on typed keys and on apply, the exact product
// as the pending mark, a magnification that holds both sizes to its maximum.
TEST_F(TessalineSlit, SizeBoxesStoreTheShownSizeTimesTheFactor)
{
    Choose("cbSlitMag", 1);
    Wire();
    struct Step { const char* Box; const char* Typed; int Item; QByteArray Sent; const char* X; const char* Y;
                  QRgb Colour; float XSize; float YSize; };
    const Step steps[] = {
        {"leXSize", "700", 0, {}, "500.00", "500.00", White, 2500.0f, 2500.0f},
        {"leXSize", "600\r", 0, ";LC:SP 5,600.00,500.00", "600.00", "500.00", White, 3000.0f, 2500.0f},
        {"leXSize", nullptr, 5, ";LC:SP 100,30.00,25.00", "30.00", "25.00", White, 3000.0f, 2500.0f},
        {"leXSize", "60\r", 0, ";LC:SP 100,60.00,25.00", "60.00", "25.00", White, 6000.0f, 2500.0f},
        {"leYSize", "60\r", 0, ";LC:SP 100,60.00,60.00", "60.00", "60.00", White, 6000.0f, 6000.0f},
        // More than 1x shows within its maximum: both held to the largest it takes.
        {"leXSize", nullptr, 0, ";LC:SP 1,3000.00,3000.00", "3000.00", "3000.00", White, 3000.0f, 3000.0f},
        {"leXSize", "0\r", 0, ";LC:SP 1,0.00,3000.00", "0.00", "3000.00", White, 0.0f, 3000.0f},
        {"leYSize", "1234.567\r", 0, ";LC:SP 1,0.00,1234.57", "0.00", "1234.57", White, 0.0f, 1234.567f},
        {"leYSize", nullptr, 2, ";LC:SP 10,0.00,123.46", "0.00", "123.46", Silver, 0.0f, 1234.567f},
        {"leYSize", "\b\r", 0, {}, "0.00", "", Silver, 0.0f, 1234.567f},
        {"leYSize", "12.5.", 0, {}, "0.00", "12.5.", Silver, 0.0f, 1234.567f},
        // A text the box refuses goes out as the size it holds, held to what
        // it takes also while no magnification is chosen (300 um at scale 1).
        {"leYSize", nullptr, -1, ";LC:SP ,0.00,300.00", "0.00", "12.5.", Silver, 0.0f, 1234.567f},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string(s.Box) + " " + (s.Typed ? s.Typed : std::to_string(s.Item)));
        if (s.Typed)
            Type(*Get(s.Box), QString::fromLatin1(s.Typed));
        else
            Choose("cbSlitMag", s.Item);
        EXPECT_EQ(Wire(), s.Sent.isEmpty() ? Commands() : Commands{s.Sent});
        EXPECT_EQ(Texts(), std::tuple(QString::fromLatin1(s.X), QString::fromLatin1(s.Y)));
        EXPECT_EQ(std::tuple(Colour(*Get(s.Box)), Sizes()), std::tuple(s.Colour, std::tuple(s.XSize, s.YSize)));
    }
    // A text that is no number shows its error once, when it is read; an
    // empty box takes the focus back.
    EXPECT_EQ(Ui.Exceptions, Errors("'12.5.' is not a valid floating point value"));
    Type(*Get("leYSize"), QStringLiteral("\b\t"));
    EXPECT_EQ(QApplication::focusWidget(), Get("leYSize"));
}

TEST_F(TessalineSlit, SquareCopiesXIntoTheHiddenYBoxAndSendsIt)
{
    Choose("cbSlitMag", 1);
    Type(*Get("leYSize"), QStringLiteral("300\r"));
    Wire();
    struct Step { const char* Control; const char* Typed; QByteArray Sent; bool YShown; const char* Y;
                  const char* Labels; float YSize; };
    const Step steps[] = {
        {"cbSquareSlit", nullptr, ";LC:SP 5,500.00,500.00", false, "500.00", "XY(um) Y (um)", 2500.0f},
        {"leXSize", "400\r", ";LC:SP 5,400.00,400.00", false, "400.00", "XY(um) Y (um)", 2000.0f},
        {"cbSquareSlit", nullptr, {}, true, "400.00", "X(um) Y(um)", 2000.0f},
        {"leYSize", "100\r", ";LC:SP 5,400.00,100.00", true, "100.00", "X(um) Y(um)", 500.0f},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string(s.Control) + " " + (s.Typed ? s.Typed : ""));
        Work(s.Control, s.Typed);
        EXPECT_EQ(Wire(), s.Sent.isEmpty() ? Commands() : Commands{s.Sent});
        const QString labels = Get<QLabel>("lblXSize")->text() + ' ' + Get<QLabel>("lblYSize")->text();
        EXPECT_EQ(std::tuple(Get("leYSize")->isVisible(), Get<QLabel>("lblYSize")->isVisible(), labels),
                  std::tuple(s.YShown, s.YShown, QString::fromLatin1(s.Labels)));
        EXPECT_EQ(std::tuple(Get("leYSize")->text(), Colour(*Get("leYSize")), TessalineControlForm->SlitYSize),
                  std::tuple(QString::fromLatin1(s.Y), White, s.YSize));
    }
}

TEST_F(TessalineSlit, ArrowKeysMoveBetweenTheSizeBoxes)
{
    struct Case { bool Square; const char* Box; Qt::Key Key; const char* Focus; bool Selected; };
    const Case cases[] = {{false, "leXSize", Qt::Key_Right, "leYSize", true},
                          {true, "leXSize", Qt::Key_Right, "leXSize", false},
                          {false, "leYSize", Qt::Key_Left, "leXSize", true},
                          {false, "leXSize", Qt::Key_Left, "leXSize", true}};
    for (const Case& c : cases) {
        Get<QCheckBox>("cbSquareSlit")->setChecked(c.Square);
        FocusControl(*Get(c.Box));
        Get(c.Box)->deselect();
        QTest::keyClick(Get(c.Box), c.Key);
        QLineEdit* focus = Get(c.Focus);
        EXPECT_EQ(std::tuple(QApplication::focusWidget(), focus->selectedText() == focus->text()),
                  std::tuple(static_cast<QWidget*>(focus), c.Selected)) << c.Box << " " << c.Key << " " << c.Square;
    }
}

// Without a magnification item the boxes show and take slit sizes as they are.
TEST_F(TessalineSlit, WithoutAMagnificationItemTheCommandHasAnEmptyMagnificationField)
{
    struct Step { int Item; const char* Typed; QByteArray Sent; const char* X; int Factor; float XSize; };
    const Step steps[] = {{-1, nullptr, ";LC:SP ,2500.00,2500.00", "2500.00", -1, 2500.0f},
                          {-1, "0.125\r", ";LC:SP ,0.13,2500.00", "0.13", -1, 0.125f},
                          {-1, "30\r", ";LC:SP ,30.00,2500.00", "30.00", -1, 30.0f},
                          {1, nullptr, ";LC:SP 5,6.00,500.00", "6.00", 5, 30.0f}};
    for (const Step& s : steps) {
        if (s.Typed)
            Type(*Get("leXSize"), QString::fromLatin1(s.Typed));
        else
            Choose("cbSlitMag", s.Item);
        EXPECT_EQ(Wire(), Commands{s.Sent});
        EXPECT_EQ(std::tuple(Get("leXSize")->text(), TessalineControlForm->Magnification,
                             TessalineControlForm->SlitXSize, Get("leYSize")->isEnabled()),
                  std::tuple(QString::fromLatin1(s.X), s.Factor, s.XSize, true));
    }
}

} // namespace
