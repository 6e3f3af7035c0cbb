#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Plain 8-bit text files as the class library's string lists save them, and
// the one way the system replaces a file.
namespace platform {

// The whole of a regular file. Anything else (a FIFO, a device, a folder) is
// refused without blocking. Throws EFileError "Cannot open file ..." with the reason.
QByteArray ReadFileBytes(const QString& fileName);

// Replaces the file with the bytes, or leaves it as it was. The bytes go to a
// new file beside it; every write and the final flush to the disk are
// checked, and only a complete file is renamed over the old one (through a
// symbolic link, over the file it names). A failure removes the new file and
// throws EFileError: "Cannot create file ..." when the new file cannot be
// made, when the name is a read-only file or anything but a regular file;
// "Stream write error ..." when a write or the flush fails (a full disk).
void SaveBytesToFile(const QString& fileName, const QByteArray& contents);

// Saves the lines in the program's code page, each ended by CR LF, as
// SaveBytesToFile does.
void SaveLinesToFile(const QString& fileName, const QStringList& lines);

} // namespace platform
