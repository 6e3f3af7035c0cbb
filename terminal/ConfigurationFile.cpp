#include "terminal/ConfigurationFile.h"

#include "platform/AnsiText.h"
#include "platform/Exceptions.h"
#include "platform/InstallFolder.h"
#include "platform/TextFile.h"
#include "serial/CommSettings.h"

#include <QByteArrayView>

#include <limits>
#include <optional>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

QByteArrayView SkipBlanks(QByteArrayView text)
{
    qsizetype start = 0;
    while (start < text.size() && IsBlank(text[start]))
        ++start;
    return text.sliced(start);
}

// The file's lines one at a time, each read as one of the three item forms.
// A form that cannot be read leaves its item untouched.
class ItemReader
{
public:
    explicit ItemReader(const QByteArray& contents) : Contents(contents) {}

    // The first blank-delimited word.
    bool Word(QString& item);
    // The decimal number at the start of the line, blanks skipped, optional
    // sign; a line that starts otherwise, or a number outside 32 bits, is unreadable.
    bool Integer(std::int32_t& item);
    // The line less its leading blanks and tabs.
    bool LineText(QString& item);

    int ItemsRead() const { return Items; }

private:
    std::optional<QByteArrayView> NextLine();
    bool Take(const std::optional<QString>& text, QString& item);

    QByteArrayView Contents;
    qsizetype Position = 0;
    int Items = 0;
};

