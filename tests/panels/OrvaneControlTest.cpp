#include "PanelFixture.h"

#include "panels/OrvaneControl.h"
#include "platform/EventGuard.h"
#include "platform/Painting.h"
#include "support/FullFileSystem.h"

#include <QCheckBox>
#include <QComboBox>
#include <QTimer>
#include <QToolButton>

#include <array>

namespace {

using Commands = QList<QByteArray>;
using namespace std::chrono_literals;
constexpr QRgb White = platform::EntryApplied;
constexpr QRgb Silver = platform::EntryPending;
const QColor Green(0, 128, 0);
const QColor Grey(128, 128, 128);

const QByteArray GateOff = "!GATE ACTIV=0";
const QByteArray ShutterClosed = "!SHUTTER=0";
const QByteArray Recall = "!PARAMETER SET=LOAD";
const Commands StatusQueries{"?SYSTEM",         "?KEYSWITCH",  "?DIODE HOURS", "?DIODE VOLTAGE",
                             "?DIODE CURRENT",  "?TEMPERATURE", "?WATER FLOW", "?WARNING"};
const Commands StartSequence = Commands{"!ECHO=0",     "!SET DIOD=3", "!SET FREQ=3", "!SET LEVE=3",
                                        "!SET RAMP=3", "!SET GATE=2", "?SYSTEM",     "?LASER DATA"}
                               + StatusQueries.mid(1);

// The panel's settings: the five fields, then what the boxes and combo boxes show.
using Settings = std::tuple<QString, float, float, int, int, QString, QString, int, int, int>;

class OrvanePanel : public PanelFixture
{
protected:
    void Show() { Open(*OrvaneControlForm, &TCommTermForm::OrvaneSystem1Click); }

    template <class Control = QLineEdit>
    Control* Get(const char* name) const { return Find<Control>(*OrvaneControlForm, name); }
    void Click(const char* name) { QTest::mouseClick(Get<QWidget>(name), Qt::LeftButton); }
    // The user picks the item with the Down key from the one before it.
    void Choose(const char* name, int item)
    {
        Get<QComboBox>(name)->setCurrentIndex(item - 1);
        QTest::keyClick(Get<QComboBox>(name), Qt::Key_Down);
    }
    QColor Marker() const { return Get<QWidget>("pnlStoreRecall")->palette().color(QPalette::Window); }

    QString ConfigPath() const { return InstallPath() + QStringLiteral("/Orvane Config.txt"); }
    void WriteConfig(const QByteArray& contents)
    {
        QFile file(ConfigPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(contents), contents.size());
    }

