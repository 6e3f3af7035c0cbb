#include "panels/OrvaneDialect.h"


namespace orvane {

QString ShutterCommand(std::int32_t index)
{
    return QStringLiteral("!SHUTTER=") + QString::number(index);
}

QString PulseModeCommand(std::int32_t index)
{
    return QStringLiteral("!PULSE MODE=") + QString::number(index);
}

QString ParameterSetCommand(const QString& name)
{
    return QStringLiteral("!PARAMETER SET=") + name;
}

QString FrequencyCommand(const QString& valueText)
{
    return QStringLiteral("!PULSE FREQUENCY=") + valueText;
}

QString DiodeCurrentCommand(const QString& valueText)
{
    return QStringLiteral("!DIODE SETCURRENT=") + valueText;
}

QString TextBefore(const QString& reply, QChar marker)
{
    const qsizetype at = reply.indexOf(marker);
    return at < 0 ? QString() : reply.left(at);
}

QString LaserTypeText(const QString& reply)
{
    return TextBefore(reply, QLatin1Char('-')) + QStringLiteral("nm");
}

QString StatusText(const StatusQuery& query, const QString& reply)
{
    switch (query.Form) {
    case StatusQuery::Shown::BeforePlus:
        return TextBefore(reply, QLatin1Char('+')) + query.Unit;
    case StatusQuery::Shown::Warning:
        return reply.isEmpty() ? QStringLiteral("None") : reply;
    case StatusQuery::Shown::Whole:
        break;
    }
    return reply + query.Unit;
}

} // namespace orvane
