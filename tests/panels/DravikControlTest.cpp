#include "PanelFixture.h"

#include "panels/DravikControl.h"
#include "platform/ControlEvents.h"
#include "platform/Painting.h"
#include "platform/TrackBarSlider.h"
#include "terminal/CommLog.h"

#include <QCheckBox>
#include <QSlider>
#include <QToolButton>

#include <cmath>

namespace {

using Commands = QList<QByteArray>;
using platform::TrackBar;
using namespace std::chrono_literals;
constexpr QRgb White = platform::EntryApplied;
constexpr QRgb Silver = platform::EntryPending;

// (position + 45) x 38.29 as a single-precision constant, truncated, worked in
// whole numbers: a 7-bit factor times a 24-bit significand needs no rounding.
QByteArray ThetaCommand(int position)
{
    int exponent = 0;
    const auto significand = static_cast<std::int64_t>(std::ldexp(std::frexp(38.29f, &exponent), 24));
    const std::int64_t steps = ((position + 45) * significand) >> (24 - exponent);
    return ";LC:ST " + QByteArray::number(steps, 16).toUpper().rightJustified(4, '0');
}

class DravikPanel : public PanelFixture
{
protected:
    void SetUp() override
    {
        PanelFixture::SetUp();
        if (!HasFatalFailure())
            Open(*DravikControlForm, &TCommTermForm::DravikControl1Click);
    }

