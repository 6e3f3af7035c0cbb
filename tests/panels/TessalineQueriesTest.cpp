#include "TessalineFixture.h"

#include "platform/EventGuard.h"

#include <QDeadlineTimer>
#include <QTimer>

namespace {

using Operation = void (TTessalineControlForm::*)();
using Form = TTessalineControlForm;

class TessalineQueries : public TessalinePanel
{
protected:
    // Runs an operation as a control's event would: an exception is shown.
    static void Run(Operation operation)
    {
        platform::RunGuarded([operation] { (TessalineControlForm->*operation)(); });
    }
    void Reply(const QByteArray& command, const QByteArray& reply) { Answer(command, reply + "\r\n"); }
};

TEST_F(TessalineQueries, EnergyReplyShowsTheEnergyAndSelectsItsLevel)
{
    struct Case { const char* Before; QByteArray Reply; Commands Sent; const char* Text; int Energy; int Level; };
    const Case cases[] = {
        {"rbLowEnergy", "1,250", {";LC:ED?", ";LC:ED 1,250"}, "250", 250, 1},
        {"rbHighEnergy", "1,300", {";LC:ED?"}, "300", 300, 1},
        {"rbHighEnergy", "250", {";LC:ED?"}, "300", 300, 1},
        {"rbLowEnergy", "250", {";LC:ED?"}, "300", 300, 0},
        {"rbHighEnergy", "0,20", {";LC:ED?", ";LC:ED 0,20"}, "20", 20, 0},
        {"rbLowEnergy", "?E3", {";LC:ED?"}, "20", 20, 0},
        {"rbLowEnergy", "", {";LC:ED?"}, "20", 20, 0},
        {"rbLowEnergy", "7,99999", {";LC:ED?"}, "20", 20, 0},
        {"rbHighEnergy", "1,1001", {";LC:ED?"}, "20", 20, 1},
        {"rbLowEnergy", "2,250", {";LC:ED?"}, "20", 20, 0},
        {"rbLowEnergy", "1, 250", {";LC:ED?", ";LC:ED 1,250"}, "250", 250, 1},
        {"rbHighEnergy", "+0,+0030", {";LC:ED?", ";LC:ED 0,30"}, "30", 30, 0},
        {"rbLowEnergy", "1,250;LC:FL 3", {";LC:ED?"}, "30", 30, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Reply.toStdString());
        Click(c.Before);
        platform::PaintEntry(*Get("leEnergy"), Silver);
        Reply(";LC:ED?", c.Reply);
        Wire();
        Run(&Form::QueryEnergy);
        EXPECT_EQ(Wire(), c.Sent);
        EXPECT_EQ(Shows("leEnergy"), std::tuple(QString::fromLatin1(c.Text), White));
        EXPECT_EQ(std::tuple(TessalineControlForm->Energy, TessalineControlForm->EnergyLevel,
                             Get<QRadioButton>("rbHighEnergy")->isChecked()),
                  std::tuple(c.Energy, c.Level, c.Level == 1));
    }
}

TEST_F(TessalineQueries, WavelengthAndModeRepliesSelectByExactTextAndApplyTheSelectionAgain)
{
    struct Case { Operation Query; QByteArray Command; QByteArray Reply; Commands Sent; int Item; bool CountShown; };
    const Case cases[] = {
        {&Form::QueryWavelength, ";LC:SW?", "2 1", {";LC:SW?", ";LC:FL 1", ";LC:SW 2 1", ";LC:ED?"}, 4, false},
        {&Form::QueryWavelength, ";LC:SW?", "4 0", {";LC:SW?", ";LC:FL 1", ";LC:ED?"}, -1, false},
        {&Form::QueryWavelength, ";LC:SW?", "3 2", {";LC:SW?", ";LC:FL 1", ";LC:SW 3 2", ";LC:ED?"}, 2, false},
        {&Form::QueryWavelength, ";LC:SW?", "?E3", {";LC:SW?", ";LC:FL 1", ";LC:ED?"}, -1, false},
        {&Form::QueryMode, ";LC:MO?", "2", {";LC:MO?", ";LC:MO 2"}, 2, true},
        {&Form::QueryMode, ";LC:MO?", "7", {";LC:MO?"}, -1, false},
        {&Form::QueryMode, ";LC:MO?", "1", {";LC:MO?", ";LC:MO 1"}, 1, false},
        {&Form::QueryMode, ";LC:MO?", "?", {";LC:MO?"}, -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Command.toStdString() + " " + c.Reply.toStdString());
        const bool wavelength = c.Query == &Form::QueryWavelength;
        TessalineControlForm->tmrStatus->stop();
        Reply(c.Command, c.Reply);
        Run(c.Query);
        EXPECT_EQ(Wire(), c.Sent);
        EXPECT_EQ(Get<QComboBox>(wavelength ? "cbWavelength" : "cbMode")->currentIndex(), c.Item);
        EXPECT_EQ(wavelength ? TessalineControlForm->WavelengthIndex : TessalineControlForm->ModeIndex, c.Item);
        EXPECT_EQ(Get("leBurstCount")->isVisible(), c.CountShown);
        if (wavelength) {
            EXPECT_TRUE(TessalineControlForm->tmrStatus->isActive());
        }
    }
}

TEST_F(TessalineQueries, AutoEnergyReplySendsOnlyWhenTheBoxChanges)
{
    struct Case { bool Before; QByteArray Reply; bool Sends; bool After; };
    const Case cases[] = {{false, "0", false, false}, {false, "1", true, true}, {true, "ON", false, true},
                          {true, "?E1", false, true}, {true, "", true, false}, {false, "0 ", true, true}};
    for (const Case& c : cases) {
        Get<QCheckBox>("cbAutoEnergy")->setChecked(c.Before);
        Reply(";LC:AE?", c.Reply);
        Wire();
        Run(&Form::QueryAutoEnergy);
        Commands sent{";LC:AE?"};
        if (c.Sends)
            sent << (c.After ? ";LC:AE 1" : ";LC:AE 0");
        EXPECT_EQ(Wire(), sent) << c.Reply.toStdString();
        EXPECT_EQ(std::tuple(Get<QCheckBox>("cbAutoEnergy")->isChecked(), TessalineControlForm->AutoEnergy),
                  std::tuple(c.After, c.After ? 1 : 0)) << c.Reply.toStdString();
    }
}

// Steps in order: the field illuminator stands at 50 % after the showing,
// the slit illuminator at 35 %.
TEST_F(TessalineQueries, IlluminatorRepliesAreHexadecimalLevelsShownAsPercents)
{
    enum Before { Nothing, Typed20, SwitchedOff };
    struct Case { Before First; bool Field; QByteArray Reply; Commands Sent; const char* Text; int Level;
                  const char* Error; };
    const Case cases[] = {
        {Typed20, true, "80", {";LC:IL? 0", ";LC:IL 0,127"}, "50", 127, nullptr},
        {Nothing, true, "80", {";LC:IL? 0"}, "50", 128, nullptr},
        {Nothing, true, "FF", {";LC:IL? 0", ";LC:IL 0,255"}, "100", 255, nullptr},
        {Nothing, true, "", {";LC:IL? 0", ";LC:IL 0,0"}, "0", 0, nullptr},
        {Nothing, true, "?E3", {";LC:IL? 0"}, "0", 0, nullptr},
        {Nothing, true, "G1", {";LC:IL? 0"}, "0", 0, "'0xG1' is not a valid integer value"},
        {Nothing, true, "102", {";LC:IL? 0"}, "0", 0, nullptr},
        {SwitchedOff, true, "80", {";LC:IL? 0", ";LC:IL 0,127"}, "50", 127, nullptr},
        {Nothing, false, "", {";LC:IL? 1", ";LC:IL 1,0"}, "0", 0, nullptr},
        {Nothing, false, "5A", {";LC:IL? 1", ";LC:IL 1,89"}, "35", 89, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.Field) + " " + c.Reply.toStdString());
        const char* box = c.Field ? "edFieldLED" : "edSlitLED";
        const char* button = c.Field ? "cmdILFieldONOFF" : "cmdSlitILONOFF";
        if (c.First == Typed20)
            Type(*Get(box), QStringLiteral("20\r"));
        if (c.First == SwitchedOff)
            Click(button);
        platform::PaintEntry(*Get(box), Silver);
        Reply(c.Field ? ";LC:IL? 0" : ";LC:IL? 1", c.Reply);
        Wire();
        Ui.Exceptions.clear();
        Run(c.Field ? &Form::QueryFieldLED : &Form::QuerySlitLED);
        EXPECT_EQ(Wire(), c.Sent);
        EXPECT_EQ(Shows(box), std::tuple(QString::fromLatin1(c.Text), c.Error ? Silver : White));
        EXPECT_EQ(c.Field ? TessalineControlForm->FieldLEDLevel : TessalineControlForm->SlitLEDLevel, c.Level);
        EXPECT_EQ(Get<QPushButton>(button)->text(), "ON");
        EXPECT_EQ(Ui.Exceptions, Errors(c.Error));
    }
}

