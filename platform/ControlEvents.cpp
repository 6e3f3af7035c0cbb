#include "platform/ControlEvents.h"

#include "platform/AnsiText.h"
#include "platform/EventGuard.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTextEdit>
#include <QValidator>

#include <algorithm>
#include <optional>

namespace platform {

namespace {

int FunctionKeyCode(int key)
{
    return key >= Qt::Key_F1 && key <= Qt::Key_F12 ? 112 + (key - Qt::Key_F1) : 0;
}

int NamedKeyCode(int key)
{
    switch (key) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: case Qt::Key_Backtab: return 9;
    case Qt::Key_Return: case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    default: return FunctionKeyCode(key);
    }
}

constexpr char FirstControlLetter = 1;
constexpr char LastControlLetter = 26;

bool IsControlLetter(char key)
{
    return key >= FirstControlLetter && key <= LastControlLetter;
}

// The character a key gives to an edit, or nothing. Ctrl with a letter gives
// that letter's control character (Ctrl+A 1 to Ctrl+Z 26), so a handler sees
// Ctrl+V, Ctrl+X and Ctrl+Z before the edit acts on them. Other keys held
// with Ctrl, and keys held with Alt or Meta, are commands, not characters;
// Tab moves the focus.
std::optional<char> KeyCharacter(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Return: case Qt::Key_Enter: return '\r';
    case Qt::Key_Backspace: return '\b';
    case Qt::Key_Escape: return '\x1b';
    default: break;
    }
    if (event.modifiers() & (Qt::AltModifier | Qt::MetaModifier))
        return std::nullopt;
    if (event.modifiers() & Qt::ControlModifier) {
        if (event.key() < Qt::Key_A || event.key() > Qt::Key_Z)
            return std::nullopt;
        return static_cast<char>(FirstControlLetter + (event.key() - Qt::Key_A));
    }
    const QString text = event.text();
    if (text.size() != 1 || text.at(0).unicode() < 32 || text.at(0).unicode() == 127)
        return std::nullopt;
    // A character outside the code page has no 8-bit form and arrives as '?'.
    return TextToAnsi(text).at(0);
}

QString KeyText(char key)
{
    return AnsiToText(QByteArrayView(&key, 1));
}

int QtKeyFor(char key)
{
    switch (key) {
    case '\r': return Qt::Key_Return;
    case '\b': return Qt::Key_Backspace;
    case '\x1b': return Qt::Key_Escape;
    default: break;
    }
    if (IsControlLetter(key))
        return Qt::Key_A + (key - FirstControlLetter);
    return KeyText(key).at(0).toUpper().unicode();
}

// A control character reaches the edit as Ctrl with its letter, and any
// other character without Ctrl, whatever key the user pressed.
Qt::KeyboardModifiers ModifiersFor(char key, Qt::KeyboardModifiers pressed)
{
    return IsControlLetter(key) ? (pressed | Qt::ControlModifier) : (pressed & ~Qt::ControlModifier);
}

bool IsLineBreak(QChar character)
{
    return character == QLatin1Char('\r') || character == QLatin1Char('\n')
           || character == QChar::LineSeparator || character == QChar::ParagraphSeparator;
}

// Keeps a single-line edit's text on one line, however the text came in.
class OneLineValidator : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString& text, int& position) const override
    {
        if (std::any_of(text.cbegin(), text.cend(), IsLineBreak))
            JoinLines(text, position);
        return Acceptable;
    }

private:
    // The caret keeps its place among the characters that stay.
    static void JoinLines(QString& text, int& position)
    {
        QString line;
        int linePosition = 0;
        for (qsizetype start = 0; start < text.size();) {
            qsizetype end = start;
            while (end < text.size() && IsLineBreak(text.at(end)))
                ++end;
            if (end == start)
                line += text.at(end++);
            else if (start > 0 && end < text.size())
                line += QLatin1Char(' ');
            if (position >= end)
                linePosition = static_cast<int>(line.size());
            start = end;
        }
        text = line;
        position = linePosition;
    }
};

// A control's adapter is its child, so it lives exactly as long as the control.
template <typename Adapter, typename Make>
Adapter& AdapterOf(QWidget* control, Make make)
{
    if (auto* existing = control->findChild<Adapter*>(QString(), Qt::FindDirectChildrenOnly))
        return *existing;
    return *make();
}

} // namespace

// An edit that already checks its text by its own rule keeps that rule.
void KeepOnOneLine(QLineEdit& edit)
{
    if (edit.validator() == nullptr)
        edit.setValidator(new OneLineValidator(&edit));
}

int VirtualKeyCode(const QKeyEvent& event)
{
    const int key = event.key();
    const bool keypad = event.modifiers() & Qt::KeypadModifier;
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return keypad ? 96 + (key - Qt::Key_0) : key;
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return key;
    return NamedKeyCode(key);
}

