#include "panels/PanelFile.h"

#include "platform/Exceptions.h"
#include "platform/RegularFile.h"
#include "platform/TextFile.h"

#include <QFileInfo>

namespace panels {

namespace {

// Anything but a regular file counts as unreadable. Only the lines that hold
// items are read, so a huge file costs no more than a sound one.
std::optional<QByteArray> ReadLines(const QString& fileName, int lineCount)
{
    try {
        return platform::ReadLeadingLines(fileName, lineCount);
    } catch (const EFileError&) {
        return std::nullopt;
    }
}

} // namespace

std::optional<QByteArray> ReadPanelFile(const QString& fileName, int lineCount, const QByteArray& newFile)
{
    // A link to a file that is gone counts as not there: the save goes through it.
    if (!QFileInfo::exists(fileName))
        WritePanelFile(fileName, newFile);
    return ReadLines(fileName, lineCount);
}

void WritePanelFile(const QString& fileName, const QByteArray& contents)
{
    if (QFileInfo::exists(fileName) && !platform::RegularFile(fileName).IsOpen())
        return;
    try {
        platform::SaveBytesToFile(fileName, contents);
    } catch (const EFileError&) {
    }
}

} // namespace panels