TEST_F(TessalineQueries, SlitReplySelectsItsMagnificationAndSendsThePanelsOwnSizes)
{
    Choose("cbSlitMag", 2);
    Wire();
    struct Case { QByteArray Reply; Commands Sent; int Item; const char* SlitText; };
    const Case cases[] = {
        {"10,1.00,2.00", {";LC:SP?", ";LC:SP 10,250.00,250.00"}, 2, "10,250.00,250.00"},
        {"7,1,2", {";LC:SP?", ";LC:SP ,250.00,250.00"}, -1, ",250.00,250.00"},
        {"?E3", {";LC:SP?"}, -1, ",250.00,250.00"},
        {"100", {";LC:SP?", ";LC:SP 100,25.00,25.00"}, 5, "100,25.00,25.00"},
        {"", {";LC:SP?", ";LC:SP ,25.00,25.00"}, -1, ",25.00,25.00"},
    };
    for (const Case& c : cases) {
        Reply(";LC:SP?", c.Reply);
        Run(&Form::QuerySlitSize);
        EXPECT_EQ(Wire(), c.Sent) << c.Reply.toStdString();
        EXPECT_EQ(std::tuple(Get<QComboBox>("cbSlitMag")->currentIndex(), TessalineControlForm->SlitText),
                  std::tuple(c.Item, QString::fromLatin1(c.SlitText))) << c.Reply.toStdString();
    }
}

