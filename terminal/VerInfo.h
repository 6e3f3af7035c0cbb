#pragma once

#include <QString>

// The program file's version information.
class VerInfo
{
public:
    // Four decimal numbers joined by ".".
    QString GetFileVersion() const;
};

// Read once before any window exists; the main window's caption and the about
// box show its file version.
extern VerInfo VersionInfo;
