#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// The version-information calls a program uses to read a file's version block
// (the layout is described in VersionBlock.h). A program file keeps its block
// in the ELF section VersionSectionName, which the build adds to the linked
// program; the block is read from the file on disk, never from the running
// process's memory.
//
// Like the system calls they stand in for, the calls report failure by their
// result and leave the reason in a per-thread last error:
//   - the errno of a failed open of the file (ENOENT, EACCES, ...), all below 0x10000;
//   - VersionError::NoBlock: the file is not a 64-bit little-endian ELF file,
//     is not a regular file, has no version section, or its section is empty,
//     too large or cannot be read;
//   - VersionError::ValueNotFound: the queried path is not in the block, or the
//     block is not a well-formed version block along that path;
//   - VersionError::InvalidParameter: no buffer was given.
// The two file calls set it to 0 when they succeed, so each read of a block
// starts clean; a successful query leaves it alone, so after a series of
// queries it tells the last one that failed.
namespace platform {

namespace VersionError {
inline constexpr std::uint32_t NoBlock = 0x10001;
inline constexpr std::uint32_t ValueNotFound = 0x10002;
inline constexpr std::uint32_t InvalidParameter = 0x10003;
} // namespace VersionError

// Also named in the build's step that adds the block to a program.
inline constexpr char VersionSectionName[] = ".commterm.version";
// A block's root length is 16 bits; a section beyond this is not a block.
inline constexpr std::uint32_t MaxVersionBlockSize = 0x10000;

std::uint32_t GetLastError();
void SetLastError(std::uint32_t error);

// The size of the file's version block in bytes; 0 when it has none.
std::uint32_t GetFileVersionInfoSize(const QString& fileName);

// Copies the file's version block into data, at most size bytes of it.
bool GetFileVersionInfo(const QString& fileName, std::uint32_t size, void* data);

// The value at subBlock in a block of blockSize bytes: "\" gives the 52 bytes of
// the fixed file information, "\VarFileInfo\Translation" the (language, code
// page) pairs, "\StringFileInfo\<language><code page>\<key>" a string, which
// comes back as 8-bit text up to its NUL (a character beyond 8 bits reads '?').
// Never reads outside the block, however the block is made.
bool VerQueryValue(const void* block, std::uint32_t blockSize, const QString& subBlock, QByteArray& value);

} // namespace platform