    template <class Control = QLineEdit>
    Control* Get(const char* name) const { return Find<Control>(*DravikControlForm, name); }
    QSlider* Bar() const { return Get<QSlider>("tbTheta"); }
    void Click(const char* name) { QTest::mouseClick(Get<QWidget>(name), Qt::LeftButton); }
};

TEST_F(DravikPanel, ThetaBarSendsTheStepsOfEachPosition)
{
    QTest::keyClick(Bar(), Qt::Key_Home);
    for (int step = 0; step < 90; ++step)
        QTest::keyClick(Bar(), Qt::Key_Right);
    Commands expected;
    for (int position = -45; position <= 45; ++position)
        expected << ThetaCommand(position);
    EXPECT_EQ(Wire(), expected);
    EXPECT_EQ((Commands{expected[1], expected[45], expected[90]}),
              (Commands{";LC:ST 0026", ";LC:ST 06BB", ";LC:ST 0D76"}));
    EXPECT_EQ(std::tuple(DravikControlForm->Theta, Get("leTheta")->text(), Colour(*Get("leTheta"))),
              std::tuple(45, QStringLiteral("45"), White));
    EXPECT_EQ(std::tuple(TrackBar::Of(Bar()).SelStart(), TrackBar::Of(Bar()).SelEnd()), std::tuple(45, 45));
    EXPECT_NE(qobject_cast<platform::TrackBarSlider*>(Bar()), nullptr);
    EXPECT_EQ(QApplication::focusWidget(), Bar());
    TrackBar::Of(Bar()).SetPosition(0);
    EXPECT_EQ(Wire(), Commands{";LC:ST 06BB"});
}

TEST_F(DravikPanel, SlitSizesAreSentAsStepsOfBothBoxes)
{
    struct Case { const char* Box; const char* Typed; const char* Other; bool Square; QByteArray Sent; };
    const Case cases[] = {
        {"leXSize", "0", "0", false, ";SL:SP 0000,0000"},      {"leXSize", "400", "1000", false, ";SL:SP 0050,00C8"},
        {"leXSize", "6000", "", false, ";SL:SP 04B0,0050"},    {"leXSize", "2500", "6000", false, ";SL:SP 01F4,04B0"},
        {"leXSize", "2500", "6000", true, ";SL:SP 01F4,01F4"}, {"leXSize", "265", "1050", false, ";SL:SP 0034,00D1"},
        {"leYSize", "1050", "265", false, ";SL:SP 0034,00D1"}, {"leYSize", "6000", "", false, ";SL:SP 0050,04B0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Box) + " " + c.Typed);
        const bool x = QByteArray(c.Box) == "leXSize";
        Get<QCheckBox>("cbSquare")->setChecked(c.Square);
        Get(x ? "leYSize" : "leXSize")->setText(QString::fromLatin1(c.Other));
        Wire();
        Type(*Get(c.Box), QString::fromLatin1(c.Typed) + QLatin1Char('\r'));
        EXPECT_EQ(Wire(), Commands{c.Sent});
        EXPECT_EQ(x ? DravikControlForm->XSize : DravikControlForm->YSize, QByteArray(c.Typed).toInt());
        Get<QCheckBox>("cbSquare")->setChecked(false);
    }
}

TEST_F(DravikPanel, SquareSendsXForBothAxesAndHidesY)
{
    Type(*Get("leXSize"), QStringLiteral("2500\r"));
    Type(*Get("leYSize"), QStringLiteral("6000\r"));
    Wire();
    Click("cbSquare");
    Type(*Get("leXSize"), QStringLiteral("1000\r"));
    EXPECT_EQ(Wire(), (Commands{";SL:SP 01F4,01F4", ";SL:SP 00C8,00C8"}));
    EXPECT_EQ(std::tuple(Get("leYSize")->isVisible(), Get<QLabel>("lblYSize")->isVisible(), Get("leYSize")->text()),
              std::tuple(false, false, QStringLiteral("2500")));
    EXPECT_EQ(Get<QLabel>("lblXSize")->text(), "XY (um)");

    Click("cbSquare");
    EXPECT_EQ(Wire(), Commands());
    EXPECT_EQ(std::tuple(Get("leYSize")->isVisible(), Get("leYSize")->text(), Colour(*Get("leYSize"))),
              std::tuple(true, QStringLiteral("1000"), White));
    EXPECT_EQ(Get<QLabel>("lblXSize")->text(), "X (um)");
    EXPECT_EQ(std::tuple(DravikControlForm->XSize, DravikControlForm->YSize), std::tuple(1000, 6000));
}

TEST_F(DravikPanel, EntryBoxesFollowTheEntryRule)
{
    enum Ending { None, Enter, Leave, LeftArrow };
    struct Case { const char* Box; const char* Typed; Ending End; const char* Text; QRgb Colour; Commands Sent;
                  bool Selected; const char* Error; };
    const Case cases[] = {
        {"leXSize", "12a3", None, "123", Silver, {}, false, nullptr},
        {"leXSize", "-5", None, "5", Silver, {}, false, nullptr},
        {"leTheta", "-5", Enter, "-5", White, {ThetaCommand(-5)}, true, nullptr},
        {"leXSize", "5", None, "5", Silver, {}, false, nullptr},
        {"leXSize", "5\b0", None, "0", White, {}, false, nullptr},
        {"leXSize", "123", LeftArrow, "123", Silver, {}, true, nullptr},
        {"leXSize", "\b", Enter, "", Silver, {}, false, nullptr},
        {"leXSize", "\b", Leave, "", Silver, {}, false, nullptr},
        {"leXSize", "6001", Enter, "0", White, {}, false, nullptr},
        {"leTheta", "46", Enter, "0", White, {}, false, nullptr},
        {"leTheta", "-46", Enter, "0", White, {}, false, nullptr},
        {"leTheta", "00", Enter, "00", White, {}, true, nullptr},
        {"leTheta", "10", Leave, "10", White, {ThetaCommand(10)}, true, nullptr},
        {"leTheta", "-", Enter, "-", Silver, {}, false, "'-' is not a valid integer value"},
        {"leTheta", "-", Leave, "-45", White, {ThetaCommand(-45)}, true, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Box) + " " + c.Typed + " " + std::to_string(c.End));
        TrackBar::Of(Bar()).SetPosition(0);
        Get("leXSize")->setText(QStringLiteral("0"));
        Wire();
        Ui.Exceptions.clear();
        QLineEdit* box = Get(c.Box);
        Type(*box, QString::fromLatin1(c.Typed));
        const Qt::Key endings[] = {Qt::Key_unknown, Qt::Key_Return, Qt::Key_Tab, Qt::Key_Left};
        if (c.End != None)
            QTest::keyClick(box, endings[c.End]);
        EXPECT_EQ(std::tuple(box->text(), Colour(*box)), std::tuple(QString::fromLatin1(c.Text), c.Colour));
        EXPECT_EQ(Wire(), c.Sent);
        EXPECT_EQ(QApplication::focusWidget(), box);
        EXPECT_EQ(box->hasSelectedText() && box->selectedText() == box->text(), c.Selected);
        EXPECT_EQ(Ui.Exceptions, c.Error ? std::vector<QString>{QString::fromLatin1(c.Error)} : std::vector<QString>{});
    }
}

// Rows: text pasted from the edit's menu or dropped on a box, then what the
// user does; a text a box would refuse never goes out, wherever it stands.
TEST_F(DravikPanel, APastedOrDroppedTextGoesOutOnlyWhereItsBoxWouldTakeIt)
{
    enum How { Pasted, Dropped };
    enum Then { Enter, EnterX100, TickSquare };
    // Errors: the pasted text's conversion errors, raised where the box reads it strictly.
    struct Case { How Way; const char* Box; const char* Text; Then Next; Commands Sent; const char* Shown;
                  std::vector<QString> Errors; };
    const QString notANumber = QStringLiteral("'1e3' is not a valid integer value");
    const Case cases[] = {
        {Dropped, "leYSize", "99999", EnterX100, {";SL:SP 0014,0050"}, "99999", {}},
        {Dropped, "leYSize", "2500", EnterX100, {";SL:SP 0014,01F4"}, "2500", {}},
        {Dropped, "leXSize", "6001", TickSquare, {";SL:SP 0050,0050"}, "6001", {}},
        {Pasted, "leXSize", "99999", Enter, {}, "0", {}},
        {Pasted, "leXSize", "1e3", Enter, {}, "1e3", {notANumber, notANumber}},
        {Dropped, "leTheta", "5;LC:FL 3", Enter, {}, "5;LC:FL 3", {"'5;LC:FL 3' is not a valid integer value"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Box) + " " + c.Text);
        FocusControl(*Bar());
        DravikControlForm->XSize = DravikControlForm->YSize = 0;
        for (const char* box : {"leXSize", "leYSize", "leTheta"})
            Get(box)->setText(QStringLiteral("0"));
        Get<QCheckBox>("cbSquare")->setChecked(false);
        Wire();
        Ui.Exceptions.clear();
        QLineEdit* box = Get(c.Box);
        if (c.Way == Pasted)
            Paste(*box, QString::fromLatin1(c.Text));
        else
            Drop(*box, QString::fromLatin1(c.Text));
        if (c.Next == Enter)
            QTest::keyClick(box, Qt::Key_Return);
        else if (c.Next == EnterX100)
            Type(*Get("leXSize"), QStringLiteral("100\r"));
        else
            Click("cbSquare");
        EXPECT_EQ(Wire(), c.Sent);
        EXPECT_EQ(box->text(), QLatin1String(c.Shown));
        EXPECT_EQ(Ui.Exceptions, c.Errors);
    }
}

TEST_F(DravikPanel, FireSendsArmThenFireAPauseApartAndStopSendsStop)
{
    Answer(";LC:FL 2", "ARMED\r\n");
    Click("sbFire");
    EXPECT_EQ(Wire(), (Commands{";LC:FL 2", ";LC:FL 3"}));
    // The reply to the first was read before the pause began, so the second
    // cannot have left before the pause ended.
    ASSERT_TRUE(Pane()->toPlainText().contains(QStringLiteral("ARMED")));
    EXPECT_GE(ArrivalGap(";LC:FL 2", ";LC:FL 3"), 100ms);
    const auto look = [this] {
        return std::tuple(platform::CaptionColour(*Get<QWidget>("sbFire")), platform::CaptionColour(*Get<QWidget>("sbStop")),
                          Get<QToolButton>("sbFire")->isChecked(), Get<QToolButton>("sbStop")->isChecked());
    };
    EXPECT_EQ(look(), std::tuple(QColor(Qt::red), QColor(Qt::black), true, false));
    EXPECT_EQ(QApplication::focusWidget(), DravikControlForm);

    Click("sbStop");
    EXPECT_EQ(Wire(), Commands{";LC:FL 1"});
    EXPECT_EQ(look(), std::tuple(QColor(Qt::black), QColor(Qt::black), false, true));
}

TEST_F(DravikPanel, ModeShowsTheCountOnlyForBurstAndEachItemSendsItsCommand)
{
    struct Case { Qt::Key Key; QByteArray Sent; bool CountShown; };
    const Case modes[] = {{Qt::Key_Down, ";LC:MO 0", false}, {Qt::Key_Down, ";LC:MO 1", false},
                          {Qt::Key_Down, ";LC:MO 2", true}, {Qt::Key_Up, ";LC:MO 1", false}};
    for (const Case& c : modes) {
        QTest::keyClick(Get<QComboBox>("cbMode"), c.Key);
        EXPECT_EQ(Wire(), Commands{c.Sent});
        for (const char* control : {"leBurstCount", "lblBurstCount", "udBurstCount"})
            EXPECT_EQ(Get<QWidget>(control)->isVisible(), c.CountShown) << control;
    }
    for (int item = 0; item < 9; ++item)
        QTest::keyClick(Get<QComboBox>("cbWavelength"), Qt::Key_Down);
    EXPECT_EQ(Wire(), (Commands{";LC:SW 3 0", ";LC:SW 3 1", ";LC:SW 3 2", ";LC:SW 2 0", ";LC:SW 2 1",
                                ";LC:SW 2 2", ";LC:SW 4 0", ";LC:SW 4 1", ";LC:SW 4 2"}));
}

TEST_F(DravikPanel, PanelCommandTakesTheRoadOfATypedCommand)
{
    MainEntry("EnableLog1")->trigger();
    CommTermForm->ConfigChanged = false;
    Click("sbStop");
    EXPECT_EQ(CommandBox()->text(), ";LC:FL 1");
    EXPECT_EQ(CommTermForm->CommandArray[static_cast<std::size_t>(CommTermForm->CommandIndex)], ";LC:FL 1");
    EXPECT_TRUE(CommTermForm->ConfigChanged);
    EXPECT_EQ(StatusPanel(1), "Commands Sent: 1");
    EXPECT_EQ(PaneLines().mid(0, 2), (QStringList{"[t]  ;LC:FL 1", "[t]  OK"}));
    EXPECT_EQ(LogLines().mid(0, 2), (QStringList{"[t]  ;LC:FL 1", "[t]  OK"}));
}

using DravikPanelLife = PanelFixture;

TEST_F(DravikPanelLife, HiddenUntilOpenedClosingSendsLaserOffAndKeepsTheControls)
{
    EXPECT_EQ(std::tuple(DravikControlForm->isVisible(), DravikControlForm->SlitScaleMicrons), std::tuple(false, 0));
    Open(*DravikControlForm, &TCommTermForm::DravikControl1Click);
    EXPECT_EQ(std::tuple(DravikControlForm->isVisible(), DravikControlForm->isModal()), std::tuple(true, false));
    EXPECT_EQ(std::tuple(DravikControlForm->SlitScaleMicrons, DravikControlForm->SlitScaleSteps,
                         DravikControlForm->ThetaOffset, DravikControlForm->ThetaStepsPerDegree),
              std::tuple(1000, 200, 45, 38.29f));
    auto* xSize = Find<QLineEdit>(*DravikControlForm, "leXSize");
    Type(*xSize, QStringLiteral("2500\r"));
    DravikControlForm->close();
    EXPECT_EQ(Wire(), (Commands{";SL:SP 01F4,0000", ";LC:FL 0"}));
    EXPECT_FALSE(DravikControlForm->isVisible());
    Open(*DravikControlForm, &TCommTermForm::DravikControl1Click);
    EXPECT_EQ(Wire(), Commands());
    EXPECT_EQ(xSize->text(), "2500");

    // Once the main window closes nothing more reaches the instrument.
    CommTermForm->Closing = true;
    DravikControlForm->close();
    CommTermForm->Closing = false;
    EXPECT_EQ(Wire(), Commands());
}

} // namespace
