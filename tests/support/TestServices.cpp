#include "TestServices.h"

#include "platform/Exceptions.h"
#include "platform/FileDialogs.h"

#include <QTextDocument>

void TestServices::ShowException(const QString& message)
{
    Exceptions.push_back(message);
}

void TestServices::ShowMessage(QWidget* parent, const QString& title, const QString& text,
                               platform::MessageIcon icon)
{
    Messages.push_back({parent, title, text, icon});
}

std::optional<QString> TestServices::OpenFileName(QWidget*, const platform::FileDialogRequest& request)
{
    return AnswerFor(false, request);
}

std::optional<QString> TestServices::SaveFileName(QWidget*, const platform::FileDialogRequest& request)
{
    return AnswerFor(true, request);
}

void TestServices::PrintDocument(QWidget*, const QTextDocument& document, const QString& jobTitle)
{
    if (!PrintError.isEmpty())
        throw Exception(PrintError);
    PrintJobs.push_back({jobTitle, document.toPlainText()});
}

std::optional<QString> TestServices::AnswerFor(bool save, const platform::FileDialogRequest& request)
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

ScopedServices::ScopedServices(platform::UiServices& services)
    : Previous(&platform::Services())
{
    platform::InstallServices(&services);
}

ScopedServices::~ScopedServices()
{
    platform::InstallServices(Previous);
}
