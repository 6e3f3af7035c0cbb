#include "platform/Services.h"

#include "platform/Exceptions.h"
#include "platform/FileDialogs.h"
#include "platform/WindowShowing.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextDocument>

#include <atomic>

namespace platform {

namespace {

// Message texts keep the class library's CR LF line breaks; Qt breaks on LF.
QString BoxText(const QString& text)
{
    QString result = text;
    return result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

std::optional<QString> RunFileDialog(QFileDialog& dialog, const FileDialogRequest& request)
{
    dialog.setWindowTitle(request.Title);
    dialog.setNameFilters(QtNameFilters(request.Filter));
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    // The desktop's own dialog would not stand above the stay-on-top windows.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    QString suffix = request.DefaultExt;
    dialog.setDefaultSuffix(suffix.startsWith(QLatin1Char('.')) ? suffix.mid(1) : suffix);
    if (!request.FileName.isEmpty())
        dialog.selectFile(request.FileName);
    if (ShowModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return WithDefaultExt(dialog.selectedFiles().constFirst(), request.DefaultExt);
}

class QtServices : public UiServices
{
public:
    void ShowException(const QString& message) override
    {
        QMessageBox box(QMessageBox::Critical, QGuiApplication::applicationDisplayName(),
                        BoxText(message), QMessageBox::Ok, BoxOwner(nullptr));
        ShowModal(box);
    }

    void ShowMessage(QWidget* parent, const QString& title, const QString& text,
                     MessageIcon icon) override
    {
        const auto qtIcon = icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Warning;
        QMessageBox box(qtIcon, title, BoxText(text), QMessageBox::Ok, BoxOwner(parent));
        ShowModal(box);
    }

    Answer AskYesNoCancel(QWidget* parent, const QString& title, const QString& text) override
    {
        QMessageBox box(QMessageBox::Question, title, BoxText(text),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, BoxOwner(parent));
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        switch (ShowModal(box)) {
        case QMessageBox::Yes: return Answer::Yes;
        case QMessageBox::No: return Answer::No;
        default: return Answer::Cancel;
        }
    }

    std::optional<QString> OpenFileName(QWidget* parent, const FileDialogRequest& request) override
    {
        const auto showDialog = [parent](const FileDialogRequest& shown) {
            QFileDialog dialog(BoxOwner(parent));
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            // With the create prompt a name that does not exist yet may be chosen.
            dialog.setFileMode(shown.CreatePrompt ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
            return RunFileDialog(dialog, shown);
        };
        const auto agreeToCreate = [parent, &request](const QString& fileName) {
            QMessageBox box(QMessageBox::Warning, request.Title, BoxText(CreatePromptText(fileName)),
                            QMessageBox::Yes | QMessageBox::No, BoxOwner(parent));
            box.setDefaultButton(QMessageBox::Yes);
            return ShowModal(box) == QMessageBox::Yes;
        };
        return ChooseFileToOpen(request, showDialog, agreeToCreate);
    }

    std::optional<QString> SaveFileName(QWidget* parent, const FileDialogRequest& request) override
    {
        QFileDialog dialog(BoxOwner(parent));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.OverwritePrompt);
        return RunFileDialog(dialog, request);
    }

    // Prints straight to the default printer; no print dialog is shown.
    void PrintDocument(QWidget*, const QTextDocument& document, const QString& jobTitle) override
    {
        if (QPrinterInfo::defaultPrinter().isNull())
            throw Exception(QStringLiteral("There is no default printer"));
        QPrinter printer(QPrinterInfo::defaultPrinter());
        printer.setDocName(jobTitle);
        document.print(&printer);
        if (printer.printerState() == QPrinter::Error)
            throw Exception(QStringLiteral("Printing failed"));
    }
};

QtServices qtServices;
std::atomic<UiServices*> installed{nullptr};

} // namespace

UiServices& Services()
{
    UiServices* services = installed.load();
    return services ? *services : qtServices;
}

void InstallServices(UiServices* services)
{
    installed.store(services == &qtServices ? nullptr : services);
}

} // namespace platform