    Settings Now() const
    {
        const TOrvaneControlForm& f = *OrvaneControlForm;
        return {f.ParameterSetText, f.Frequency, f.DiodeCurrentSet, f.PulseModeIndex, f.ShutterIndex,
                Get("leFrequency")->text(), Get("leDiodeCurrent")->text(),
                Get<QComboBox>("cboParameterSet")->currentIndex(), Get<QComboBox>("cboPulseMode")->currentIndex(),
                Get<QComboBox>("cboShutter")->currentIndex()};
    }
    // The settings of a new file, put in place without a send.
    void ResetSettings()
    {
        TOrvaneControlForm& f = *OrvaneControlForm;
        std::tie(f.ParameterSetText, f.Frequency, f.DiodeCurrentSet, f.PulseModeIndex, f.ShutterIndex) =
            std::tuple(QStringLiteral("00"), 20.0f, 13.0f, 0, 0);
        Get("leFrequency")->setText(QStringLiteral("20.0"));
        Get("leDiodeCurrent")->setText(QStringLiteral("13.0"));
        for (const char* combo : {"cboParameterSet", "cboPulseMode", "cboShutter"})
            Get<QComboBox>(combo)->setCurrentIndex(0);
        Wire();
        Ui.Exceptions.clear();
    }
};

const Settings NewFile{"00", 20.0f, 13.0f, 0, 0, "20.0", "13.0", 0, 0, 0};

TEST_F(OrvanePanel, FirstShowingWritesANewFileSendsItAndCloseWritesItBack)
{
    Answer("?LASER DATA", "532-1064\r\n");
    MainEntry("OrvaneSystem1")->trigger();
    EXPECT_TRUE(CommTermForm->isMinimized());
    EXPECT_EQ(Wire(), StartSequence + Commands({"!PARAMETER SET=00", Recall, "!PULSE FREQUENCY=20.0",
                                                "!DIODE SETCURRENT=13.0", GateOff, ShutterClosed, "!PULSE MODE=0",
                                                ShutterClosed, GateOff, ShutterClosed}));
    EXPECT_EQ(ReadWholeFile(ConfigPath()), "00\r\n20.0\r\n13.0\r\n0\r\n0\r\n");
    EXPECT_EQ(Now(), NewFile);
    EXPECT_EQ(std::tuple(Get<QLabel>("lblLaserType")->text(), Marker(), Get<QToolButton>("sbStop")->isChecked()),
              std::tuple(QStringLiteral("532nm"), Grey, true));
    EXPECT_EQ(std::tuple(Colour(*Get("leFrequency")), Colour(*Get("leDiodeCurrent"))), std::tuple(White, White));
    EXPECT_EQ(std::tuple(OrvaneControlForm->tmrStatus->isActive(), OrvaneControlForm->tmrStatus->interval()),
              std::tuple(true, 5000));

    Click("sbFire");
    OrvaneControlForm->close();
    EXPECT_EQ(Wire(), (Commands{"!GATE ACTIV=1", "!SHUTTER=1", GateOff, ShutterClosed}));
    EXPECT_EQ(ReadWholeFile(ConfigPath()), "00\r\n20\r\n13\r\n0\r\n0\r\n");
    EXPECT_EQ(std::tuple(OrvaneControlForm->isVisible(), OrvaneControlForm->tmrStatus->isActive(),
                         CommTermForm->isMinimized(), platform::CaptionColour(*Get<QWidget>("sbFire"))),
              std::tuple(false, false, false, QColor(Qt::black)));

    // A set the combo box does not name leaves an empty first line, and the
    // next showing still reads the other four.
    Show();
    Answer("?PARAMETER SET", "16\r\n");
    Wire();
    OrvaneControlForm->QueryParameterSet();
    OrvaneControlForm->close();
    EXPECT_EQ(Wire(), (Commands{"?PARAMETER SET", Recall, GateOff, ShutterClosed}));
    EXPECT_EQ(ReadWholeFile(ConfigPath()), "\r\n20\r\n13\r\n0\r\n0\r\n");
    Show();
    EXPECT_EQ(Wire().mid(StartSequence.size()),
              (Commands{Recall, "!PULSE FREQUENCY=20.0", "!DIODE SETCURRENT=13.0", GateOff, ShutterClosed,
                        "!PULSE MODE=0", ShutterClosed, GateOff, ShutterClosed}));
}

// Rows: the tick, whether the terminal was minimised before the panel opened,
// and whether it is minimised with the panel open and after its close.
TEST_F(OrvanePanel, OpensFromTheMenuAboveTheProgramAndLeavesTheTerminalAsTheTickSays)
{
    struct Case { const char* Choice; bool Before; bool Open; bool After; };
    for (const Case& c : {Case{"HideCommTerminal1", true, true, false}, Case{"ShowCommTerminal1", false, false, false},
                          Case{"ShowCommTerminal1", true, true, true}}) {
        SCOPED_TRACE(std::string(c.Choice) + (c.Before ? " minimised" : ""));
        CommTermForm->setWindowState(c.Before ? Qt::WindowMinimized : Qt::WindowNoState);
        MainEntry(c.Choice)->trigger();
        MainEntry("OrvaneSystem1")->trigger();
        EXPECT_EQ(std::tuple(OrvaneControlForm->isVisible(), OrvaneControlForm->isModal(),
                             OrvaneControlForm->windowFlags().testFlag(Qt::WindowStaysOnTopHint),
                             OrvaneControlForm->windowTitle(), CommTermForm->isMinimized()),
                  std::tuple(true, false, true, QStringLiteral("Orvane System V1.00"), c.Open));
        OrvaneControlForm->close();
        EXPECT_EQ(std::tuple(OrvaneControlForm->isVisible(), CommTermForm->isMinimized()), std::tuple(false, c.After));
    }
}

TEST_F(OrvanePanel, EachShowingShowsTheLaserTypeBeforeTheFirstDash)
{
    for (const auto& [reply, shown] : {std::pair("1064\r\n", "nm"), std::pair("532-1064 Error\r\n", "kept")}) {
        Get<QLabel>("lblLaserType")->setText(QStringLiteral("kept"));
        Answer("?LASER DATA", reply);
        Show();
        EXPECT_EQ(Get<QLabel>("lblLaserType")->text(), shown) << reply;
        OrvaneControlForm->close();
    }
}

TEST_F(OrvanePanel, StatusQueriesShowTheirRepliesEachTickWhileQueryStatusIsTicked)
{
    Show();
    Wire();
    OrvaneControlForm->tmrStatusTimer();
    EXPECT_EQ(Wire(), Commands());
    QTest::keyClick(Get<QCheckBox>("cbStatus"), Qt::Key_Space);
    ASSERT_TRUE(Get<QCheckBox>("cbStatus")->isChecked());
    struct Case { QByteArray Query; QByteArray Reply; const char* Label; const char* Shown; };
    const Case cases[] = {
        {"?SYSTEM", "System Ready\r\n", "lblSystemState", "System Ready"},
        {"?KEYSWITCH", "1\r\n", "lblKey", "1"},
        {"?DIODE HOURS", "Diode1: 00090h, Diode2: 00088h\r\n", "lblDiodeHours", "Diode1: 00090h, Diode2: 00088h"},
        {"?DIODE VOLTAGE", "4.7+0.2\r\n", "lblDiodeVoltage", "4.7 V"},
        {"?DIODE VOLTAGE", "4.7\r\n", "lblDiodeVoltage", " V"},
        {"?DIODE CURRENT", "19.5+1\r\n", "lblDiodeCurrent", "19.5 A"},
        {"?TEMPERATURE", "21.5+1\r\n", "lblWaterTemp", "21.5+1 C"},
        {"?TEMPERATURE", "\r\n", "lblWaterTemp", " C"},
        {"?WATER FLOW", "06.1\r\n", "lblWaterFlow", "06.1 l/m"},
        {"?WARNING", "Door Open\r\n", "lblWarning", "Door Open"},
        {"?WARNING", "", "lblWarning", "None"},
        {"?WARNING", "Interlock Error\r\n", "lblWarning", "kept"},
        {"?SYSTEM", "Error 5\r\n", "lblSystemState", "kept"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Query.toStdString() + " " + c.Reply.toStdString());
        Answer(c.Query, c.Reply);
        Get<QLabel>(c.Label)->setText(QStringLiteral("kept"));
        OrvaneControlForm->tmrStatusTimer();
        EXPECT_EQ(Get<QLabel>(c.Label)->text(), c.Shown);
        EXPECT_EQ(Wire(), StatusQueries);
    }

    // The timer itself runs the ticks.
    Answer("?SYSTEM", "Warming Up\r\n");
    OrvaneControlForm->tmrStatus->setInterval(1);
    ASSERT_TRUE(QTest::qWaitFor([this] { return Get<QLabel>("lblSystemState")->text() == "Warming Up"; }));
    OrvaneControlForm->tmrStatus->stop();
    const Commands ticks = Wire();
    EXPECT_EQ(ticks.mid(0, 8), StatusQueries);
    EXPECT_EQ(ticks.size() % 8, 0);
}

TEST_F(OrvanePanel, FireStopPulseModeAndParameterSets)
{
    Show();
    Wire();
    Click("sbFire");
    EXPECT_EQ(Wire(), (Commands{"!GATE ACTIV=1", "!SHUTTER=1"}));
    const auto look = [this] {
        return std::tuple(platform::CaptionColour(*Get<QWidget>("sbFire")), Get<QToolButton>("sbFire")->isChecked(),
                          Get<QToolButton>("sbStop")->isChecked(), Get<QComboBox>("cboShutter")->currentText(),
                          OrvaneControlForm->ShutterIndex);
    };
    EXPECT_EQ(look(), std::tuple(QColor(Qt::red), true, false, QStringLiteral("Open"), 1));
    EXPECT_EQ(QApplication::focusWidget(), OrvaneControlForm);

    Click("sbStop");
    EXPECT_EQ(Wire(), (Commands{GateOff, ShutterClosed}));
    EXPECT_EQ(look(), std::tuple(QColor(Qt::black), false, true, QStringLiteral("Closed"), 0));

    Click("sbFire");
    Choose("cboPulseMode", 1);
    EXPECT_EQ(Wire(), (Commands{"!GATE ACTIV=1", "!SHUTTER=1", GateOff, ShutterClosed, "!PULSE MODE=1"}));
    EXPECT_EQ(look(), std::tuple(QColor(Qt::black), false, true, QStringLiteral("Closed"), 0));
    EXPECT_EQ(OrvaneControlForm->PulseModeIndex, 1);

    Choose("cboParameterSet", 5);
    EXPECT_EQ(std::tuple(Wire(), Marker(), OrvaneControlForm->ParameterSetText),
              std::tuple(Commands{"!PARAMETER SET=05"}, Green, QStringLiteral("05")));
    Click("cmdStore");
    EXPECT_EQ(std::tuple(Wire(), Marker()), std::tuple(Commands{"!PARAMETER SET=SAVE"}, Grey));
    Choose("cboParameterSet", 15);
    Click("cmdRecall");
    EXPECT_EQ(std::tuple(Wire(), Marker()), std::tuple(Commands{"!PARAMETER SET=15", Recall}, Grey));
}

TEST_F(OrvanePanel, SetPointBoxesTestTheirRangeOnEnterAndTheirMaximumOnEveryKey)
{
    enum Ending { None, Enter, Leave, LeftArrow };
    struct Case { const char* Box; const char* Typed; Ending End; const char* Text; float Applied; QRgb Colour;
                  Commands Sent; };
    const Case cases[] = {
        {"leFrequency", "100", Enter, "100.0", 100.0f, White, {"!PULSE FREQUENCY=100.0"}},
        {"leFrequency", "20", Enter, "20.0", 20.0f, White, {"!PULSE FREQUENCY=20.0"}},
        {"leFrequency", "19.9", Enter, "20.0", 20.0f, White, {}},
        {"leFrequency", "100.1", None, "20.0", 20.0f, White, {}},
        {"leFrequency", "2", None, "2", 20.0f, Silver, {}},
        {"leFrequency", "50", LeftArrow, "50", 20.0f, Silver, {}},
        {"leFrequency", "-", None, "20.0", 20.0f, White, {}},
        {"leDiodeCurrent", "13", Enter, "13.0", 13.0f, White, {"!DIODE SETCURRENT=13.0"}},
        {"leDiodeCurrent", "50", Enter, "50.0", 50.0f, White, {"!DIODE SETCURRENT=50.0"}},
        {"leDiodeCurrent", "12.9", Enter, "13.0", 13.0f, White, {}},
        {"leDiodeCurrent", "50.01", None, "13.0", 13.0f, White, {}},
        {"leDiodeCurrent", "5", Leave, "13.0", 13.0f, White, {}},
        {"leDiodeCurrent", "30", Leave, "30.0", 30.0f, White, {"!DIODE SETCURRENT=30.0"}},
    };
    Show();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Box) + " " + c.Typed);
        ResetSettings();
        QLineEdit* box = Get(c.Box);
        Type(*box, QString::fromLatin1(c.Typed));
        const Qt::Key endings[] = {Qt::Key_unknown, Qt::Key_Return, Qt::Key_Tab, Qt::Key_Left};
        if (c.End != None)
            QTest::keyClick(box, endings[c.End]);
        const bool frequency = QByteArray(c.Box) == "leFrequency";
        const float applied = frequency ? OrvaneControlForm->Frequency : OrvaneControlForm->DiodeCurrentSet;
        EXPECT_EQ(std::tuple(box->text(), applied, Colour(*box)),
                  std::tuple(QString::fromLatin1(c.Text), c.Applied, c.Colour));
        EXPECT_EQ(Wire(), c.Sent);
        EXPECT_EQ(QApplication::focusWidget(), box);
        EXPECT_EQ(c.End == None || box->selectedText() == box->text(), true);
    }
}

