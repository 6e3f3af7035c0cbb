#include "platform/FileDialogs.h"

#include "support/Files.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <functional>

using namespace platform;

TEST(QtNameFilters, KeepTheDescriptionJoinPatternsAndMatchAllFilesOnLinux)
{
    EXPECT_EQ(QtNameFilters("Text File (*.txt)|*.txt|All Files (*.*)|*.*"),
              (QStringList{"Text File (*.txt) (*.txt)", "All Files (*.*) (*)"}));
    // A description without its patterns is dropped.
    EXPECT_EQ(QtNameFilters("Settings|*.irf;*.csv|Orphan"), QStringList{"Settings (*.irf *.csv)"});
    EXPECT_TRUE(QtNameFilters(QString()).isEmpty());
}

TEST(WithDefaultExt, AddsTheExtensionOnlyToANameWithout)
{
    const char* const cases[][3] = {{"/tmp/log", ".doc", "/tmp/log.doc"}, {"/tmp/log", "doc", "/tmp/log.doc"},
                                    {"/tmp/log.txt", ".doc", "/tmp/log.txt"},
                                    {"/tmp/a.d/log", ".txt", "/tmp/a.d/log.txt"}, {"/tmp/log", "", "/tmp/log"},
                                    {"", ".doc", ""}};
    for (const auto& [name, ext, result] : cases)
        EXPECT_EQ(WithDefaultExt(name, ext), result) << name << ' ' << ext;
}

namespace {

// Shows the dialog answers in turn and records the names it was shown with.
struct ScriptedOpen
{
    std::deque<std::optional<QString>> Chosen;
    std::deque<bool> Create;
    QStringList ShownWith;
    QStringList Asked;

    std::optional<QString> Choose(const FileDialogRequest& request)
    {
        return ChooseFileToOpen(
            request,
            [this](const FileDialogRequest& shown) {
                ShownWith << shown.FileName;
                const std::optional<QString> name = Chosen.front();
                Chosen.pop_front();
                return name;
            },
            [this](const QString& fileName) {
                Asked << fileName;
                const bool create = Create.front();
                Create.pop_front();
                return create;
            });
    }
};

} // namespace

// With the create prompt a name of a file that does not exist is returned only
// after a yes; a no shows the dialog again with that name. Without it, and for
// a file that exists, nothing is asked.
TEST(ChooseFileToOpen, TakesANewNameOnlyWhenTheUserAgreesToCreateIt)
{
    QTemporaryDir folder;
    const QString there = folder.filePath(QStringLiteral("there.iqf"));
    const QString missing = folder.filePath(QStringLiteral("missing.iqf"));
    ASSERT_TRUE(WriteWholeFile(there, "Power,:POW?\r\n"));
    struct Row
    {
        bool CreatePrompt;
        std::deque<std::optional<QString>> Chosen;
        std::deque<bool> Create;
        std::optional<QString> Result;
        QStringList ShownWith, Asked;
    };
    const Row rows[] = {
        {true, {there}, {}, there, {"start"}, {}},
        {true, {missing}, {true}, missing, {"start"}, {missing}},
        {true, {missing, std::nullopt}, {false}, std::nullopt, {"start", missing}, {missing}},
        {true, {missing, missing, there}, {false, false}, there, {"start", missing, missing}, {missing, missing}},
        {true, {std::nullopt}, {}, std::nullopt, {"start"}, {}},
        {false, {missing}, {}, missing, {"start"}, {}},
    };
    for (const Row& row : rows) {
        FileDialogRequest request;
        request.FileName = QStringLiteral("start");
        request.CreatePrompt = row.CreatePrompt;
        ScriptedOpen script{row.Chosen, row.Create, {}, {}};
        EXPECT_EQ(script.Choose(request), row.Result);
        EXPECT_EQ(std::tuple(script.ShownWith, script.Asked, script.Chosen.size()),
                  std::tuple(row.ShownWith, row.Asked, std::size_t{0}));
    }
    EXPECT_EQ(CreatePromptText(missing), missing + "\r\nThis file does not exist.\r\nDo you want to create it?");
}

namespace {

// Plays the user of the Qt dialogs: each time a new modal window comes up,
// the next step acts on it.
class ModalPlayer : public QObject
{
public:
    using Step = std::function<void(QWidget&)>;

    explicit ModalPlayer(std::deque<Step> steps) : Steps(std::move(steps))
    {
        connect(&Timer, &QTimer::timeout, this, [this] { Look(); });
        Timer.start(5);
    }

    std::size_t Left() const { return Steps.size(); }

private:
    void Look()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == Last || !modal->isVisible() || Steps.empty())
            return;
        Last = modal;
        const Step step = std::move(Steps.front());
        Steps.pop_front();
        step(*modal);
    }

    std::deque<Step> Steps;
    QPointer<QWidget> Last;
    QTimer Timer;
};

ModalPlayer::Step ChooseInDialog(const QString& name)
{
    return [name](QWidget& window) {
        auto* dialog = qobject_cast<QFileDialog*>(&window);
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(name);
        static_cast<QDialog*>(dialog)->accept();
    };
}

ModalPlayer::Step CancelDialog()
{
    return [](QWidget& window) {
        ASSERT_NE(qobject_cast<QFileDialog*>(&window), nullptr);
        qobject_cast<QDialog*>(&window)->reject();
    };
}

ModalPlayer::Step AnswerBox(QStringList& asked, QMessageBox::StandardButton button)
{
    return [&asked, button](QWidget& window) {
        auto* box = qobject_cast<QMessageBox*>(&window);
        ASSERT_NE(box, nullptr);
        asked << box->windowTitle() + QLatin1Char('|') + box->text();
        box->button(button)->click();
    };
}

} // namespace

// The program's own open dialog, driven as a user drives it.
TEST(ChooseFileToOpen, TheQtOpenDialogAsksBeforeItTakesANewName)
{
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QTemporaryDir folder;
    const QString there = folder.filePath(QStringLiteral("there.iqf"));
    const QString missing = folder.filePath(QStringLiteral("missing.iqf"));
    ASSERT_TRUE(WriteWholeFile(there, "Power,:POW?\r\n"));
    const QString question =
        QStringLiteral("Open|") + missing + QStringLiteral("\nThis file does not exist.\nDo you want to create it?");
    FileDialogRequest request;
    request.Title = QStringLiteral("Open");
    request.Filter = QStringLiteral("Text File (*.iqf)|*.iqf|All Files (*.*)|*.*");
    request.CreatePrompt = true;

    struct Row
    {
        std::function<std::deque<ModalPlayer::Step>(QStringList& asked)> Steps;
        std::optional<QString> Result;
        int Asked;
    };
    const Row rows[] = {
        {[&](QStringList&) { return std::deque{ChooseInDialog(there)}; }, there, 0},
        {[&](QStringList& asked) { return std::deque{ChooseInDialog(missing), AnswerBox(asked, QMessageBox::Yes)}; },
         missing, 1},
        {[&](QStringList& asked) {
             return std::deque{ChooseInDialog(missing), AnswerBox(asked, QMessageBox::No), CancelDialog()};
         },
         std::nullopt, 1},
    };
    for (const Row& row : rows) {
        QStringList asked;
        ModalPlayer player(row.Steps(asked));
        EXPECT_EQ(Services().OpenFileName(nullptr, request), row.Result);
        EXPECT_EQ(std::pair(asked, player.Left()), std::pair(QStringList(row.Asked, question), std::size_t{0}));
    }
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs, false);
}
