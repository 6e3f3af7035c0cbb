#include "TessalineFixture.h"

#include "support/FullFileSystem.h"

#include <QDir>

#include <map>
#include <optional>

namespace {

const QByteArray DefaultFile = "0,100\r\n0\r\n0\r\n0\r\n0\r\n0\r\n50\r\n0\r\n128\r\n90\r\n1,2500.00,2500.00\r\n0\r\n";

// The default file with some of its lines (counted from 1) replaced.
QByteArray FileWith(const std::map<int, const char*>& lines)
{
    QList<QByteArray> file = DefaultFile.split('\n');
    for (const auto& [line, text] : lines)
        file[line - 1] = QByteArray(text) + '\r';
    return file.join('\n');
}

QList<QByteArray> Starting(const QList<QByteArray>& commands, const char* prefix)
{
    QList<QByteArray> found;
    for (const QByteArray& command : commands) {
        if (command.startsWith(prefix))
            found << command;
    }
    return found;
}

class TessalineConfiguration : public TessalinePanel
{
protected:
    // Closes the panel, puts the file in place and shows the panel again.
    Commands ShowWith(const QByteArray& contents)
    {
        TessalineControlForm->close();
        Wire();
        WriteConfigFile(contents);
        Open(*TessalineControlForm, &TCommTermForm::GRNIRControl1Click);
        return Wire();
    }
    static QByteArray StoredBytes() { return ReadWholeFile(TessalineConfigFileName()); }
};

TEST_F(TessalineConfiguration, FirstShowingWritesTheDefaultFileSendsItAndTheCloseWritesWhatWasSent)
{
    EXPECT_EQ(Shown, (Commands{";LC:AE 0", ";LC:EM 1", ";LC:ED 0,100", ";LC:ED 0,100", ";LC:FL 0", ";LC:AE 0",
                               ";LC:FL 1", ";LC:SW 3 0", ";LC:ED?", ";LC:MO 0", ";LC:BU 0", ";LC:RR 50", ";LC:IL 0,0",
                               ";LC:IL 0,0", ";LC:IL 0,128", ";LC:IL 1,0", ";LC:IL 1,0", ";LC:IL 1,90",
                               ";LC:SP 1,2500.00,2500.00", ";LC:SP 1,2500.00,2500.00", ";LC:SP 1,2500.00,2500.00"}));
    EXPECT_EQ(StoredBytes(), DefaultFile);
    Click("sbFire");
    TessalineControlForm->close();
    EXPECT_EQ(StoredBytes(), DefaultFile);
}

// Rows: the levels stored for the field and the slit illuminator, and the
// field's level each showing leaves it at, which each close writes back; the
// slit's stays as stored. The boxes show the stored levels' percents,
// trunc(level / 2.555).
TEST_F(TessalineConfiguration, ShowingAgainAndAgainKeepsTheStoredIlluminatorLevels)
{
    struct Case { const char* Field; const char* Slit; const char* FieldKept; const char* FieldShown;
                  const char* SlitShown; };
    for (const Case& c : {Case{"127", "89", "127", "49", "34"}, Case{"255", "3", "255", "99", "1"},
                          Case{"256", "254", "128", "50", "99"}}) {
        SCOPED_TRACE(std::string(c.Field) + " " + c.Slit);
        const QByteArray kept = FileWith({{9, c.FieldKept}, {10, c.Slit}});
        Commands showing = ShowWith(FileWith({{9, c.Field}, {10, c.Slit}}));
        EXPECT_EQ(std::tuple(Get("edFieldLED")->text(), Get("edSlitLED")->text()),
                  std::tuple(QString::fromLatin1(c.FieldShown), QString::fromLatin1(c.SlitShown)));
        for (int shown = 1; shown <= 4; ++shown) {
            const Commands field = Starting(showing, ";LC:IL 0,");
            const Commands slit = Starting(showing, ";LC:IL 1,");
            EXPECT_EQ(std::tuple(field.constLast(), slit.constLast()),
                      std::tuple(";LC:IL 0," + QByteArray(c.FieldKept), ";LC:IL 1," + QByteArray(c.Slit))) << shown;
            const Commands next = Reopen();
            EXPECT_EQ(StoredBytes(), kept) << shown;
            // Once the file holds what the panel keeps, every showing sends the same.
            if (shown > 2) {
                EXPECT_EQ(next, showing) << shown;
            }
            showing = next;
        }
    }
    // What the user moves is worked out from its percent.
    Type(*Get("edFieldLED"), QStringLiteral("49\r"));
    EXPECT_EQ(Wire(), Commands{";LC:IL 0,125"});
    TessalineControlForm->close();
    EXPECT_EQ(StoredBytes().split('\n').at(8), "125\r");
}

// Rows in order: the slit boxes keep their texts from one showing to the next.
TEST_F(TessalineConfiguration, EachLineIsAppliedThroughItsControl)
{
    struct Case { const char* Name; QByteArray File; const char* Prefix; Commands Sent; int Item; const char* X;
                  float XSize; };
    const char* const full = "2500.00";
    const Case cases[] = {
        {"line 1 without a comma", FileWith({{1, "500"}}), ";LC:ED ", {";LC:ED 0,100"}, 0, full, 2500.0f},
        {"energy outside its range", FileWith({{1, "1,5000"}}), ";LC:ED ", {";LC:ED 1,100", ";LC:ED 1,100"}, 0, full,
         2500.0f},
        {"magnification 50", FileWith({{11, "50,30.00,40.00"}}), ";LC:SP ",
         {";LC:SP 50,50.00,50.00", ";LC:SP 50,30.00,50.00", ";LC:SP 50,30.00,40.00"}, 4, "30.00", 1500.0f},
        {"magnification 2", FileWith({{11, "2,60.00,70.00"}}), ";LC:SP ",
         {";LC:SP ,30.00,40.00", ";LC:SP ,60.00,40.00", ";LC:SP ,60.00,70.00"}, -1, "60.00", 60.0f},
        {"size texts that are no sizes", FileWith({{11, "5,-3,1.2.3"}}), ";LC:SP ", {";LC:SP 5,500.00,500.00"}, 1,
         "500.00", 2500.0f},
        {"auto energy 1", FileWith({{3, "1"}}), ";LC:AE ", {";LC:AE 0", ";LC:AE 1"}, 0, full, 2500.0f},
        {"a fire state that would fire", FileWith({{2, "3"}}), ";LC:FL ", {";LC:FL 0", ";LC:FL 1"}, 0, full, 2500.0f},
        {"counts outside their boxes", FileWith({{6, "1001"}, {7, "99"}}), ";LC:BU ", {";LC:BU 0"}, 0, full, 2500.0f},
        {"no whole numbers", FileWith({{6, "abc"}, {7, ""}, {4, "x"}}), ";LC:RR ", {";LC:RR 50"}, 0, full, 2500.0f},
        {"a wavelength that names no item", FileWith({{4, "7"}}), ";LC:SW", {}, 0, full, 2500.0f},
        {"its selection still stops the laser", FileWith({{4, "7"}}), ";LC:FL", {";LC:FL 0", ";LC:FL 1"}, 0, full,
         2500.0f},
        {"a mode that names no item", FileWith({{5, "9"}}), ";LC:MO", {}, 0, full, 2500.0f},
        {"no polarization command", FileWith({{8, "30"}, {12, "-45"}}), ";LC:PA", {}, 0, full, 2500.0f},
        {"no theta command", FileWith({{8, "30"}, {12, "-45"}}), ";LC:ST", {}, 0, full, 2500.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const Commands shown = ShowWith(c.File);
        EXPECT_EQ(Starting(shown, c.Prefix), c.Sent);
        EXPECT_EQ(std::tuple(Get<QComboBox>("cbSlitMag")->currentIndex(), Get("leXSize")->text(),
                             TessalineControlForm->SlitXSize),
                  std::tuple(c.Item, QString::fromLatin1(c.X), c.XSize));
        EXPECT_EQ(Ui.Exceptions, std::vector<QString>());
    }
    auto* form = TessalineControlForm;
    EXPECT_EQ(std::tuple(form->PolarizationAngle, Bar("tbPolarization").Position(), Bar("tbPolarization").SelStart(),
                         form->Theta, Bar("tbTheta").Position(), Bar("tbTheta").SelStart()),
              std::tuple(30, 30, 30, -45, -45, -45));
    EXPECT_EQ(std::tuple(form->AutoEnergy, Get<QCheckBox>("cbAutoEnergy")->isChecked(), form->RepRate),
              std::tuple(0, false, 50));
}

// Rows: a first showing of a file, then text dropped on a slit size box; the
// slit commands of both and the lines of the file the close writes that
// differ from the default. A drop on the box the user is in is applied as the
// user leaves it; one on the other box stays there unapplied while the user
// applies 500 in the X box.
TEST_F(TessalineConfiguration, NoValueABoxWouldRefuseIsSentOrWritten)
{
    enum Dropped { None, Into, Beside };
    struct Case { const char* Name; std::map<int, const char*> Lines; Dropped Then; Commands Sent;
                  std::map<int, const char*> Saved; };
    const QByteArray digits = "1," + QByteArray(45, '1') + ".00,2500.00";
    const QByteArray full = ";LC:SP 1,2500.00,2500.00";
    const Case cases[] = {
        {"a size of 45 digits", {{11, digits.constData()}}, None, {full, full}, {}},
        {"sizes beyond the magnification", {{11, "50,100,40.00"}}, None,
         {";LC:SP 50,50.00,50.00", ";LC:SP 50,50.00,40.00"}, {{11, "50,50.00,40.00"}}},
        {"angles beyond their boxes", {{8, "91"}, {12, "-46"}}, None, {full, full, full}, {}},
        {"indexes that name no item", {{4, "7"}, {5, "-9"}}, None, {full, full, full}, {{4, "-1"}, {5, "-1"}}},
        {"1e39 dropped into the X box", {}, Into, {full, full, full}, {}},
        {"1e39 dropped beside", {}, Beside, {full, full, full, ";LC:SP 1,500.00,2500.00"}, {{11, "1,500.00,2500.00"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Commands sent = ShowWith(FileWith(c.Lines));
        QLineEdit* box = Get(c.Then == Beside ? "leYSize" : "leXSize");
        if (c.Then == Into)
            FocusControl(*box);
        if (c.Then != None)
            Drop(*box, QStringLiteral("1e39"));
        if (c.Then == Into)
            FocusControl(*Get("leYSize"));
        if (c.Then == Beside)
            Type(*Get("leXSize"), QStringLiteral("500\r"));
        EXPECT_EQ(Starting(sent + Wire(), ";LC:SP"), c.Sent);
        TessalineControlForm->close();
        EXPECT_EQ(StoredBytes(), FileWith(c.Saved));
        EXPECT_EQ(Ui.Exceptions, std::vector<QString>());
    }
}

TEST_F(TessalineConfiguration, AnIlluminatorSwitchedOffAtCloseIsOffAfterTheNextShowing)
{
    Click("cmdILFieldONOFF");
    EXPECT_EQ(Starting(Reopen(), ";LC:IL 0,"), (Commands{";LC:IL 0,0", ";LC:IL 0,127", ";LC:IL 0,0", ";LC:IL 0,128"}));
    EXPECT_EQ(std::tuple(Get<QPushButton>("cmdILFieldONOFF")->text(), Get<QWidget>("tbFieldLED")->isEnabled(),
                         Get("edFieldLED")->isEnabled(), TessalineControlForm->FieldIlluminatorOff,
                         Get("edFieldLED")->text(), Get<QPushButton>("cmdSlitILONOFF")->text()),
              std::tuple(QStringLiteral("OFF"), false, false, true, QStringLiteral("50"), QStringLiteral("ON")));
}

TEST_F(TessalineConfiguration, AFileThatCanNeitherBeReadNorCreatedLeavesTheShowingsStartState)
{
    TessalineControlForm->close();
    Wire();
    ASSERT_TRUE(QFile::remove(TessalineConfigFileName()) && QDir().mkdir(TessalineConfigFileName()));
    Open(*TessalineControlForm, &TCommTermForm::GRNIRControl1Click);
    EXPECT_EQ(Wire(), (Commands{";LC:AE 0", ";LC:EM 1"}));
    EXPECT_EQ(std::tuple(TessalineControlForm->RepRate, TessalineControlForm->Magnification,
                         Get("leXSize")->isEnabled()),
              std::tuple(0, -1, false));
    TessalineControlForm->close();
    EXPECT_EQ(Wire(), Commands{";LC:FL 0"});
    EXPECT_TRUE(QFileInfo(TessalineConfigFileName()).isDir());
    EXPECT_EQ(Ui.Exceptions, std::vector<QString>());
}

class TessalineOnFullDisk : public TessalineConfiguration
{
protected:
    void PrepareInstallFolder() override
    {
        Disk.emplace(InstallPath());
        ASSERT_TRUE(QDir(InstallPath()).mkpath("Logs") && QDir(InstallPath()).mkpath("ports"));
        TessalineConfiguration::PrepareInstallFolder();
    }
    std::optional<FullFileSystem> Disk;
};

// The old file stays whole and nothing of the save is left beside it.
TEST_F(TessalineOnFullDisk, AFailedWriteLeavesTheOldFileWhole)
{
    Type(*Get("leRepRate"), QStringLiteral("7\r"));
    const QStringList before = QDir(InstallPath()).entryList(QDir::Files | QDir::Hidden);
    Disk->Fill();
    TessalineControlForm->close();
    Disk->Free();
    EXPECT_EQ(std::tuple(StoredBytes(), QDir(InstallPath()).entryList(QDir::Files | QDir::Hidden), Ui.Exceptions.size()),
              std::tuple(DefaultFile, before, 0u));
    TessalineControlForm->SaveConfigurationFile();
    EXPECT_EQ(StoredBytes().split('\n').at(6), "7\r");
}

} // namespace
