#include "platform/FileDialogs.h"
#include "platform/Exceptions.h"

#include "support/TestServices.h"

#include <QTextDocument>

#include <gtest/gtest.h>

using namespace platform;

TEST(QtNameFilters, KeepsTheDescriptionAndMatchesAllFilesOnLinux)
{
    const QStringList filters = QtNameFilters(QStringLiteral("Text File (*.txt)|*.txt|All Files (*.*)|*.*"));
    EXPECT_EQ(filters, (QStringList{QStringLiteral("Text File (*.txt) (*.txt)"),
                                    QStringLiteral("All Files (*.*) (*)")}));
}

TEST(QtNameFilters, JoinsSeveralPatternsAndDropsALoneDescription)
{
    EXPECT_EQ(QtNameFilters(QStringLiteral("Settings|*.irf;*.csv|Orphan")),
              QStringList{QStringLiteral("Settings (*.irf *.csv)")});
    EXPECT_TRUE(QtNameFilters(QString()).isEmpty());
}

TEST(WithDefaultExt, AddsTheExtensionOnlyToANameWithout)
{
    EXPECT_EQ(WithDefaultExt(QStringLiteral("/tmp/log"), QStringLiteral(".doc")), QStringLiteral("/tmp/log.doc"));
    EXPECT_EQ(WithDefaultExt(QStringLiteral("/tmp/log"), QStringLiteral("doc")), QStringLiteral("/tmp/log.doc"));
    EXPECT_EQ(WithDefaultExt(QStringLiteral("/tmp/log.txt"), QStringLiteral(".doc")), QStringLiteral("/tmp/log.txt"));
    // A dot in a folder name is no extension of the file.
    EXPECT_EQ(WithDefaultExt(QStringLiteral("/tmp/a.d/log"), QStringLiteral(".txt")), QStringLiteral("/tmp/a.d/log.txt"));
    EXPECT_EQ(WithDefaultExt(QStringLiteral("/tmp/log"), QString()), QStringLiteral("/tmp/log"));
    EXPECT_EQ(WithDefaultExt(QString(), QStringLiteral(".doc")), QString());
}

TEST(TestServices, AnswersFileDialogsInTurnAndCancelsWhenNothingIsQueued)
{
    InstalledTestServices ui;
    ui.AnswerFileDialog(QStringLiteral("/tmp/commands"));
    ui.CancelFileDialog();
    FileDialogRequest save{QStringLiteral("Save Command Input File"), QStringLiteral("Text File (*.txt)|*.txt"),
                           QStringLiteral(".txt"), QString(), false, false};

    EXPECT_EQ(Services().SaveFileName(nullptr, save), QStringLiteral("/tmp/commands.txt"));
    EXPECT_EQ(Services().OpenFileName(nullptr, save), std::nullopt);
    EXPECT_EQ(Services().OpenFileName(nullptr, save), std::nullopt);
    ASSERT_EQ(ui.FileDialogs.size(), 3u);
    EXPECT_TRUE(ui.FileDialogs[0].Save);
    EXPECT_FALSE(ui.FileDialogs[1].Save);
    EXPECT_EQ(ui.FileDialogs[0].Request.Title, QStringLiteral("Save Command Input File"));
}

TEST(TestServices, RecordsMessagesAndPrintJobsAndCanFailAPrint)
{
    InstalledTestServices ui;
    Services().ShowMessage(nullptr, QStringLiteral("Serial Write Failure"), QStringLiteral("Serial Write Failed writing: X"),
                           MessageIcon::Error);
    QTextDocument document(QStringLiteral("line 1\nline 2"));
    Services().PrintDocument(nullptr, document, QStringLiteral("Communications Log"));
    ui.PrintError = QStringLiteral("no printer");
    EXPECT_THROW(Services().PrintDocument(nullptr, document, QStringLiteral("Communications Log")), Exception);

    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_EQ(ui.Messages[0].Title, QStringLiteral("Serial Write Failure"));
    EXPECT_EQ(ui.Messages[0].Icon, MessageIcon::Error);
    ASSERT_EQ(ui.PrintJobs.size(), 1u);
    EXPECT_EQ(ui.PrintJobs[0].Title, QStringLiteral("Communications Log"));
    EXPECT_EQ(ui.PrintJobs[0].Text, QStringLiteral("line 1\nline 2"));
}

TEST(TestServices, PutsBackThePreviousServicesWhenDone)
{
    UiServices* original = &Services();
    {
        InstalledTestServices outer;
        {
            InstalledTestServices inner;
            EXPECT_EQ(&Services(), &inner);
        }
        EXPECT_EQ(&Services(), &outer);
    }
    EXPECT_EQ(&Services(), original);
}
