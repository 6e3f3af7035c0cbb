#include "terminal/VerInfo.h"

VerInfo VersionInfo;

QString VerInfo::GetFileVersion() const
{
    return QStringLiteral(COMMTERM_VERSION);
}