TEST_F(TessalineQueries, NumberRepliesShowInTheirControlAndSendNothingMore)
{
    auto* form = TessalineControlForm;
    struct Case { Operation Query; QByteArray Command; QByteArray Reply; const char* Box; const char* Text;
                  std::int32_t* Field; std::int32_t Value; };
    const Case cases[] = {
        {&Form::QueryBurstCount, ";LC:BU?", "12", "leBurstCount", "12", &form->BurstCount, 12},
        {&Form::QueryBurstCount, ";LC:BU?", "0000000000007", "leBurstCount", "7", &form->BurstCount, 7},
        {&Form::QueryRepRate, ";LC:RR?", "10", "leRepRate", "10", &form->RepRate, 10},
        {&Form::QueryRepRate, ";LC:RR?", "x", "leRepRate", "10", &form->RepRate, 10},
        {&Form::QueryRepRate, ";LC:RR?", "?E2", "leRepRate", "10", &form->RepRate, 10},
        {&Form::QueryRepRate, ";LC:RR?", "5;LC:FL 3", "leRepRate", "10", &form->RepRate, 10},
        {&Form::QueryRepRate, ";LC:RR?", " 20", "leRepRate", "20", &form->RepRate, 20},
        {&Form::QueryRepRate, ";LC:RR?", "30 ", "leRepRate", "20", &form->RepRate, 20},
        {&Form::QueryRepRate, ";LC:RR?", " 51", "leRepRate", "20", &form->RepRate, 20},
        {&Form::QueryBurstCount, ";LC:BU?", "+7", "leBurstCount", "7", &form->BurstCount, 7},
        {&Form::QueryBurstCount, ";LC:BU?", "0x10", "leBurstCount", "16", &form->BurstCount, 16},
        {&Form::QueryPolarizationAngle, ";LC:PA?", "45", "edPolarization", "45", &form->PolarizationAngle, 45},
        {&Form::QueryPolarizationAngle, ";LC:PA?", "91", "edPolarization", "45", &form->PolarizationAngle, 45},
        {&Form::QueryTheta, ";LC:ST?", "-10", "edTheta", "-10", &form->Theta, -10},
        {&Form::QueryTheta, ";LC:ST?", "-0", "edTheta", "0", &form->Theta, 0},
        {&Form::QueryLaserFire, ";LC:FL?", "3", nullptr, nullptr, &form->FireState, 3},
        {&Form::QueryLaserFire, ";LC:FL?", "?", nullptr, nullptr, &form->FireState, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Command.toStdString() + " " + c.Reply.toStdString());
        if (c.Box)
            platform::PaintEntry(*Get(c.Box), Silver);
        Reply(c.Command, c.Reply);
        Run(c.Query);
        EXPECT_EQ(Wire(), Commands{c.Command});
        EXPECT_EQ(*c.Field, c.Value);
        if (c.Box) {
            EXPECT_EQ(Shows(c.Box), std::tuple(QString::fromLatin1(c.Text), White));
        }
    }
    EXPECT_EQ(std::tuple(Bar("tbPolarization").Position(), Bar("tbTheta").Position()), std::tuple(0, 0));
    Reply(";LC:EM?", "1234");
    Run(&Form::QueryEnergyMonitor);
    EXPECT_EQ(Get<QLabel>("lblEnergyMon")->text(), "1234");
}

