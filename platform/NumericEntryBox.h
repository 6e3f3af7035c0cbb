#pragma once

#include <QObject>
#include <QRgb>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QLineEdit;

// The panels' numeric entry box: a line edit that takes only the characters of
// a number, applies its value on Enter or when left with an entry pending, and
// shows by its background whether its text is the value last applied. One
// class serves every box; each box is configured with its range, the keys it
// takes besides digits and Backspace, how it reads its text and what applying
// does.
namespace platform {

// The pending mark: white while the text reads as the applied value, silver
// while it differs or is empty. The colour is the only record of a pending
// entry: leaving a box applies it only while it is silver.
inline constexpr QRgb EntryApplied = 0xFFFFFF;
inline constexpr QRgb EntryPending = 0xC0C0C0;

QRgb EntryColour(const QLineEdit& edit);
void PaintEntry(QLineEdit& edit, QRgb colour);
void FocusAndSelectAll(QLineEdit& edit);

// The values a whole-number box takes, both bounds included.
struct WholeNumberRange
{
    std::int32_t Minimum;
    std::int32_t Maximum;

    bool Holds(std::int32_t value) const { return Minimum <= value && value <= Maximum; }
    // The value of a text as a box takes it typed (decimal digits, a minus
    // sign first for a negative value, nothing else) that the range holds.
    // Nothing for any other text: " 5", "+5", "0x20", "".
    std::optional<std::int32_t> Typed(const QString& text) const;
    // The value of a number read from a file or a reply, as the whole-number
    // conversion reads it (" 20", "+7", "0x14" are numbers), that the range
    // holds. Nothing for a text that holds more than a number ("5;LC:FL 3")
    // or none, or a number outside.
    std::optional<std::int32_t> Read(const QString& text) const;
    // The field takes the value of a text that Read takes; any other text
    // leaves it as it was.
    void ReadInto(const QString& text, std::int32_t& field) const;
    // For a range of item indexes: the field takes the item a number names,
    // and -1 (none chosen) for a number that names no item; a text that is no
    // number leaves it as it was.
    void ReadItemInto(const QString& text, std::int32_t& field) const;
};

// The values a real-number box takes, both bounds included: single-precision
// constants compared with the extended-precision value read.
struct RealNumberRange
{
    float Minimum;
    float Maximum;

    // An infinity or a NaN lies outside every range.
    bool Holds(long double value) const { return Minimum <= value && value <= Maximum; }
    // The value of a text written with the keys a real-number box takes
    // (digits and ".") that the range holds. Nothing for any other text:
    // "1e39", " 5", "1.2.3", "".
    std::optional<long double> Typed(const QString& text) const;
    // The value of a number read from a file or a reply, as the text-to-float
    // conversion reads it (" 35", "+35", "3.5e1"), that the range holds.
    // Nothing for a text that is no number or a number outside.
    std::optional<long double> Read(const QString& text) const;
};

// How a whole-number box reads its text at one event: strictly (a text that is
// no whole number raises the conversion error) or with a default for it.
class WholeNumberReading
{
public:
    static WholeNumberReading Strict() { return WholeNumberReading(std::nullopt); }
    static WholeNumberReading WithDefault(std::int32_t value) { return WholeNumberReading(value); }

    std::int32_t Read(const QString& text) const;

private:
    explicit WholeNumberReading(std::optional<std::int32_t> fallback) : Default(fallback) {}
    std::optional<std::int32_t> Default;
};

// The six handlers of a box, bound to its line edit's events. A panel may also
// call them itself (a preset button writes a text and presses Enter).
class NumericEntryBox : public QObject
{
public:
    static constexpr char EnterKey = 13;
    static constexpr char BackspaceKey = 8;
    static constexpr int LeftKey = 37;
    static constexpr int RightKey = 39;

    void KeyPress(char& key);
    void Change();
    void Exit();
    void Click();
    void KeyDown(int& key);
    void KeyUp(int& key);

