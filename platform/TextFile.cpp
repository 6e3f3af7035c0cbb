#include "platform/TextFile.h"

#include "platform/Exceptions.h"

#include <QDir>
#include <QFile>

namespace platform {

void SaveBytesToFile(const QString& fileName, const QByteArray& contents)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EFileError(QStringLiteral("Cannot create file \"%1\". %2")
                             .arg(QDir::toNativeSeparators(fileName), file.errorString()));
    if (file.write(contents) != contents.size() || !file.flush())
        throw EFileError(QStringLiteral("Stream write error"));
}

void SaveLinesToFile(const QString& fileName, const QStringList& lines)
{
    QByteArray text;
    for (const QString& line : lines)
        text += line.toLatin1() + "\r\n";
    SaveBytesToFile(fileName, text);
}

} // namespace platform