ControlEvents& ControlEvents::Of(QWidget* control)
{
    return AdapterOf<ControlEvents>(control, [control] { return new ControlEvents(control); });
}

ControlEvents::ControlEvents(QWidget* control)
    : QObject(control), Control(control)
{
    control->installEventFilter(this);
    ConnectSignals();
}

void ControlEvents::ConnectSignals()
{
    auto change = [this] { Raise(OnChange); };
    if (auto* edit = qobject_cast<QLineEdit*>(Control)) {
        connect(edit, &QLineEdit::textChanged, this, change);
        KeepOnOneLine(*edit);
    } else if (auto* text = qobject_cast<QTextEdit*>(Control)) {
        connect(text, &QTextEdit::textChanged, this, change);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(Control)) {
        connect(plain, &QPlainTextEdit::textChanged, this, change);
    } else if (auto* combo = qobject_cast<QComboBox*>(Control)) {
        connect(combo, &QComboBox::currentTextChanged, this, change);
        connect(combo, &QComboBox::activated, this, [this] { Raise(OnClick); });
    }
}

// A copy, so that a handler may replace itself while it runs.
void ControlEvents::Raise(Handler handler)
{
    if (handler)
        RunGuarded(handler);
}

bool ControlEvents::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != Control || Replaying)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        return KeyPressed(static_cast<QKeyEvent&>(*event));
    case QEvent::KeyRelease:
        return KeyReleased(static_cast<QKeyEvent&>(*event));
    case QEvent::FocusOut: {
        // Switching to another window or opening a pop-up menu is no exit.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            return false;
        Raise(OnExit);
        // A handler that took the focus back keeps the control as it was
        // (its selection, its caret): the control never sees the focus go.
        return Control && Control->hasFocus();
    }
    case QEvent::MouseButtonRelease:
        if (!qobject_cast<QComboBox*>(Control)
            && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            Raise(OnClick);
        return false;
    default:
        return false;
    }
}

// A key whose handler failed goes no further, as its message would not.
bool ControlEvents::KeyPressed(QKeyEvent& event)
{
    bool keyDownPasses = true;
    if (int key = VirtualKeyCode(event); key != 0 && OnKeyDown) {
        if (!RunGuarded([&] { OnKeyDown(key, event.modifiers()); }))
            return true;
        keyDownPasses = key != 0;
    }
    const std::optional<char> character = KeyCharacter(event);
    if (!character || !Control)
        return !keyDownPasses;
    char key = *character;
    if (OnKeyPress && !RunGuarded([&] { OnKeyPress(key); }))
        return true;
    if (key == 0)
        return true;
    if (key == *character && keyDownPasses)
        return false;
    // The control gets the character the handler left, without the key's
    // own action when key down kept that back.
    Deliver(key, event);
    return true;
}

bool ControlEvents::KeyReleased(QKeyEvent& event)
{
    // A held key repeats its key down and press, but is released only once.
    if (event.isAutoRepeat() || !OnKeyUp)
        return false;
    int key = VirtualKeyCode(event);
    if (key == 0)
        return false;
    const bool handled = RunGuarded([&] { OnKeyUp(key, event.modifiers()); });
    return !handled || key == 0;
}

void ControlEvents::Deliver(char key, const QKeyEvent& original)
{
    if (!Control)
        return;
    QKeyEvent substitute(QEvent::KeyPress, QtKeyFor(key), ModifiersFor(key, original.modifiers()), KeyText(key));
    Replaying = true;
    QCoreApplication::sendEvent(Control, &substitute);
    Replaying = false;
}

void OnStateClick(QAbstractButton* button, std::function<void()> handler)
{
    const bool radio = qobject_cast<QRadioButton*>(button) != nullptr;
    QObject::connect(button, &QAbstractButton::toggled, button,
                     Guarded([radio, handler = std::move(handler)](bool checked) {
                         if (checked || !radio)
                             handler();
                     }));
}

TrackBar& TrackBar::Of(QSlider* slider)
{
    return AdapterOf<TrackBar>(slider, [slider] { return new TrackBar(slider); });
}

TrackBar::TrackBar(QSlider* slider)
    : QObject(slider), Slider(slider)
{
    // QSlider clamps into its range and reports only real changes.
    connect(slider, &QSlider::valueChanged, this, [this] {
        if (OnChange)
            RunGuarded(OnChange);
    });
}

int TrackBar::Position() const
{
    return Slider ? Slider->value() : 0;
}

void TrackBar::SetPosition(int position)
{
    if (Slider)
        Slider->setValue(position);
}

void TrackBar::SetSelStart(int position)
{
    Start = position;
    if (Slider)
        Slider->update();
}

void TrackBar::SetSelEnd(int position)
{
    End = position;
    if (Slider)
        Slider->update();
}

} // namespace platform
