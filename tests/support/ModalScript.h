#pragma once

#include <QObject>

#include <deque>
#include <functional>

class QDialog;

// Plays the user of a modal dialog, so a test never waits for a person: each
// time the dialog is shown, the next step runs on it from inside its modal
// loop (a step ends the showing, for instance by clicking OK). A showing with
// no step left is cancelled, so a dialog the test did not expect cannot hang
// it either.
class ModalScript : public QObject
{
public:
    using Step = std::function<void(QDialog&)>;

    explicit ModalScript(QDialog& dialog);
    ~ModalScript() override;
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    ModalScript& Then(Step step);
    int Showings() const { return ShowingCount; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Answer();

    QDialog& Dialog;
    std::deque<Step> Steps;
    int ShowingCount = 0;
};
