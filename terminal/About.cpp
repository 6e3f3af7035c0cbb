#include "terminal/About.h"

#include "platform/JpegImage.h"
#include "terminal/DialogPlacement.h"

#include <QFile>
#include <QPixmap>

TAboutBox* AboutBox = nullptr;

// The picture is kept with the window, in a resource of a static library that
// nothing else refers to; naming it here keeps it in every program. Outside any
// namespace, as the resource's registration function is global.
static void KeepAboutResource()
{
    Q_INIT_RESOURCE(About);
}

namespace {

QImage ProgramIconPicture()
{
    QFile picture(QStringLiteral(":/about/ProgramIcon.jpg"));
    if (!picture.open(QIODevice::ReadOnly))
        return {};
    return platform::DecodeJpeg(picture.readAll());
}

} // namespace

TAboutBox::TAboutBox(QWidget* owner)
    : QDialog(owner)
{
    setupUi(this);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    ShowProgramIcon();
    CentreOnScreen(*this);
}

TAboutBox::TAboutBox(QWidget* owner, const QString& version, const QString& product)
    : TAboutBox(owner)
{
    Version->setText(QStringLiteral("Version ") + version);
    ProductName->setText(product);
}

void TAboutBox::ShowProgramIcon()
{
    KeepAboutResource();
    ProgramIcon->setPixmap(QPixmap::fromImage(ProgramIconPicture()));
}
