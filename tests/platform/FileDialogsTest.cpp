#include "platform/FileDialogs.h"

#include "support/TestServices.h"

#include <gtest/gtest.h>

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
    const char* const cases[][3] = {{"/tmp/log", ".doc", "/tmp/log.doc"},     {"/tmp/log", "doc", "/tmp/log.doc"},
                                    {"/tmp/log.txt", ".doc", "/tmp/log.txt"}, {"/tmp/a.d/log", ".txt", "/tmp/a.d/log.txt"},
                                    {"/tmp/log", "", "/tmp/log"},             {"", ".doc", ""}};
    for (const auto& [name, ext, result] : cases)
        EXPECT_EQ(WithDefaultExt(name, ext), result) << name << ' ' << ext;
}

TEST(TestServices, AnswerFileDialogsInTurnAndCancelWhenNothingIsQueued)
{
    InstalledTestServices ui;
    ui.AnswerFileDialog("/tmp/commands");
    ui.CancelFileDialog();
    FileDialogRequest save{"Save Command Input File", "Text File (*.txt)|*.txt", ".txt", QString(), false, false};
    EXPECT_EQ(Services().SaveFileName(nullptr, save), QStringLiteral("/tmp/commands.txt"));
    EXPECT_EQ(Services().OpenFileName(nullptr, save), std::nullopt);
    EXPECT_EQ(Services().OpenFileName(nullptr, save), std::nullopt);
    ASSERT_EQ(ui.FileDialogs.size(), 3u);
    EXPECT_TRUE(ui.FileDialogs[0].Save);
    EXPECT_FALSE(ui.FileDialogs[1].Save);
    EXPECT_EQ(ui.FileDialogs[0].Request.Title, "Save Command Input File");
}
