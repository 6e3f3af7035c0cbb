#include "platform/InstallFolder.h"

#include <QFileInfo>

#include <mutex>

namespace {

std::mutex folderMutex;
QString overridePath;

QString ProgramFolder()
{
    static const QString folder = InstallFolder::ProgramFile().section(QLatin1Char('/'), 0, -2);
    return folder;
}

} // namespace

QString InstallFolder::ProgramFile()
{
    static const QString file = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return file;
}

QString InstallFolder::Path()
{
    std::lock_guard lock(folderMutex);
    return overridePath.isEmpty() ? ProgramFolder() : overridePath;
}

QString InstallFolder::File(const QString& relative)
{
    return Path() + QLatin1Char('/') + relative;
}

void InstallFolder::SetPath(const QString& path)
{
    std::lock_guard lock(folderMutex);
    overridePath = path;
}
