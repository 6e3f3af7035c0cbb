#pragma once

#include <QString>

#include <optional>

class QTextDocument;
class QWidget;

namespace platform {

enum class MessageIcon { Exclamation, Error };

// The user's answer to a question with Yes, No and Cancel buttons.
enum class Answer { Yes, No, Cancel };

// What a file dialog is asked for. Filter is in the component library's form,
// pairs of "description|pattern" joined by '|'
// ("Text File (*.txt)|*.txt|All Files (*.*)|*.*").
struct FileDialogRequest
{
    QString Title;
    QString Filter;
    QString DefaultExt;          // with or without the leading dot
    QString FileName;            // initial name, may be empty
    bool OverwritePrompt = false;
    bool CreatePrompt = false;   // a name that does not exist is offered for creation
};

// The modal facilities a window uses to talk to the user. The program uses the
// Qt implementation; tests install one that records what was asked and answers
// as the test says, so no modal box ever waits for a person.
class UiServices
{
public:
    virtual ~UiServices() = default;

    // The application's standard exception box.
    virtual void ShowException(const QString& message) = 0;
    // A modal message box with one OK button.
    virtual void ShowMessage(QWidget* parent, const QString& title, const QString& text,
                             MessageIcon icon) = 0;
    // A modal question with the buttons Yes, No and Cancel; Yes is the
    // default, and closing the box is Cancel.
    virtual Answer AskYesNoCancel(QWidget* parent, const QString& title, const QString& text) = 0;
    // The chosen file name, or nothing when the user cancelled.
    virtual std::optional<QString> OpenFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual std::optional<QString> SaveFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    // Prints the document on the current printer under the given job title.
    virtual void PrintDocument(QWidget* parent, const QTextDocument& document,
                               const QString& jobTitle) = 0;
};

UiServices& Services();
// Installs another implementation (not owned); nullptr puts the Qt one back.
void InstallServices(UiServices* services);

} // namespace platform