TEST_F(OrvanePanel, SettingQueriesTakeTheInstrumentsValueAndSendItBack)
{
    using Form = TOrvaneControlForm;
    struct Case { void (Form::*Query)(); QByteArray Command; QByteArray Reply; Commands Sent; Settings After;
                  const char* Error; };
    const QByteArray noNumber = "'' is not a valid floating point value";
    const Case cases[] = {
        {&Form::QueryFrequency, "?PULSE FREQUENCY", "35+\r\n", {"!PULSE FREQUENCY=35.0"},
         {"00", 35.0f, 13.0f, 0, 0, "35.0", "13.0", 0, 0, 0}, nullptr},
        {&Form::QueryFrequency, "?PULSE FREQUENCY", "45.06+1\r\n", {"!PULSE FREQUENCY=45.1"},
         {"00", 45.06f, 13.0f, 0, 0, "45.1", "13.0", 0, 0, 0}, nullptr},
        {&Form::QueryFrequency, "?PULSE FREQUENCY", "Error 2\r\n", {}, NewFile, nullptr},
        {&Form::QueryFrequency, "?PULSE FREQUENCY", "35\r\n", {}, NewFile, noNumber},
        {&Form::QueryDiodeCurrentSet, "?DIODE SETCURRENT", "22.5+\r\n", {"!DIODE SETCURRENT=22.5"},
         {"00", 20.0f, 22.5f, 0, 0, "20.0", "22.5", 0, 0, 0}, nullptr},
        {&Form::QueryDiodeCurrentSet, "?DIODE SETCURRENT", "x+\r\n", {}, NewFile,
         "'x' is not a valid floating point value"},
        {&Form::QueryPulseMode, "?PULSE MODE", "1\r\n", {GateOff, ShutterClosed, "!PULSE MODE=1"},
         {"00", 20.0f, 13.0f, 1, 0, "20.0", "13.0", 0, 1, 0}, nullptr},
        {&Form::QueryPulseMode, "?PULSE MODE", "", {}, NewFile, nullptr},
        {&Form::QueryPulseMode, "?PULSE MODE", "7\r\n", {}, NewFile, nullptr},
        {&Form::QueryShutter, "?SHUTTER", "1\r\n", {"!SHUTTER=1"},
         {"00", 20.0f, 13.0f, 0, 1, "20.0", "13.0", 0, 0, 1}, nullptr},
        {&Form::QueryShutter, "?SHUTTER", "1 Error\r\n", {}, NewFile, nullptr},
        {&Form::QueryShutter, "?SHUTTER", "7\r\n", {}, NewFile, nullptr},
        {&Form::QueryShutter, "?SHUTTER", "1;!GATE ACTIV=1\r\n", {}, NewFile, nullptr},
        {&Form::QueryFrequency, "?PULSE FREQUENCY", "999+\r\n", {}, NewFile, nullptr},
        {&Form::QueryDiodeCurrentSet, "?DIODE SETCURRENT", "999+\r\n", {}, NewFile, nullptr},
        {&Form::QueryFrequency, "?PULSE FREQUENCY", " 3.5e1+1\r\n", {"!PULSE FREQUENCY=35.0"},
         {"00", 35.0f, 13.0f, 0, 0, "35.0", "13.0", 0, 0, 0}, nullptr},
        {&Form::QueryPulseMode, "?PULSE MODE", " +1\r\n", {GateOff, ShutterClosed, "!PULSE MODE=1"},
         {"00", 20.0f, 13.0f, 1, 0, "20.0", "13.0", 0, 1, 0}, nullptr},
        {&Form::QueryParameterSet, "?PARAMETER SET", "\r\n", {Recall},
         {"", 20.0f, 13.0f, 0, 0, "20.0", "13.0", -1, 0, 0}, nullptr},
        {&Form::QueryParameterSet, "?PARAMETER SET", "05\r\n", {"!PARAMETER SET=05", Recall},
         {"05", 20.0f, 13.0f, 0, 0, "20.0", "13.0", 5, 0, 0}, nullptr},
        {&Form::QueryParameterSet, "?PARAMETER SET", "16\r\n", {Recall},
         {"", 20.0f, 13.0f, 0, 0, "20.0", "13.0", -1, 0, 0}, nullptr},
    };
    Show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Command.toStdString() + " " + c.Reply.toStdString());
        ResetSettings();
        Answer(c.Command, c.Reply);
        platform::RunGuarded([&c] { (OrvaneControlForm->*c.Query)(); });
        EXPECT_EQ(Wire(), Commands{c.Command} + c.Sent);
        EXPECT_EQ(Now(), c.After);
        EXPECT_EQ(Ui.Exceptions, c.Error ? std::vector<QString>{QString::fromLatin1(c.Error)} : std::vector<QString>{});
    }
}

