#pragma once

#include <QFile>
#include <QString>

#include <gtest/gtest.h>

// The whole file; a file that cannot be read fails the test and reads empty.
inline QByteArray ReadWholeFile(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

// Replaces the file with the bytes; false when it cannot be written whole.
inline bool WriteWholeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}
