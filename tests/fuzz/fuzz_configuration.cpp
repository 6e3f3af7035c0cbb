// The configuration reader and the terminator parser on any file contents: no
// crash, no sanitizer report, and what is read and written again reads back the same.

#include "platform/Exceptions.h"
#include "serial/CommSettings.h"
#include "terminal/ConfigurationFile.h"

#include <cstdlib>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

// At most two bytes; a failed part keeps only the bytes before it.
void ParseTerminator(const QString& text)
{
    QByteArray bytes;
    try {
        ParseTerminationBytes(text, bytes);
        Require(bytes.size() == (text.contains(QLatin1Char(',')) ? 2 : 1));
    } catch (const EConvertError&) {
        Require(bytes.size() <= 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray contents(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TerminalConfiguration read = DefaultTerminalConfiguration();
    const int items = ReadTerminalConfiguration(contents, read);
    Require(items >= 0 && items <= ConfigurationLineCount);
    const QByteArray written = WriteTerminalConfiguration(read);
    TerminalConfiguration again;
    Require(ReadTerminalConfiguration(written, again) == ConfigurationLineCount);
    Require(WriteTerminalConfiguration(again) == written);
    ParseTerminator(read.TerminationString);
    ParseTerminator(QString::fromLatin1(contents.left(16)));
    return 0;
}