TEST_F(TessalineQueries, ReadFromControllerQueriesInOrderAndWriteSendsTheBarsNotTheBoxes)
{
    const std::pair<QByteArray, QByteArray> replies[] = {
        {";LC:ED?", "1,250"}, {";LC:FL?", "1"}, {";LC:AE?", "0"}, {";LC:SW?", "2 1"}, {";LC:MO?", "2"},
        {";LC:BU?", "5"}, {";LC:RR?", "10"}, {";LC:PA?", "30"}, {";LC:IL? 0", "80"}, {";LC:IL? 1", "5A"},
        {";LC:SP?", "5,1,2"},
    };
    for (const auto& [command, reply] : replies)
        Reply(command, reply);
    Click("cmdUpdate");
    EXPECT_EQ(Wire(), (Commands{";LC:ED?", ";LC:ED 1,250", ";LC:FL?", ";LC:AE?", ";LC:SW?", ";LC:FL 1", ";LC:SW 2 1",
                                ";LC:ED?", ";LC:MO?", ";LC:MO 2", ";LC:BU?", ";LC:RR?", ";LC:PA?", ";LC:IL? 0",
                                ";LC:IL? 1", ";LC:SP?", ";LC:SP 5,500.00,500.00"}));
    EXPECT_EQ(std::tuple(Get("edPolarization")->text(), TessalineControlForm->PolarizationAngle,
                         Bar("tbPolarization").Position()),
              std::tuple(QStringLiteral("30"), 30, 0));

    // Pending boxes go out as they read.
    Get("leBurstCount")->setText(QStringLiteral("7"));
    Get("leRepRate")->setText(QStringLiteral("3"));
    ASSERT_EQ(std::tuple(Colour(*Get("leBurstCount")), Colour(*Get("leRepRate"))), std::tuple(Silver, Silver));
    Get<QPushButton>("cmdRefresh")->click();
    EXPECT_EQ(Wire(), (Commands{";LC:ED 1,250", ";LC:FL 1", ";LC:AE 0", ";LC:FL 1", ";LC:SW 2 1", ";LC:ED?", ";LC:MO 2",
                                ";LC:BU 7", ";LC:RR 3", ";LC:PA 0", ";LC:IL 0,127", ";LC:IL 1,89",
                                ";LC:SP 5,500.00,500.00", ";LC:ST 0"}));
    EXPECT_EQ(std::tuple(TessalineControlForm->PolarizationAngle, Colour(*Get("edPolarization")),
                         TessalineControlForm->FieldLEDLevel, TessalineControlForm->FieldLEDPercent,
                         Bar("tbFieldLED").SelStart()),
              std::tuple(0, White, 127, 50, 50));
    EXPECT_TRUE(Get<QToolButton>("sbStop")->isChecked());

    // An illuminator level that is no number ends the reading there.
    Reply(";LC:IL? 0", "G1");
    Click("cmdUpdate");
    EXPECT_EQ(Wire().mid(12), (Commands{";LC:IL? 0"}));
    EXPECT_EQ(Ui.Exceptions, Errors("'0xG1' is not a valid integer value"));
}

TEST_F(TessalineQueries, StatusPollShowsTheReplyOrZerosWhileEnablePollIsTicked)
{
    TessalineControlForm->tmrStatus->stop();
    struct Case { bool Poll; QByteArray Reply; const char* Shown; };
    const Case cases[] = {{true, "0001", "0001"}, {true, "?E3", "0000"}, {true, "12\r34", "12"}, {false, "0002", "12"},
                          {true, "", ""}};
    for (const Case& c : cases) {
        Get<QCheckBox>("cbStatus")->setChecked(c.Poll);
        Reply(";LC:SS?", c.Reply);
        Run(&Form::tmrStatusTimer);
        EXPECT_EQ(Wire(), c.Poll ? Commands{";LC:SS?"} : Commands()) << c.Reply.toStdString();
        EXPECT_EQ(Get<QLabel>("lblStatus")->text(), QLatin1String(c.Shown)) << c.Reply.toStdString();
    }

    // The running timer polls on its own.
    Reply(";LC:SS?", "0042");
    Get<QCheckBox>("cbStatus")->setChecked(true);
    TessalineControlForm->tmrStatus->start();
    const QDeadlineTimer patience(30000);
    while (Get<QLabel>("lblStatus")->text() != "0042" && !patience.hasExpired())
        QTest::qWait(10);
    EXPECT_EQ(Get<QLabel>("lblStatus")->text(), "0042");
    Get<QCheckBox>("cbStatus")->setChecked(false);
    for (const QByteArray& command : Wire())
        EXPECT_EQ(command, ";LC:SS?");
}

} // namespace
