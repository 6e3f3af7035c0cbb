#include "platform/FileDialogs.h"

#include <QFileInfo>

namespace platform {

namespace {

QString QtPatterns(const QString& patterns)
{
    QStringList result;
    for (const QString& pattern : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString trimmed = pattern.trimmed();
        result << (trimmed == QLatin1String("*.*") ? QStringLiteral("*") : trimmed);
    }
    return result.join(QLatin1Char(' '));
}

} // namespace

QStringList QtNameFilters(const QString& filter)
{
    // Qt reads a filter's patterns from its last parentheses, so the patterns
    // are always appended; the dialog hides that part and shows the
    // description as it was written.
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts.at(i) + QStringLiteral(" (") + QtPatterns(parts.at(i + 1)) + QLatin1Char(')');
    return filters;
}

QString WithDefaultExt(const QString& fileName, const QString& extension)
{
    QString ext = extension;
    if (ext.startsWith(QLatin1Char('.')))
        ext.remove(0, 1);
    if (ext.isEmpty() || fileName.isEmpty() || QFileInfo(fileName).fileName().contains(QLatin1Char('.')))
        return fileName;
    return fileName + QLatin1Char('.') + ext;
}

std::optional<QString> ChooseFileToOpen(const FileDialogRequest& request, const OpenDialogShowing& showDialog,
                                        const CreateQuestion& agreeToCreate)
{
    FileDialogRequest shown = request;
    for (;;) {
        const std::optional<QString> chosen = showDialog(shown);
        if (!chosen || !request.CreatePrompt || QFileInfo::exists(*chosen) || agreeToCreate(*chosen))
            return chosen;
        shown.FileName = *chosen;
    }
}

QString CreatePromptText(const QString& fileName)
{
    return fileName + QStringLiteral("\r\nThis file does not exist.\r\nDo you want to create it?");
}

} // namespace platform
