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

// The longest line of the program's own files: the most an edit box holds.
inline constexpr qsizetype LongestLine = 32767;

// The first lineCount lines of a regular file, each with the line end the
// file gives it (LF or CR LF; the file's last line may have none), for a
// reader that uses no more. The file is read only as far as those lines
// reach; a line longer than longestLine bytes, its line end not counted, is
// left out with everything after it. So however large the file, no more than
// lineCount lines of longestLine bytes are read. Refuses and throws as
// ReadFileBytes.
QByteArray ReadLeadingLines(const QString& fileName, int lineCount, qsizetype longestLine = LongestLine);

// Replaces the file with the bytes, or leaves it as it was. The bytes go to a
// new file beside it; every write and the final flush to the disk are
// checked, and only a complete file is renamed over the old one (through a
// symbolic link, over the file it names). A failure removes the new file and
// throws EFileError: "Cannot create file ..." when the new file cannot be
// made, when the name is a read-only file or anything but a regular file;
// "Stream write error ..." when a write or the flush fails (a full disk).
void SaveBytesToFile(const QString& fileName, const QByteArray& contents);

// The lines in the program's code page, each ended by CR LF.
QByteArray LinesToBytes(const QStringList& lines);

// Saves the lines as LinesToBytes writes them, as SaveBytesToFile does.
void SaveLinesToFile(const QString& fileName, const QStringList& lines);

} // namespace platform
