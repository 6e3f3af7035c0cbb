// The Tessaline panel's configuration reader against arbitrary file contents:
// no crash, no sanitizer report, every value that goes out unchecked lies in
// its control's range, and what is written reads back the same.

#include "panels/TessalineLanguage.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

bool Within(std::int32_t value, std::int32_t minimum, std::int32_t maximum)
{
    return value >= minimum && value <= maximum;
}

// Applied sizes are empty or numbers the size box could have been typed.
void RequireSizeText(const QString& stored)
{
    const QString applied = tessaline::StoredSizeText(stored);
    Require(applied.isEmpty() || applied == stored);
    for (const QChar c : applied)
        Require((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray contents(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const tessaline::Configuration read = tessaline::ReadConfiguration(contents);

    Require(Within(read.EnergyLevel, 0, 1) && Within(read.Energy, 0, 1000));
    Require(Within(read.FireState, 0, 1) && Within(read.AutoEnergy, 0, 1));
    Require(Within(read.BurstCount, 0, 1000) && Within(read.RepRate, 0, 50));
    const tessaline::SlitParts parts = tessaline::SplitSlitText(read.SlitText);
    RequireSizeText(parts.XSize);
    RequireSizeText(parts.YSize);
    tessaline::MagnificationItem(tessaline::SlitTextMagnification(read.SlitText));
    tessaline::StoredLEDPercent(read.FieldLEDLevel);
    tessaline::LEDPercent(read.SlitLEDLevel);

    const QByteArray written = tessaline::WriteConfiguration(read);
    Require(written.count("\r\n") == 12 && written.count('\n') == 12);
    tessaline::Configuration expected = read;
    expected.SlitText.replace(QLatin1Char('\r'), QLatin1Char(' '));
    Require(tessaline::ReadConfiguration(written) == expected);
    Require(tessaline::WriteConfiguration(expected) == written);
    return 0;
}
