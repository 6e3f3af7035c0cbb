#include "platform/FileDialogs.h"

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
    const char* const cases[][3] = {{"/tmp/log", ".doc", "/tmp/log.doc"}, {"/tmp/log", "doc", "/tmp/log.doc"},
                                    {"/tmp/log.txt", ".doc", "/tmp/log.txt"},
                                    {"/tmp/a.d/log", ".txt", "/tmp/a.d/log.txt"}, {"/tmp/log", "", "/tmp/log"},
                                    {"", ".doc", ""}};
    for (const auto& [name, ext, result] : cases)
        EXPECT_EQ(WithDefaultExt(name, ext), result) << name << ' ' << ext;
}
