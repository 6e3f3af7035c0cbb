#include "platform/NumericEntryBox.h"

#include "platform/ControlEvents.h"
#include "platform/Conversions.h"

#include <QLineEdit>
#include <QPalette>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace platform {

namespace {

bool IsDigit(char key)
{
    return key >= '0' && key <= '9';
}

// Leaving a box may take the focus back, which raises an exit on the control
// the focus was going to; that exit is not the user's and does nothing. Two
// empty boxes would otherwise pull the focus from each other without end.
bool ExitRunning = false;

class ExitScope
{
public:
    ExitScope() { ExitRunning = true; }
    ~ExitScope() { ExitRunning = false; }
    ExitScope(const ExitScope&) = delete;
    ExitScope& operator=(const ExitScope&) = delete;
};

// The value rounded to single precision; beyond its range, infinity, as the
// processor gives it, without the undefined conversion.
float Single(long double value)
{
    constexpr float infinity = std::numeric_limits<float>::infinity();
    if (std::fabs(value) > std::numeric_limits<float>::max())
        return value > 0 ? infinity : -infinity;
    return static_cast<float>(value);
}

} // namespace

QRgb EntryColour(const QLineEdit& edit)
{
    return edit.palette().color(QPalette::Base).rgb() & 0xFFFFFF;
}

void PaintEntry(QLineEdit& edit, QRgb colour)
{
    QPalette palette = edit.palette();
    palette.setColor(QPalette::Base, QColor::fromRgb(colour));
    edit.setPalette(palette);
}

void FocusAndSelectAll(QLineEdit& edit)
{
    edit.setFocus(Qt::OtherFocusReason);
    edit.selectAll();
}

