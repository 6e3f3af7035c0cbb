#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QAbstractButton;
class QKeyEvent;
class QLineEdit;
class QSlider;
class QWidget;

// Control events with the component library's meaning, for Qt widgets.
namespace platform {

// The events of one edit-like control (QLineEdit, QTextEdit, QPlainTextEdit,
// QComboBox, or any widget for the key, exit and click events). Made by Of()
// on first use and owned by the control.
//
// A key goes through key down, then key press (only for keys that give a
// character), then key up when released. Key down and key up get the virtual
// key code (37 left, 38 up, 39 right, 40 down, 13 Enter, 8 Backspace,
// 112-123 F1-F12, 'A'-'Z', '0'-'9'); setting it to 0 keeps the key from the
// control. Key press gets the character (13 Enter, 8 Backspace, 27 Escape,
// Ctrl+A to Ctrl+Z as 1 to 26, printable characters as Latin-1); setting it
// to 0 swallows it, setting it to another character puts that one into the
// control instead.
//
// A single-line edit (QLineEdit) holds one line, whatever a paste, a drop or
// code puts into it: each run of line breaks inside its text becomes one
// blank and line breaks at either end go. So what it shows is what is sent
// and stored, and a stored text never spans two lines of a file.
class ControlEvents : public QObject
{
    Q_OBJECT
public:
    using KeyPressHandler = std::function<void(char& key)>;
    using KeyHandler = std::function<void(int& key, Qt::KeyboardModifiers shift)>;
    using Handler = std::function<void()>;

    static ControlEvents& Of(QWidget* control);

    KeyPressHandler OnKeyPress;
    KeyHandler OnKeyDown;
    KeyHandler OnKeyUp;
    // Every change of the text, typed or set by code.
    Handler OnChange;
    // The focus moved to another control of the application.
    Handler OnExit;
    // A mouse click on an edit; the user's choice of a combo box item.
    Handler OnClick;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit ControlEvents(QWidget* control);
    void ConnectSignals();
    bool KeyPressed(QKeyEvent& event);
    bool KeyReleased(QKeyEvent& event);
    void Deliver(char key, const QKeyEvent& original);
    void Raise(Handler handler);

    QPointer<QWidget> Control;
    bool Replaying = false;
};

// Gives an edit the one-line rule above; for the edit of an editable combo
// box whose text is stored, which ControlEvents does not serve.
void KeepOnOneLine(QLineEdit& edit);

// The virtual key code of a Qt key event, 0 for keys without one.
int VirtualKeyCode(const QKeyEvent& event);

// A check box's click runs whenever its state changes, from the user or from
// code; a radio button's when it becomes checked.
void OnStateClick(QAbstractButton* button, std::function<void()> handler);

// A track bar over a QSlider: the position is clamped into the bar's range and
// the change event runs only when the position really changes. The selection
// range, from SelStart to SelEnd, marks positions of the caller's choice (from
// the value last sent to an end of the bar); a TrackBarSlider draws it along
// its channel.
class TrackBar : public QObject
{
    Q_OBJECT
public:
    // The bar's adapter, made on first use and owned by the slider.
    static TrackBar& Of(QSlider* slider);

    int Position() const;
    void SetPosition(int position);
    int SelStart() const { return Start; }
    int SelEnd() const { return End; }
    void SetSelStart(int position);
    void SetSelEnd(int position);
    std::function<void()> OnChange;

private:
    explicit TrackBar(QSlider* slider);

    QPointer<QSlider> Slider;
    int Start = 0;
    int End = 0;
};

} // namespace platform