std::optional<QByteArrayView> ItemReader::NextLine()
{
    if (Position >= Contents.size())
        return std::nullopt;
    qsizetype end = Contents.indexOf('\n', Position);
    if (end < 0)
        end = Contents.size();
    QByteArrayView line = Contents.sliced(Position, end - Position);
    Position = end + 1;
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

bool ItemReader::Take(const std::optional<QString>& text, QString& item)
{
    if (!text)
        return false;
    item = *text;
    ++Items;
    return true;
}

bool ItemReader::Word(QString& item)
{
    const std::optional<QByteArrayView> line = NextLine();
    if (!line)
        return false;
    const QByteArrayView word = SkipBlanks(*line);
    qsizetype length = 0;
    while (length < word.size() && !IsBlank(word[length]))
        ++length;
    return Take(platform::AnsiToText(word.first(length)), item);
}

bool ItemReader::LineText(QString& item)
{
    const std::optional<QByteArrayView> line = NextLine();
    if (!line)
        return false;
    qsizetype start = 0;
    while (start < line->size() && ((*line)[start] == ' ' || (*line)[start] == '\t'))
        ++start;
    return Take(platform::AnsiToText(line->sliced(start)), item);
}

std::optional<std::int32_t> LeadingInteger(QByteArrayView text)
{
    text = SkipBlanks(text);
    const bool negative = text.startsWith('-');
    if (negative || text.startsWith('+'))
        text = text.sliced(1);
    if (text.isEmpty() || text[0] < '0' || text[0] > '9')
        return std::nullopt;
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t value = 0;
    for (qsizetype i = 0; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > limit)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

bool ItemReader::Integer(std::int32_t& item)
{
    const std::optional<QByteArrayView> line = NextLine();
    if (!line)
        return false;
    const std::optional<std::int32_t> value = LeadingInteger(*line);
    if (!value)
        return false;
    item = *value;
    ++Items;
    return true;
}

bool ReadGroup(ItemReader& reader, TCommandGroup& group, std::array<QString, 10>& recentCommands)
{
    if (!reader.LineText(group.GroupName))
        return false;
    for (QString& text : group.CommandStrings) {
        if (!reader.LineText(text))
            return false;
    }
    for (std::size_t i = 0; i < group.Commands.size(); ++i) {
        if (!reader.LineText(group.Commands[i]))
            return false;
        recentCommands[i] = group.Commands[i];
    }
    return true;
}

bool ReadGroups(ItemReader& reader, TerminalConfiguration& configuration)
{
    for (TCommandGroup& group : configuration.Groups) {
        if (!ReadGroup(reader, group, configuration.RecentCommands))
            return false;
    }
    return true;
}

// Anything but a regular file counts as unreadable. Only the lines that hold
// items are read, so a huge file costs no more than a sound one.
std::optional<QByteArray> ReadConfigurationBytes()
{
    try {
        return platform::ReadLeadingLines(ConfigFileName(), ConfigurationLineCount);
    } catch (const EFileError&) {
        return std::nullopt;
    }
}

// Silent on failure, and a failed save leaves the file it would have replaced whole.
void WriteConfigurationBytes(const QByteArray& contents)
{
    try {
        platform::SaveBytesToFile(ConfigFileName(), contents);
    } catch (const EFileError&) {
    }
}

// The stored file, or, when there is none to open, a file of defaults
// written and read back. Nothing when neither works.
std::optional<QByteArray> OpenConfigurationFile()
{
    if (std::optional<QByteArray> contents = ReadConfigurationBytes())
        return contents;
    WriteConfigurationBytes(WriteTerminalConfiguration(DefaultTerminalConfiguration()));
    return ReadConfigurationBytes();
}

} // namespace

QString ConfigFileName()
{
    return InstallFolder::File(QStringLiteral("Comm Terminal Config.txt"));
}

TerminalConfiguration DefaultTerminalConfiguration()
{
    TerminalConfiguration defaults;
    defaults.PortName = QStringLiteral("COMX");
    defaults.BaudRateText = QStringLiteral("9600");
    defaults.BaudRate = 9600;
    defaults.DataBits = 8;
    defaults.Parity = 0;
    defaults.StopBits = 0;
    defaults.TerminationString = QStringLiteral("0D,0A");
    defaults.CurrentGroup = 0;
    for (std::size_t g = 0; g < defaults.Groups.size(); ++g) {
        TCommandGroup& group = defaults.Groups[g];
        group.GroupName = QStringLiteral("GROUP%1").arg(g + 1);
        group.CommandStrings.fill(QStringLiteral("Empty"));
        group.Commands.fill(QStringLiteral("Command"));
    }
    defaults.RecentCommands.fill(QStringLiteral("Command"));
    return defaults;
}

int ReadTerminalConfiguration(const QByteArray& contents, TerminalConfiguration& configuration)
{
    ItemReader reader(contents);
    reader.Word(configuration.PortName)
        && reader.Word(configuration.BaudRateText)
        && reader.Integer(configuration.BaudRate)
        && reader.Integer(configuration.DataBits)
        && reader.Integer(configuration.Parity)
        && reader.Integer(configuration.StopBits)
        && reader.Word(configuration.TerminationString)
        && reader.Integer(configuration.CurrentGroup)
        && ReadGroups(reader, configuration);
    return reader.ItemsRead();
}

QByteArray WriteTerminalConfiguration(const TerminalConfiguration& configuration)
{
    QByteArray contents;
    const auto line = [&contents](const QString& text) {
        contents += platform::TextToAnsi(text);
        contents += "\r\n";
    };
    line(configuration.PortName);
    line(configuration.BaudRateText);
    line(QString::number(configuration.BaudRate));
    line(QString::number(configuration.DataBits));
    line(QString::number(configuration.Parity));
    line(QString::number(configuration.StopBits));
    line(configuration.TerminationString);
    line(QString::number(configuration.CurrentGroup));
    for (const TCommandGroup& group : configuration.Groups) {
        line(group.GroupName);
        for (const QString& text : group.CommandStrings)
            line(text);
        for (const QString& command : group.Commands)
            line(command);
    }
    return contents;
}

// A terminator that is not hexadecimal throws once the port settings are
// taken and before the groups are: the load ends there.
void TCommTermForm::LoadConfigurationFile()
{
    // The scan leaves the port object named after the last port it tried;
    // a file that names no port, or none that can be read, chooses none.
    CommPort->PortName = DefaultTerminalConfiguration().PortName;
    const std::optional<QByteArray> contents = OpenConfigurationFile();
    TerminalConfiguration stored = ConfigurationShown();
    stored.CurrentGroup = 0;
    if (contents) {
        ReadTerminalConfiguration(*contents, stored);
        TakeStoredLineSettings(stored);
        ApplyTerminationString(stored.TerminationString);
        TakeStoredGroups(stored);
    }
    SelectStoredGroup(stored.CurrentGroup);
}

void TCommTermForm::SaveConfigurationFile()
{
    if (CurrentGroup >= 0 && CurrentGroup < static_cast<int>(CommandGroups.size()))
        StoreCommandGroup(CurrentGroup);
    WriteConfigurationBytes(WriteTerminalConfiguration(ConfigurationShown()));
}

TerminalConfiguration TCommTermForm::ConfigurationShown() const
{
    TerminalConfiguration shown;
    shown.PortName = CommPort->PortName;
    shown.BaudRateText = CommPort->BaudRateText;
    shown.BaudRate = CommPort->BaudRate;
    shown.DataBits = CommPort->DataBits;
    shown.Parity = CommPort->Parity;
    shown.StopBits = CommPort->StopBits;
    shown.TerminationString = TerminationString;
    shown.CurrentGroup = CurrentGroup;
    shown.Groups = CommandGroups;
    shown.RecentCommands = CommandArray;
    return shown;
}

void TCommTermForm::TakeStoredLineSettings(const TerminalConfiguration& stored)
{
    CommPort->PortName = stored.PortName;
    CommPort->BaudRateText = stored.BaudRateText;
    CommPort->BaudRate = stored.BaudRate;
    CommPort->DataBits = stored.DataBits;
    CommPort->Parity = stored.Parity;
    CommPort->StopBits = stored.StopBits;
}

// The group box gets all ten names, read or not.
void TCommTermForm::TakeStoredGroups(const TerminalConfiguration& stored)
{
    cboCommandGroup->clear();
    cboCommandGroup->clearEditText();
    CommandGroups = stored.Groups;
    for (const TCommandGroup& group : CommandGroups)
        cboCommandGroup->addItem(group.GroupName);
    CommandArray = stored.RecentCommands;
}

// A stored index outside the ten groups leaves no group shown.
void TCommTermForm::SelectStoredGroup(int group)
{
    const bool known = group >= 0 && group < cboCommandGroup->count();
    cboCommandGroup->setCurrentIndex(known ? group : -1);
    cboCommandGroupSelect();
}