namespace {

bool IsDigitOf(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

std::optional<std::int32_t> WholeNumberRange::Typed(const QString& text) const
{
    const QStringView digits = text.startsWith(QLatin1Char('-')) ? QStringView(text).sliced(1) : QStringView(text);
    if (digits.isEmpty() || !std::all_of(digits.begin(), digits.end(), IsDigitOf))
        return std::nullopt;
    // Only decimal digits are left to read, so the reading knows no locale.
    bool number = false;
    const qlonglong value = text.toLongLong(&number);
    if (!number || value < Minimum || value > Maximum)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> WholeNumberRange::Read(const QString& text) const
{
    const std::optional<std::int32_t> value = ReadWholeNumber(text);
    return value && Holds(*value) ? value : std::nullopt;
}

void WholeNumberRange::ReadInto(const QString& text, std::int32_t& field) const
{
    if (const std::optional<std::int32_t> value = Read(text))
        field = *value;
}

void WholeNumberRange::ReadItemInto(const QString& text, std::int32_t& field) const
{
    if (const std::optional<std::int32_t> value = ReadWholeNumber(text))
        field = Holds(*value) ? *value : -1;
}

std::optional<long double> RealNumberRange::Typed(const QString& text) const
{
    const auto isKey = [](QChar c) { return IsDigitOf(c) || c == QLatin1Char('.'); };
    if (!std::all_of(text.begin(), text.end(), isKey))
        return std::nullopt;
    return Read(text);
}

std::optional<long double> RealNumberRange::Read(const QString& text) const
{
    const long double value = StrToFloatDef(text, std::numeric_limits<long double>::quiet_NaN());
    return Holds(value) ? std::optional(value) : std::nullopt;
}

std::int32_t WholeNumberReading::Read(const QString& text) const
{
    return Default ? StrToIntDef(text, *Default) : StrToInt(text);
}

// ---- The six handlers ----

NumericEntryBox::NumericEntryBox(QLineEdit& edit, QString extraKeys)
    : QObject(&edit), Box(edit), ExtraKeys(std::move(extraKeys))
{
    auto& events = ControlEvents::Of(&edit);
    events.OnKeyPress = [this](char& key) { KeyPress(key); };
    events.OnChange = [this] { Change(); };
    events.OnExit = [this] { Exit(); };
    events.OnClick = [this] { Click(); };
    events.OnKeyDown = [this](int& key, Qt::KeyboardModifiers) { KeyDown(key); };
    events.OnKeyUp = [this](int& key, Qt::KeyboardModifiers) { KeyUp(key); };
}

void NumericEntryBox::KeyPress(char& key)
{
    if (key == EnterKey) {
        if (!Box.text().isEmpty())
            Apply(Occasion::Enter);
        return;
    }
    if (IsDigit(key) || key == BackspaceKey || (key != 0 && ExtraKeys.contains(QLatin1Char(key))))
        return;
    key = 0;
}

void NumericEntryBox::Change()
{
    const QString text = Box.text();
    const bool applied = !text.isEmpty() && ReadsAsApplied(text);
    PaintEntry(Box, applied ? EntryApplied : EntryPending);
}

void NumericEntryBox::Exit()
{
    if (ExitRunning || !Pending())
        return;
    ExitScope scope;
    if (Box.text().isEmpty())
        Box.setFocus(Qt::OtherFocusReason);
    else
        Apply(Occasion::Exit);
}

void NumericEntryBox::Click()
{
    Box.selectAll();
}

void NumericEntryBox::KeyDown(int& key)
{
    AnyKey();
    if (ArrowDown)
        ArrowDown(key);
}

void NumericEntryBox::KeyUp(int& key)
{
    AnyKey();
    if (ArrowUp)
        ArrowUp(key);
}

bool NumericEntryBox::Pending() const
{
    return EntryColour(Box) == EntryPending;
}

void NumericEntryBox::MarkApplied()
{
    PaintEntry(Box, EntryApplied);
    FocusAndSelectAll(Box);
}

// ---- Whole numbers ----

WholeNumberBox::WholeNumberBox(QLineEdit& edit, Settings settings)
    : NumericEntryBox(edit, settings.ExtraKeys), Config(std::move(settings))
{
    ArrowDown = [this](int key) {
        if (key == LeftKey || key == RightKey)
            Edit().selectAll();
    };
    ArrowUp = ArrowDown;
}

void WholeNumberBox::Apply(Occasion occasion)
{
    const WholeNumberReading& reading =
        occasion == Occasion::Enter ? Config.Reading.Enter : Config.Reading.Exit;
    const std::int32_t value = reading.Read(Edit().text());
    if (!Config.Range.Holds(value)) {
        // The change handler paints the box white for the applied value.
        Edit().setText(QString::number(*Config.Applied));
        return;
    }
    Config.Action(value);
    MarkApplied();
}

bool WholeNumberBox::ReadsAsApplied(const QString& text) const
{
    return Config.Reading.Change.Read(text) == *Config.Applied;
}

bool WholeNumberBox::Admits(const QString& text) const
{
    return Admitted(text).has_value();
}

std::optional<std::int32_t> WholeNumberBox::Admitted(const QString& text) const
{
    return Config.Range.Typed(text);
}

// ---- Real numbers ----

RealNumberBox::RealNumberBox(QLineEdit& edit, Settings settings)
    : NumericEntryBox(edit, QStringLiteral(".")), Config(std::move(settings))
{
    ArrowDown = Config.ArrowDown;
    ArrowUp = Config.ArrowUp;
}

long double RealNumberBox::StoredValue(long double typed) const
{
    return Config.Stored ? Config.Stored(typed) : typed;
}

void RealNumberBox::ShowApplied()
{
    Edit().setText(Config.AppliedText());
}

// Leaving the box is held to the range as Enter is: a value the box refuses
// on Enter never reaches the instrument because the user moved on.
void RealNumberBox::Apply(Occasion)
{
    const long double value = StrToFloat(Edit().text());
    if (!Config.Range().Holds(value)) {
        ShowApplied();
        FocusAndSelectAll(Edit());
        return;
    }
    *Config.Applied = Single(StoredValue(value));
    ShowApplied();
    if (Config.Action)
        Config.Action();
    MarkApplied();
}

bool RealNumberBox::Admits(const QString& text) const
{
    return Config.Range().Typed(text).has_value();
}

bool RealNumberBox::ReadsAsApplied(const QString& text) const
{
    return StoredValue(StrToFloat(text)) == static_cast<long double>(*Config.Applied);
}

// A text that is no number exceeds nothing here; its conversion error shows
// when the change handler or an apply reads it. Raised on every key, the
// error would swallow each key, Backspace included, and leave the box beyond
// repair from the keyboard. The maximum bounds what the user typed: an
// applied value above it (a new scale shows a stored value larger) is left
// alone, or every key would put it back and the box could never be edited.
void RealNumberBox::AnyKey()
{
    if (!Pending())
        return;
    const long double typed = StrToFloatDef(Edit().text(), std::numeric_limits<long double>::quiet_NaN());
    if (typed > Config.Range().Maximum)
        ShowApplied();
}

} // namespace platform
