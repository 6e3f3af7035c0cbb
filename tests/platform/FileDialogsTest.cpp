#include "platform/FileDialogs.h"

#include "support/Files.h"
#include "support/TestServices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>

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

// With the create prompt a name of a file that does not exist is returned only
// after a yes; a no shows the dialog again with that name. Without it, and for
// a file that exists, nothing is asked.
TEST(ChooseFileToOpen, TakesANewNameOnlyWhenTheUserAgreesToCreateIt)
{
    QTemporaryDir folder;
    const QString there = folder.filePath(QStringLiteral("there.iqf"));
    const QString missing = folder.filePath(QStringLiteral("missing.iqf"));
    ASSERT_TRUE(WriteWholeFile(there, "Power,:POW?\r\n"));
    const std::nullopt_t cancel = std::nullopt;
    struct Row
    {
        bool CreatePrompt;
        std::deque<std::optional<QString>> Chosen;
        std::deque<bool> Create;
        std::optional<QString> Result;
        QStringList ShownWith;
        std::vector<QString> Asked;
    };
    const Row rows[] = {
        {true, {there}, {}, there, {"start"}, {}},
        {true, {missing}, {true}, missing, {"start"}, {missing}},
        {true, {missing, cancel}, {false}, cancel, {"start", missing}, {missing}},
        {true, {missing, missing, there}, {false, false}, there, {"start", missing, missing}, {missing, missing}},
        {true, {cancel}, {}, cancel, {"start"}, {}},
        {false, {missing}, {}, missing, {"start"}, {}},
    };
    for (const Row& row : rows) {
        FileDialogRequest request;
        request.FileName = QStringLiteral("start");
        request.CreatePrompt = row.CreatePrompt;
        TestServices user;
        user.FileAnswers = row.Chosen;
        user.CreateAnswers = row.Create;
        EXPECT_EQ(user.OpenFileName(nullptr, request), row.Result);
        QStringList shownWith;
        for (const auto& dialog : user.FileDialogs)
            shownWith << dialog.Request.FileName;
        EXPECT_EQ(std::tuple(shownWith, user.CreatePrompts, user.FileAnswers.size() + user.CreateAnswers.size()),
                  std::tuple(row.ShownWith, row.Asked, std::size_t{0}));
    }
    EXPECT_EQ(CreatePromptText(missing), missing + "\r\nThis file does not exist.\r\nDo you want to create it?");
}

namespace {

// Plays the user of the Qt dialogs: each new modal window takes the next
// answer, a file dialog the name typed (an empty one cancels it), a
// message box "Yes" or "No"; the title and text of each box are kept. With
// no answer left a window is cancelled, so an unexpected one cannot hang.
class ModalPlayer : public QObject
{
public:
    explicit ModalPlayer(QStringList answers) : Answers(std::move(answers))
    {
        connect(&Timer, &QTimer::timeout, this, [this] { Look(); });
        Timer.start(5);
    }

    QStringList Answers, Asked;

private:
    void Look()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == Last || !modal->isVisible())
            return;
        Last = modal;
        // Answered from the event loop rather than inside this timer's call,
        // so that a box the answer brings up is seen in its turn.
        QTimer::singleShot(0, modal, [this, modal] { Answer(*modal); });
    }

    void Answer(QWidget& modal)
    {
        const QString answer = Answers.isEmpty() ? QString() : Answers.takeFirst();
        if (auto* box = qobject_cast<QMessageBox*>(&modal)) {
            Asked << box->windowTitle() + QLatin1Char('|') + box->text();
            QAbstractButton* button = box->button(answer == "Yes" ? QMessageBox::Yes : QMessageBox::No);
            button != nullptr ? button->click() : box->reject();
        } else if (auto* dialog = qobject_cast<QFileDialog*>(&modal)) {
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(answer);
            answer.isEmpty() ? static_cast<QDialog*>(dialog)->reject() : static_cast<QDialog*>(dialog)->accept();
        }
    }

    QPointer<QWidget> Last;
    QTimer Timer;
};

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
    const std::tuple<QStringList, std::optional<QString>, int> rows[] = {
        {{there}, there, 0},
        {{missing, "Yes"}, missing, 1},
        {{missing, "No", ""}, std::nullopt, 1},
    };
    for (const auto& [answers, result, asked] : rows) {
        ModalPlayer user(answers);
        EXPECT_EQ(Services().OpenFileName(nullptr, request), result);
        EXPECT_EQ(std::pair(user.Asked, user.Answers.isEmpty()), std::pair(QStringList(asked, question), true));
    }
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs, false);
}
