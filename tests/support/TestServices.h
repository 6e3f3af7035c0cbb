#pragma once

#include "platform/Exceptions.h"
#include "platform/FileDialogs.h"
#include "platform/Services.h"

#include <QString>
#include <QTextDocument>

#include <deque>
#include <optional>
#include <vector>

// A UiServices for tests: records every modal request a window makes and
// answers file dialogs from a queue the test fills, so no box ever waits for a
// person. Nothing queued means the user cancelled.
class TestServices : public platform::UiServices
{
public:
    struct Message { QWidget* Parent; QString Title; QString Text; platform::MessageIcon Icon; };
    struct Question { QWidget* Parent; QString Title; QString Text; };
    // Save: a save dialog, else an open dialog.
    struct FileDialog { bool Save; platform::FileDialogRequest Request; };
    // Text: the document's plain text.
    struct PrintJob { QString Title; QString Text; };

    // The next file dialog answers this name (the request's default extension
    // is added when the name has none, as the real dialog does).
    void AnswerFileDialog(const QString& fileName) { FileAnswers.emplace_back(fileName); }
    // The next file dialog is cancelled.
    void CancelFileDialog() { FileAnswers.emplace_back(std::nullopt); }
    // The answer to the next create prompt of an open dialog. With none
    // queued the user agrees, as one who typed a new name on purpose does.
    void AnswerCreatePrompt(bool create) { CreateAnswers.push_back(create); }
    // The next question is answered so; with none queued the answer is No,
    // so a test that does not look at a question goes on as before it.
    void AnswerQuestion(platform::Answer answer) { QuestionAnswers.push_back(answer); }

    std::vector<QString> Exceptions;
    std::vector<Message> Messages;
    std::vector<Question> Questions;
    std::vector<FileDialog> FileDialogs;
    std::vector<PrintJob> PrintJobs;
    std::deque<std::optional<QString>> FileAnswers;
    std::deque<bool> CreateAnswers;
    // The file names the create prompt asked about.
    std::vector<QString> CreatePrompts;
    std::deque<platform::Answer> QuestionAnswers;
    // When not empty, printing fails with this message (no printer).
    QString PrintError;

    void ShowException(const QString& message) override { Exceptions.push_back(message); }
    void ShowMessage(QWidget* parent, const QString& title, const QString& text,
                     platform::MessageIcon icon) override
    {
        Messages.push_back({parent, title, text, icon});
    }
    platform::Answer AskYesNoCancel(QWidget* parent, const QString& title, const QString& text) override
    {
        Questions.push_back({parent, title, text});
        if (QuestionAnswers.empty())
            return platform::Answer::No;
        const platform::Answer answer = QuestionAnswers.front();
        QuestionAnswers.pop_front();
        return answer;
    }
    std::optional<QString> OpenFileName(QWidget*, const platform::FileDialogRequest& request) override
    {
        return platform::ChooseFileToOpen(
            request, [this](const platform::FileDialogRequest& shown) { return AnswerFor(false, shown); },
            [this](const QString& fileName) { return AgreeToCreate(fileName); });
    }
    std::optional<QString> SaveFileName(QWidget*, const platform::FileDialogRequest& request) override
    {
        return AnswerFor(true, request);
    }
    void PrintDocument(QWidget*, const QTextDocument& document, const QString& jobTitle) override
    {
        if (!PrintError.isEmpty())
            throw Exception(PrintError);
        PrintJobs.push_back({jobTitle, document.toPlainText()});
    }

private:
    bool AgreeToCreate(const QString& fileName)
    {
        CreatePrompts.push_back(fileName);
        if (CreateAnswers.empty())
            return true;
        const bool create = CreateAnswers.front();
        CreateAnswers.pop_front();
        return create;
    }

    std::optional<QString> AnswerFor(bool save, const platform::FileDialogRequest& request)
    {
        FileDialogs.push_back({save, request});
        if (FileAnswers.empty())
            return std::nullopt;
        std::optional<QString> answer = FileAnswers.front();
        FileAnswers.pop_front();
        if (answer)
            *answer = platform::WithDefaultExt(*answer, request.DefaultExt);
        return answer;
    }
};

// Installs any UiServices for the life of the object and then puts back the
// one that was installed before.
class ScopedServices
{
public:
    explicit ScopedServices(platform::UiServices& services) { platform::InstallServices(&services); }
    ~ScopedServices() { platform::InstallServices(Previous); }
    ScopedServices(const ScopedServices&) = delete;
    ScopedServices& operator=(const ScopedServices&) = delete;

private:
    platform::UiServices* Previous = &platform::Services();
};

// The usual case in a window test: `InstalledTestServices ui;` records every
// box, dialog and print job of the test and is removed again at its end.
class InstalledTestServices : public TestServices
{
public:
    InstalledTestServices() : Installer(*this) {}

private:
    ScopedServices Installer;
};
