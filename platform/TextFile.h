#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Plain 8-bit text files as the class library's string lists save them.
namespace platform {

// Replaces the file with the lines, each ended by CR LF; characters outside
// Latin-1 are written as '?'. Throws EFileError when the file cannot be
// created or written.
void SaveLinesToFile(const QString& fileName, const QStringList& lines);

// Replaces the file with the bytes. Throws EFileError as SaveLinesToFile does.
void SaveBytesToFile(const QString& fileName, const QByteArray& contents);

} // namespace platform
