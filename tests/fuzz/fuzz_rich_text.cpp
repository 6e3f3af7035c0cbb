// The rich-text reader against arbitrary bytes, as they are and behind a
// rich-text header: no crash, no sanitizer report, and never more text than
// bytes read.

#include "platform/RichText.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const QByteArray& rtf : {bytes, "{\\rtf1 " + bytes}) {
        if (platform::PlainTextOfRichText(rtf).size() > rtf.size())
            std::abort();
    }
    return 0;
}
