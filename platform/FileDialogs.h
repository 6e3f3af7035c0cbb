#pragma once

#include <QString>
#include <QStringList>

// The rules a file dialog applies to what it is asked for and to what the user
// chose; shared by the real dialogs and the test services.
namespace platform {

// Translates a component library filter "Desc|pat|Desc|pat" into Qt name
// filters "Desc (pat)". Patterns separated by ';' become one Qt filter, and
// "*.*" becomes "*", which on Linux also matches names without a dot. A
// description without a pattern is dropped.
QStringList QtNameFilters(const QString& filter);

// The chosen name with ".ext" appended when its file part has no extension;
// extension may be given with or without its dot, and empty adds nothing.
QString WithDefaultExt(const QString& fileName, const QString& extension);

} // namespace platform
