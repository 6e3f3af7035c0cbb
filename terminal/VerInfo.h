#pragma once

#include "platform/VersionBlock.h"

#include <QString>

#include <cstdint>

// A file's version information, read from its version block. Members that a
// read did not reach stay cleared: no block leaves the version at 0.0.0.0, and
// a block without a translation leaves every string empty.
class VerInfo
{
public:
    // Reads the running program's own file.
    VerInfo();

    // Stores the name and reads that file's block.
    void SetFileName(const QString& name);
    void Clear();
    void ReadVersionInfo();
    // The fixed block's file version as four decimal numbers joined by ".".
    QString GetFileVersion() const;

    QString FileName;
    platform::FixedFileInfo FixedFileInfo;
    std::uint16_t Language = 0;
    std::uint16_t CodePage = 0;
    QString ProductName;
    QString ProductVersion;
    QString OriginalFilename;
    QString FileDescription;
    QString FileVersion;
    QString CompanyName;
    QString LegalCopyright;
    QString LegalTrademarks;
    QString InternalName;
    QString PrivateBuild;
    QString SpecialBuild;
    QString Comments;
    // The version calls' last error after the most recent read (platform/VersionInfo.h).
    std::uint32_t LastError = 0;

private:
    bool ReadFixedFileInfo(const QByteArray& block);
    bool ReadTranslation(const QByteArray& block);
    void ReadStrings(const QByteArray& block);
};

// Read once before any window exists; the main window's caption and the about
// box show its file version.
extern VerInfo VersionInfo;
