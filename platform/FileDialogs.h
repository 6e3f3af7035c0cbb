#pragma once

#include "platform/Services.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

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

// Shows an open dialog as asked (its FileName the name to start from) and
// gives the chosen name, or nothing when the user cancelled.
using OpenDialogShowing = std::function<std::optional<QString>(const FileDialogRequest& shown)>;
// Asks whether to create the file of that name; true for yes.
using CreateQuestion = std::function<bool(const QString& fileName)>;

// An open dialog that prompts to create returns the name of a file that does
// not exist only when the user agrees to create it; after a no the dialog
// shows again with that name. Without the prompt every chosen name is returned.
std::optional<QString> ChooseFileToOpen(const FileDialogRequest& request, const OpenDialogShowing& showDialog,
                                        const CreateQuestion& agreeToCreate);

// The create prompt's question about the file.
QString CreatePromptText(const QString& fileName);

} // namespace platform