TEST_F(OrvanePanel, ReadLaserAndWriteToLaserPauseHalfASecondAfterTheSet)
{
    Show();
    Wire();
    const std::pair<const char*, const char*> answers[] = {
        {"?PARAMETER SET", "07\r\n"}, {"?PULSE FREQUENCY", "35+\r\n"}, {"?DIODE SETCURRENT", "22.5+\r\n"},
        {"?PULSE MODE", "1\r\n"}, {"?SHUTTER", "1\r\n"}};
    for (const auto& [query, reply] : answers)
        Answer(query, reply);
    Click("cmdUpdate");
    EXPECT_EQ(Wire(), (Commands{GateOff, ShutterClosed, "?PARAMETER SET", "!PARAMETER SET=07", Recall,
                                "?PULSE FREQUENCY", "!PULSE FREQUENCY=35.0", "?DIODE SETCURRENT",
                                "!DIODE SETCURRENT=22.5", "?PULSE MODE", GateOff, ShutterClosed, "!PULSE MODE=1",
                                "?SHUTTER", "!SHUTTER=1"}));
    EXPECT_GE(ArrivalGap(Recall, "?PULSE FREQUENCY"), 500ms);
    EXPECT_EQ(Now(), (Settings{"07", 35.0f, 22.5f, 1, 1, "35.0", "22.5", 7, 1, 1}));

    Click("cmdRefresh");
    EXPECT_EQ(Wire(), (Commands{GateOff, ShutterClosed, "!PARAMETER SET=07", Recall, "!PULSE FREQUENCY=35.0",
                                "!DIODE SETCURRENT=22.5", "!PULSE MODE=1", ShutterClosed}));
    EXPECT_GE(ArrivalGap(Recall, "!PULSE FREQUENCY=35.0"), 500ms);

    // A reply with no number before "+" ends the reading there.
    Answer("?PULSE FREQUENCY", "+\r\n");
    Click("cmdUpdate");
    EXPECT_EQ(Wire(), (Commands{GateOff, ShutterClosed, "?PARAMETER SET", "!PARAMETER SET=07", Recall,
                                "?PULSE FREQUENCY"}));
    EXPECT_EQ(Ui.Exceptions, std::vector<QString>{"'' is not a valid floating point value"});
    EXPECT_EQ(OrvaneControlForm->Frequency, 35.0f);
}