    QLineEdit& Edit() const { return Box; }
    bool Pending() const;

    // Whether the box would apply the text as it stands, had it been typed:
    // only keys the box takes, a number, within its range. A value read from
    // a file or taken from a reply is put to the box by this before it
    // reaches the box, its field or the instrument, and so is a text that
    // goes out as the box shows it.
    virtual bool Admits(const QString& text) const = 0;

protected:
    // The box becomes a child of the edit and lives as long as it does.
    NumericEntryBox(QLineEdit& edit, QString extraKeys);

    enum class Occasion { Enter, Exit };
    // Applies a text that is not empty.
    virtual void Apply(Occasion occasion) = 0;
    // Whether a text that is not empty reads as the applied value.
    virtual bool ReadsAsApplied(const QString& text) const = 0;
    // Every key down and up, before the arrow keys.
    virtual void AnyKey() {}

    void MarkApplied();

    // The box's rules for the arrow keys, on key down and on key up.
    std::function<void(int key)> ArrowDown;
    std::function<void(int key)> ArrowUp;

private:
    QLineEdit& Box;
    const QString ExtraKeys;
};

// A box for a 32-bit whole number with a range, both bounds included.
class WholeNumberBox : public NumericEntryBox
{
public:
    // How the box reads its text on Enter, on exit and on every change.
    struct Readings
    {
        WholeNumberReading Enter;
        WholeNumberReading Exit;
        WholeNumberReading Change;
    };

    struct Settings
    {
        WholeNumberRange Range;
        // "-" where the box takes a minus sign.
        QString ExtraKeys;
        Readings Reading;
        // The panel's field that holds the value last applied: the pending
        // mark compares with it and a refused entry shows it again.
        const std::int32_t* Applied;
        // Applies a value within the range (stores it, sends, or moves the
        // paired track bar, as the box's panel says).
        std::function<void(std::int32_t value)> Action;
    };

    WholeNumberBox(QLineEdit& edit, Settings settings);

    bool Admits(const QString& text) const override;
    // The value the text stands for when the box admits it.
    std::optional<std::int32_t> Admitted(const QString& text) const;
    const WholeNumberRange& Range() const { return Config.Range; }

protected:
    void Apply(Occasion occasion) override;
    bool ReadsAsApplied(const QString& text) const override;

private:
    const Settings Config;
};

// A box for a real number, applied as a single-precision value. Its text is
// read by the text-to-float conversion. It takes "." (as often as typed) and
// never "-". Applying stores the value, writes the applied value back in the
// box's own form and runs the action; then the box is white, focused and
// selected.
class RealNumberBox : public NumericEntryBox
{
public:
    struct Settings
    {
        float* Applied;
        // The value a typed value stands for (a shown size times its scale);
        // unset, the typed value itself. Change compares it, unrounded, with
        // the applied value.
        std::function<long double(long double typed)> Stored;
        // The box's text for the applied value.
        std::function<QString()> AppliedText;
        // The typed values the box takes, as it stands when asked: tested on
        // Enter and on leaving the box with an entry pending, where a value
        // outside puts the applied value back and nothing is sent, and its
        // maximum on every key down and up, where a typed value above it puts
        // the applied value back.
        std::function<RealNumberRange()> Range;
        // The box's own arrow-key rules; unset, the key does nothing more.
        std::function<void(int key)> ArrowDown;
        std::function<void(int key)> ArrowUp;
        // Runs after the value is stored and its text written.
        std::function<void()> Action;
    };

    RealNumberBox(QLineEdit& edit, Settings settings);

    bool Admits(const QString& text) const override;
    RealNumberRange Range() const { return Config.Range(); }

protected:
    void Apply(Occasion occasion) override;
    bool ReadsAsApplied(const QString& text) const override;
    void AnyKey() override;

private:
    long double StoredValue(long double typed) const;
    void ShowApplied();

    const Settings Config;
};

} // namespace platform
