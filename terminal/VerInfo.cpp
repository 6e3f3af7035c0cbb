#include "terminal/VerInfo.h"

#include "platform/AnsiText.h"
#include "platform/InstallFolder.h"
#include "platform/VersionInfo.h"

#include <QByteArray>

#include <utility>

namespace {

// The string keys in the order they are read.
constexpr std::pair<const char*, QString VerInfo::*> StringKeys[] = {
    {"ProductName", &VerInfo::ProductName},
    {"ProductVersion", &VerInfo::ProductVersion},
    {"OriginalFilename", &VerInfo::OriginalFilename},
    {"FileDescription", &VerInfo::FileDescription},
    {"FileVersion", &VerInfo::FileVersion},
    {"CompanyName", &VerInfo::CompanyName},
    {"LegalCopyright", &VerInfo::LegalCopyright},
    {"LegalTrademarks", &VerInfo::LegalTrademarks},
    {"InternalName", &VerInfo::InternalName},
    {"PrivateBuild", &VerInfo::PrivateBuild},
    {"SpecialBuild", &VerInfo::SpecialBuild},
    {"Comments", &VerInfo::Comments},
};

bool Query(const QByteArray& block, const QString& path, QByteArray& value)
{
    return platform::VerQueryValue(block.constData(), static_cast<std::uint32_t>(block.size()), path, value);
}

} // namespace

VerInfo::VerInfo()
{
    Clear();
    SetFileName(InstallFolder::ProgramFile());
}

void VerInfo::SetFileName(const QString& name)
{
    FileName = name;
    ReadVersionInfo();
}

void VerInfo::Clear()
{
    FixedFileInfo = {};
    Language = 0;
    CodePage = 0;
    for (const auto& key : StringKeys)
        this->*key.second = QString();
    LastError = 0;
}

void VerInfo::ReadVersionInfo()
{
    Clear();
    const std::uint32_t size = platform::GetFileVersionInfoSize(FileName);
    if (size == 0) {
        LastError = platform::GetLastError();
        return;
    }
    QByteArray block(static_cast<qsizetype>(size), '\0');
    if (!platform::GetFileVersionInfo(FileName, size, block.data()) || !ReadFixedFileInfo(block)
        || !ReadTranslation(block)) {
        LastError = platform::GetLastError();
        return;
    }
    ReadStrings(block);
    LastError = platform::GetLastError();
}

// A fixed block shorter than its 52 bytes counts as missing: copying it whole
// would read past the value.
bool VerInfo::ReadFixedFileInfo(const QByteArray& block)
{
    QByteArray value;
    if (!Query(block, QStringLiteral("\\"), value))
        return false;
    if (static_cast<std::size_t>(value.size()) < platform::FixedFileInfo::Size) {
        platform::SetLastError(platform::VersionError::ValueNotFound);
        return false;
    }
    FixedFileInfo = platform::FixedFileInfo::FromBytes(
        std::span(reinterpret_cast<const std::uint8_t*>(value.constData()), platform::FixedFileInfo::Size));
    return true;
}

bool VerInfo::ReadTranslation(const QByteArray& block)
{
    QByteArray value;
    if (!Query(block, QStringLiteral("\\VarFileInfo\\Translation"), value))
        return false;
    if (value.size() < 4) {
        platform::SetLastError(platform::VersionError::ValueNotFound);
        return false;
    }
    const auto byte = [&value](int at) { return static_cast<std::uint16_t>(static_cast<std::uint8_t>(value[at])); };
    Language = static_cast<std::uint16_t>(byte(0) | (byte(1) << 8));
    CodePage = static_cast<std::uint16_t>(byte(2) | (byte(3) << 8));
    return true;
}

void VerInfo::ReadStrings(const QByteArray& block)
{
    const QString prefix = QString::fromStdString(platform::StringTableKey(Language, CodePage));
    for (const auto& [key, member] : StringKeys) {
        QByteArray value;
        const QString path = QStringLiteral("\\StringFileInfo\\") + prefix + QLatin1Char('\\') + QLatin1String(key);
        this->*member = Query(block, path, value) ? platform::AnsiToText(value) : QString();
    }
}

QString VerInfo::GetFileVersion() const
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(FixedFileInfo.FileVersionMS >> 16)
        .arg(FixedFileInfo.FileVersionMS & 0xFFFF)
        .arg(FixedFileInfo.FileVersionLS >> 16)
        .arg(FixedFileInfo.FileVersionLS & 0xFFFF);
}

// Defined after the key table it reads while it is built.
VerInfo VersionInfo;