struct FileCase
{
    const char* Name;
    std::optional<QByteArray> Contents;  // none: a folder stands in the file's place
    Commands Sent;
    Settings After;
    const char* Error;
};

void PrintTo(const FileCase& c, std::ostream* out)
{
    *out << c.Name;
}

class OrvaneFile : public OrvanePanel, public ::testing::WithParamInterface<FileCase>
{
};

TEST_P(OrvaneFile, EachShowingAppliesTheFileLineByLine)
{
    const FileCase& c = GetParam();
    if (c.Contents)
        WriteConfig(*c.Contents);
    else
        ASSERT_TRUE(QDir().mkdir(ConfigPath()));
    Show();
    const Commands wire = Wire();
    EXPECT_EQ(wire.mid(0, StartSequence.size()), StartSequence);
    EXPECT_EQ(wire.mid(StartSequence.size()), c.Sent);
    EXPECT_EQ(Now(), c.After);
    EXPECT_EQ(Ui.Exceptions, c.Error ? std::vector<QString>{QString::fromLatin1(c.Error)} : std::vector<QString>{});
    EXPECT_EQ(Ui.Messages.size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, OrvaneFile,
    ::testing::Values(
        FileCase{"Saved", "05\r\n45.06\r\n22.5\r\n1\r\n1\r\n",
                 {"!PARAMETER SET=05", Recall, "!PULSE FREQUENCY=45.1", "!DIODE SETCURRENT=22.5", GateOff,
                  ShutterClosed, "!PULSE MODE=1", "!SHUTTER=1", GateOff, ShutterClosed},
                 {"05", 45.06f, 22.5f, 1, 0, "45.1", "22.5", 5, 1, 0}, nullptr},
        FileCase{"BlanksAndBareLineFeeds", " 07 \n 30\t\n13\n0\n1",
                 {"!PARAMETER SET=07", Recall, "!PULSE FREQUENCY=30.0", "!DIODE SETCURRENT=13.0", GateOff,
                  ShutterClosed, "!PULSE MODE=0", "!SHUTTER=1", GateOff, ShutterClosed},
                 {"07", 30.0f, 13.0f, 0, 0, "30.0", "13.0", 7, 0, 0}, nullptr},
        FileCase{"FrequencyNoNumber", "00\r\nabc\r\n22\r\n1\r\n0\r\n",
                 {"!PARAMETER SET=00", Recall, "!PULSE FREQUENCY=20.0", "!DIODE SETCURRENT=22.0", GateOff,
                  ShutterClosed, "!PULSE MODE=1", ShutterClosed, GateOff, ShutterClosed},
                 {"00", 20.0f, 22.0f, 1, 0, "20.0", "22.0", 0, 1, 0}, "'abc' is not a valid floating point value"},
        FileCase{"CurrentMissing", "00\r\n30\r\n",
                 {"!PARAMETER SET=00", Recall, "!PULSE FREQUENCY=30.0", "!DIODE SETCURRENT=13.0", GateOff,
                  ShutterClosed, "!PULSE MODE=0", ShutterClosed, GateOff, ShutterClosed},
                 {"00", 30.0f, 13.0f, 0, 0, "30.0", "13.0", 0, 0, 0}, "'' is not a valid floating point value"},
        FileCase{"IndexesNoNumbers", "01\r\n20\r\n13\r\nx\r\n",
                 {"!PARAMETER SET=01", Recall, "!PULSE FREQUENCY=20.0", "!DIODE SETCURRENT=13.0", GateOff,
                  ShutterClosed, "!PULSE MODE=0", ShutterClosed, GateOff, ShutterClosed},
                 {"01", 20.0f, 13.0f, 0, 0, "20.0", "13.0", 1, 0, 0}, nullptr},
        FileCase{"NeitherOpenedNorCreated", std::nullopt, {}, {"", 20.0f, 13.0f, 0, 0, "100.0", "20.0", -1, -1, -1},
                 nullptr}),
    [](const ::testing::TestParamInfo<FileCase>& info) { return std::string(info.param.Name); });

// Rows: a first showing of a file, its lines with "|" between them; what the
// showing applies (set, frequency, current, pulse mode, shutter), and sends
// again at "Write to Laser", and the file the close writes. A line its box
// would refuse takes the new file's value; a set point that is no number is
// told after the laser is stopped. A set or index that names no item chooses
// none: no set, mode or shutter command is sent for it, now or later, and the
// file keeps it as none chosen.
TEST_F(OrvanePanel, AFileValueItsControlWouldRefuseNeverReachesTheLaser)
{
    struct Case { const char* File; std::array<QByteArray, 5> Applied; const char* Saved; const char* Error; };
    const Case cases[] = {
        {"", {"", "20.0", "13.0", "0", "0"}, "|20|13|0|0", "'' is not a valid floating point value"},
        {"05|abc|30|1|0", {"05", "20.0", "30.0", "1", "0"}, "05|20|30|1|0",
         "'abc' is not a valid floating point value"},
        {"05|500|30|1|0", {"05", "20.0", "30.0", "1", "0"}, "05|20|30|1|0", nullptr},
        {"05|1e30|30|1|0", {"05", "20.0", "30.0", "1", "0"}, "05|20|30|1|0", nullptr},
        {"05|0|30|1|0", {"05", "20.0", "30.0", "1", "0"}, "05|20|30|1|0", nullptr},
        {"05|45|-5|1|0", {"05", "45.0", "13.0", "1", "0"}, "05|45|13|1|0", nullptr},
        {"05|45|30|7|0", {"05", "45.0", "30.0", "", "0"}, "05|45|30|-1|0", nullptr},
        {"05|45|30|1|7", {"05", "45.0", "30.0", "1", ""}, "05|45|30|1|0", nullptr},
        {"05|45|30|x|-", {"05", "45.0", "30.0", "0", "0"}, "05|45|30|0|0", nullptr},
        {"05| +45|3e1|+1| 1", {"05", "45.0", "30.0", "1", "1"}, "05|45|30|1|0", nullptr},
    };
    const auto lines = [](const char* file) {
        return *file == '\0' ? QByteArray() : QByteArray(file).replace('|', "\r\n") + "\r\n";
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.File);
        Ui.Exceptions.clear();
        WriteConfig(lines(c.File));
        Show();
        const auto& [set, frequency, current, mode, shutter] = c.Applied;
        const auto chosen = [](const char* prefix, const QByteArray& item) {
            return item.isEmpty() ? Commands{} : Commands{prefix + item};
        };
        const Commands applied = chosen("!PARAMETER SET=", set)
                                 + Commands{Recall, "!PULSE FREQUENCY=" + frequency, "!DIODE SETCURRENT=" + current,
                                            GateOff, ShutterClosed}
                                 + chosen("!PULSE MODE=", mode) + chosen("!SHUTTER=", shutter)
                                 + Commands{GateOff, ShutterClosed};
        EXPECT_EQ(Wire().mid(StartSequence.size()), applied);
        EXPECT_EQ(Ui.Exceptions, c.Error ? std::vector<QString>{QString::fromLatin1(c.Error)} : std::vector<QString>{});
        Click("cmdRefresh");
        const Commands written = Commands{GateOff, ShutterClosed} + chosen("!PARAMETER SET=", set)
                                 + Commands{Recall, "!PULSE FREQUENCY=" + frequency, "!DIODE SETCURRENT=" + current}
                                 + chosen("!PULSE MODE=", mode) + Commands{ShutterClosed};
        EXPECT_EQ(Wire(), written);
        OrvaneControlForm->close();
        Wire();
        EXPECT_EQ(ReadWholeFile(ConfigPath()), lines(c.Saved));
    }
}

