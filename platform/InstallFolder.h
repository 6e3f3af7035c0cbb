#pragma once

#include <QString>

// The folder that holds the program file. Every fixed path of the system
// (configuration files, Logs/, ports/) is built from it with '/' separators.
// Tests point it at a temporary folder so they never touch a real installation.
class InstallFolder
{
public:
    // The running program's own file (/proc/self/exe resolved); tests do not move it.
    static QString ProgramFile();
    // The folder of the program file, unless a test has set another one.
    static QString Path();
    // Path() + "/" + relative.
    static QString File(const QString& relative);
    // Used by tests; an empty path goes back to the program file's folder.
    static void SetPath(const QString& path);
};
