#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The settings file a panel reads at each showing and writes at each close.
// Both panels keep theirs by one rule.
namespace panels {

// The file's first lineCount lines, each with its line end. Only a file that
// is not there is created, with newFile: one that is there but cannot be read
// (a folder, a device, another user's file) may hold the user's settings and
// is never replaced by the defaults. Nothing when the file cannot be read.
std::optional<QByteArray> ReadPanelFile(const QString& fileName, int lineCount, const QByteArray& newFile);

// Replaces the file whole, or leaves it as it was when the save fails (a full
// disk); nothing is told. A file that is there but cannot be read is left
// alone too: the showing could not apply it, and what the panel would write
// in its place is not what the file holds.
void WritePanelFile(const QString& fileName, const QByteArray& contents);

} // namespace panels
