#include "PanelFixture.h"

#include "panels/OrvaneConfiguration.h"
#include "panels/OrvaneControl.h"
#include "panels/TessalineControl.h"

#include <QCheckBox>
#include <QMenu>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

using Commands = QList<QByteArray>;

const QString PortWarning = QStringLiteral("Communications Port Warning");

// The panels with the adapter pulled in the middle of what they send: when a
// given command of an action arrives, the instrument's adapter is pulled and
// that command gets no reply.
class PulledAdapter : public PanelFixture
{
public:
    using PanelFixture::Find;
    void OpenOrvane() { Open(*OrvaneControlForm, &TCommTermForm::OrvaneSystem1Click); }
    void OpenTessaline() { Open(*TessalineControlForm, &TCommTermForm::GRNIRControl1Click); }

    // The adapter goes when the nth command from now arrives; at once for 0.
    void PullAt(int nth)
    {
        if (nth == 0) {
            Instrument->Pull();
            return;
        }
        auto arrived = std::make_shared<int>(0);
        Instrument->SetRule([instrument = Instrument.get(), arrived, nth](const QByteArray&) {
            if (++*arrived < nth)
                return FakeReply("OK\r\n");
            instrument->Pull();
            return FakeReply();
        });
    }

    // Ticks the panel's status box and takes what that sent off the wire.
    void TickStatusBox(QWidget& panel)
    {
        QTest::keyClick(Find<QCheckBox>(panel, "cbStatus"), Qt::Key_Space);
        Wire();
    }
    static void Trigger(QWidget& panel, const char* menu, int entry)
    {
        Find<QMenu>(panel, menu)->actions().at(entry)->trigger();
    }

    void ClickButton(QWidget& panel, const char* name)
    {
        QTest::mouseClick(Find<QPushButton>(panel, name), Qt::LeftButton);
    }
    // The panel opened, its status box ticked.
    void Polling(QWidget& panel, void (PulledAdapter::*open)())
    {
        (this->*open)();
        TickStatusBox(panel);
    }
    static void ThreeTicks(QTimer& timer)
    {
        for (int tick = 0; tick < 3; ++tick)
            Tick(timer);
    }

protected:
    std::vector<QString> Titles() const
    {
        std::vector<QString> titles;
        for (const auto& message : Ui.Messages)
            titles.push_back(message.Title);
        return titles;
    }
};

struct Action
{
    const char* Name;
    // Brings the panel to where the action starts; what it sends is taken off the wire.
    std::function<void(PulledAdapter&)> Prepare;
    std::function<void(PulledAdapter&)> Run;
    // The commands of the action that arrive, the last of them the one during
    // which the adapter went; 0 when it went before the action.
    int Arriving;
    // What the action shows and stores afterwards: a query that never reached
    // the instrument reads nothing, so this is what the panel held before.
    std::function<std::vector<int>()> Kept = {};
    std::vector<int> KeptValues = {};
};

void PrintTo(const Action& action, std::ostream* out)
{
    *out << action.Name;
}

class PulledDuringAnAction : public PulledAdapter, public ::testing::WithParamInterface<Action>
{
};

// Whatever the action, the commands before the pull reach the instrument and
// nothing after it is sent; the send that found the port gone rescans, which
// warns once for the scan and once for the selection, and nothing more is
// told. The port is then no longer chosen.
TEST_P(PulledDuringAnAction, EndsAtItsFirstSendThatFindsThePortGoneAndIsToldOnce)
{
    const Action& action = GetParam();
    if (action.Prepare)
        action.Prepare(*this);
    Wire();
    Ui.Messages.clear();
    PullAt(action.Arriving);
    action.Run(*this);
    EXPECT_EQ(Instrument->Commands().size(), action.Arriving);
    EXPECT_EQ(Titles(), (std::vector<QString>{PortWarning, PortWarning}));
    EXPECT_EQ(Ui.Exceptions, std::vector<QString>());
    EXPECT_EQ(CommTermForm->cboCommTerminal->currentIndex(), -1);
    if (action.Kept) {
        EXPECT_EQ(action.Kept(), action.KeptValues);
    }
}

using Test = PulledAdapter;

