#pragma once

#include "platform/NumericEntryBox.h"

#include <QString>
#include <QStringList>

#include <cstdint>

// The Orvane laser system's language, apart from any window: a setting is "!",
// the setting's name, "=" and the value ("!SHUTTER=1"); a query is "?" and the
// name ("?SHUTTER").
namespace orvane {

inline const QString GateOn = QStringLiteral("!GATE ACTIV=1");
inline const QString GateOff = QStringLiteral("!GATE ACTIV=0");
inline const QString StoreParameterSet = QStringLiteral("!PARAMETER SET=SAVE");
inline const QString RecallParameterSet = QStringLiteral("!PARAMETER SET=LOAD");

// Sent at every showing, in this order, before anything is asked.
inline const QStringList StartCommands{
    QStringLiteral("!ECHO=0"),     QStringLiteral("!SET DIOD=3"), QStringLiteral("!SET FREQ=3"),
    QStringLiteral("!SET LEVE=3"), QStringLiteral("!SET RAMP=3"), QStringLiteral("!SET GATE=2")};

inline const QString LaserDataQuery = QStringLiteral("?LASER DATA");
inline const QString ParameterSetQuery = QStringLiteral("?PARAMETER SET");
inline const QString FrequencyQuery = QStringLiteral("?PULSE FREQUENCY");
inline const QString DiodeCurrentSetQuery = QStringLiteral("?DIODE SETCURRENT");
inline const QString PulseModeQuery = QStringLiteral("?PULSE MODE");
inline const QString ShutterQuery = QStringLiteral("?SHUTTER");

// What each of the panel's settings may be: the ranges of its entry boxes
// and the items of its combo boxes. A value outside, from the file or a
// reply, never reaches a field, the file or the laser.
inline constexpr platform::RealNumberRange FrequencyRange{20.0f, 100.0f};
inline constexpr platform::RealNumberRange DiodeCurrentRange{13.0f, 50.0f};
inline constexpr platform::WholeNumberRange PulseModeRange{0, 1};
inline constexpr platform::WholeNumberRange ShutterRange{0, 1};

QString ShutterCommand(std::int32_t index);
QString PulseModeCommand(std::int32_t index);
// Nothing after "=" for an empty name.
QString ParameterSetCommand(const QString& name);
// The value as the entry box shows it, one decimal.
QString FrequencyCommand(const QString& valueText);
QString DiodeCurrentCommand(const QString& valueText);

// The reply up to, not including, the first marker; empty when there is none.
QString TextBefore(const QString& reply, QChar marker);

// "532-..." shows "532nm"; a reply without "-" shows "nm".
QString LaserTypeText(const QString& reply);

// One status query and the label text it makes of an accepted reply.
struct StatusQuery
{
    enum class Shown
    {
        Whole,       // the reply as it came
        BeforePlus,  // the text before "+"
        Warning,     // the reply, "None" when it is empty
    };
    QString Command;
    Shown Form;
    QString Unit;
};

inline const StatusQuery SystemStatus{QStringLiteral("?SYSTEM"), StatusQuery::Shown::Whole, QString()};
inline const StatusQuery KeyswitchStatus{QStringLiteral("?KEYSWITCH"), StatusQuery::Shown::Whole, QString()};
inline const StatusQuery DiodeHoursStatus{QStringLiteral("?DIODE HOURS"), StatusQuery::Shown::Whole, QString()};
inline const StatusQuery DiodeVoltageStatus{QStringLiteral("?DIODE VOLTAGE"), StatusQuery::Shown::BeforePlus,
                                            QStringLiteral(" V")};
inline const StatusQuery DiodeCurrentStatus{QStringLiteral("?DIODE CURRENT"), StatusQuery::Shown::BeforePlus,
                                            QStringLiteral(" A")};
inline const StatusQuery TemperatureStatus{QStringLiteral("?TEMPERATURE"), StatusQuery::Shown::Whole,
                                           QStringLiteral(" C")};
inline const StatusQuery WaterFlowStatus{QStringLiteral("?WATER FLOW"), StatusQuery::Shown::Whole,
                                         QStringLiteral(" l/m")};
inline const StatusQuery WarningStatus{QStringLiteral("?WARNING"), StatusQuery::Shown::Warning, QString()};

QString StatusText(const StatusQuery& query, const QString& reply);

} // namespace orvane
