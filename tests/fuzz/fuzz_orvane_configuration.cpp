// The Orvane panel's configuration reading against arbitrary file contents:
// no crash, no sanitizer report; at most five items, none holding a line end;
// a number line either reads as a finite single-precision value or raises the
// conversion error; and settings written, read and written again give the
// same file.

#include "panels/OrvaneConfiguration.h"
#include "platform/Conversions.h"
#include "platform/Exceptions.h"

#include <QByteArray>
#include <QString>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

std::optional<float> RealItem(const QString& text)
{
    try {
        const float value = platform::StrToSingle(text);
        Require(std::isfinite(value));
        return value;
    } catch (const EConvertError&) {
        return std::nullopt;
    }
}

// The items as the panel applies them; unreadable numbers keep the defaults.
orvane::Settings Apply(const QStringList& items)
{
    orvane::Settings settings;
    settings.ParameterSetText = items.value(0);
    settings.Frequency = RealItem(items.value(1)).value_or(20.0f);
    settings.DiodeCurrentSet = RealItem(items.value(2)).value_or(13.0f);
    settings.PulseModeIndex = platform::StrToIntDef(items.value(3), 0);
    settings.ShutterIndex = platform::StrToIntDef(items.value(4), 0);
    return settings;
}

// The file as it is saved: each line ended by CR LF.
QByteArray FileBytes(const QStringList& lines)
{
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray contents(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    const QStringList items = orvane::ConfigurationItems(contents);
    Require(items.size() <= orvane::ConfigurationLineCount);
    for (const QString& item : items)
        Require(!item.contains(QLatin1Char('\n')) && item == item.trimmed());

    orvane::Settings settings = Apply(items);
    // The panel stores only a name its combo box holds ("00" to "15"), or none.
    const QString& name = settings.ParameterSetText;
    if (!(name.size() == 2 && name.at(0).isDigit() && name.at(1).isDigit()))
        settings.ParameterSetText.clear();
    const QStringList written = orvane::ConfigurationLines(settings);
    const QStringList again = orvane::ConfigurationItems(FileBytes(written));
    Require(again == written);
    Require(orvane::ConfigurationLines(Apply(again)) == written);
    return 0;
}