const Action Actions[] = {
    {"OrvaneShowing", {}, [](Test& t) { t.OpenOrvane(); }, 7},
    {"OrvaneStatusTicks", [](Test& t) { t.Polling(*OrvaneControlForm, &Test::OpenOrvane); },
     [](Test&) { Test::ThreeTicks(*OrvaneControlForm->tmrStatus); }, 1},
    {"OrvaneReadLaser", [](Test& t) { t.OpenOrvane(); },
     [](Test& t) { t.ClickButton(*OrvaneControlForm, "cmdUpdate"); }, 3},
    {"OrvaneWriteToLaser", [](Test& t) { t.OpenOrvane(); },
     [](Test& t) { t.ClickButton(*OrvaneControlForm, "cmdRefresh"); }, 4},
    {"OrvaneClose", [](Test& t) { t.OpenOrvane(); }, [](Test&) { OrvaneControlForm->close(); }, 0},
    // Pulled at ";LC:AE?": the wavelength and mode queries never go out.
    {"TessalineReadFromController", [](Test& t) { t.OpenTessaline(); },
     [](Test& t) { t.ClickButton(*TessalineControlForm, "cmdUpdate"); }, 3,
     [] {
         const TTessalineControlForm& f = *TessalineControlForm;
         return std::vector<int>{Test::Find<QComboBox>(f, "cbWavelength")->currentIndex(), f.WavelengthIndex,
                                 Test::Find<QComboBox>(f, "cbMode")->currentIndex(), f.ModeIndex};
     },
     {0, 0, 0, 0}},
    {"TessalineWriteToController", [](Test& t) { t.OpenTessaline(); },
     [](Test& t) { t.ClickButton(*TessalineControlForm, "cmdRefresh"); }, 2},
    {"TessalineStatusTicks", [](Test& t) { t.Polling(*TessalineControlForm, &Test::OpenTessaline); },
     [](Test&) { Test::ThreeTicks(*TessalineControlForm->tmrStatus); }, 1},
    {"TessalineExerciseAll", [](Test& t) { t.OpenTessaline(); },
     [](Test&) { Test::Trigger(*TessalineControlForm, "PopupMenuMain", 0); }, 1},
};

INSTANTIATE_TEST_SUITE_P(Panels, PulledDuringAnAction, ::testing::ValuesIn(Actions),
                         [](const ::testing::TestParamInfo<Action>& info) { return info.param.Name; });

using PanelClosing = PulledAdapter;

// The close still stops the poll and keeps the settings: only the commands
// after the laser-off that found the port gone are dropped.
TEST_F(PanelClosing, APulledAdapterStillStopsThePollAndWritesTheFile)
{
    OpenOrvane();
    Type(*Find<QLineEdit>(*OrvaneControlForm, "leFrequency"), QStringLiteral("45\r"));
    Wire();
    QFile::remove(orvane::ConfigFileName());
    PullAt(0);
    OrvaneControlForm->close();
    EXPECT_EQ(Instrument->Commands(), Commands());
    EXPECT_FALSE(OrvaneControlForm->tmrStatus->isActive());
    EXPECT_EQ(ReadWholeFile(orvane::ConfigFileName()), "00\r\n45\r\n13\r\n0\r\n0\r\n");
}

using PanelPoll = PulledAdapter;

// A poll whose port went sends nothing and tells nothing at its ticks; once
// the adapter is back and the user chooses its port again, it polls again.
TEST_F(PanelPoll, SendsNothingWhileNoPortIsChosenAndGoesOnOnceOneIs)
{
    OpenOrvane();
    TickStatusBox(*OrvaneControlForm);
    QTimer& timer = *OrvaneControlForm->tmrStatus;
    Instrument->Pull();
    Instrument.reset();
    Ui.Messages.clear();
    Tick(timer);
    EXPECT_EQ(Titles(), (std::vector<QString>{PortWarning, PortWarning}));
    Tick(timer);
    Tick(timer);
    EXPECT_EQ(Titles().size(), 2u);

    Instrument = std::make_unique<FakeInstrument>(3);
    Instrument->SetRule([](const QByteArray&) { return FakeReply("OK\r\n"); });
    CommTermForm->CommPortScan1Click();
    SelectPort();
    Ui.Messages.clear();
    Wire();
    Tick(timer);
    EXPECT_EQ(Wire(), (Commands{"?SYSTEM", "?KEYSWITCH", "?DIODE HOURS", "?DIODE VOLTAGE", "?DIODE CURRENT",
                                "?TEMPERATURE", "?WATER FLOW", "?WARNING"}));
    EXPECT_EQ(Titles(), std::vector<QString>());
}

} // namespace