// The install folder on a disk that runs full on demand.
class OrvaneOnFullDisk : public OrvanePanel
{
protected:
    void PrepareInstallFolder() override
    {
        Disk.emplace(InstallPath());
        ASSERT_TRUE(QDir(InstallPath()).mkpath("Logs") && QDir(InstallPath()).mkpath("ports"));
        OrvanePanel::PrepareInstallFolder();
    }
    std::optional<FullFileSystem> Disk;
};

TEST_F(OrvaneOnFullDisk, ACloseThatCannotSaveLeavesTheFileWhole)
{
    Show();
    Type(*Get("leFrequency"), QStringLiteral("45\r"));
    Disk->Fill();
    OrvaneControlForm->close();
    Disk->Free();
    const QStringList files = QDir(InstallPath()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(std::tuple(ReadWholeFile(ConfigPath()), files, Ui.Exceptions.size()),
              std::tuple(QByteArray("00\r\n20.0\r\n13.0\r\n0\r\n0\r\n"),
                         QStringList{"Comm Terminal Config.txt", "Orvane Config.txt"}, 0u));
    // The next showing reads the file as it was.
    Show();
    EXPECT_EQ(std::tuple(OrvaneControlForm->Frequency, Get("leFrequency")->text()),
              std::tuple(20.0f, QStringLiteral("20.0")));
}

} // namespace
