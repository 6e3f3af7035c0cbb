// The about box: opened from the Help menu, a box of its own each time, with
// the program text, the version and the decoded picture; and the picture
// decoder on pictures it cannot use.

#include "support/WindowFixture.h"

#include "platform/JpegImage.h"
#include "terminal/About.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

using AboutEntry = WindowFixture;

// Opens the box from the menu and, once it is up, checks what the user sees
// and closes it the way the test says. False when no box came up; a box left
// open is closed, so the test never hangs.
bool OpenAbout(QAction& entry, const std::function<void(QWidget&)>& close)
{
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<TAboutBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        shown = true;
        EXPECT_NE(box, AboutBox);
        EXPECT_EQ(box->parentWidget(), CommTermForm);
        EXPECT_EQ(box->findChild<QLabel*>("ProductName")->text(), "Communications Terminal ");
        EXPECT_EQ(box->findChild<QLabel*>("Version")->text(), "Version 1.7.7.1");
        EXPECT_TRUE(box->findChild<QLabel*>("Comments")->isHidden());
        EXPECT_EQ(box->findChild<QLabel*>("ProgramIcon")->pixmap().size(), QSize(191, 64));
        close(*box);
        if (box->isVisible())
            box->reject();
    });
    entry.trigger();
    return shown;
}

TEST_F(AboutEntry, EachShowingIsAModalBoxOfItsOwnWithTheVersion)
{
    EXPECT_TRUE(OpenAbout(*MainEntry("About1"),
                          [](QWidget& box) { box.findChild<QPushButton*>("OKButton")->click(); }));
    EXPECT_TRUE(OpenAbout(*MainEntry("About1"), [](QWidget& box) { QTest::keyClick(&box, Qt::Key_Return); }));
    // Closed boxes are gone; only the one of start-up stays.
    EXPECT_EQ(CommTermForm->findChildren<TAboutBox*>().size(), 1);
    EXPECT_FALSE(AboutBox->isVisible());
    EXPECT_TRUE(Ui.Exceptions.empty());
}

QByteArray StoredPicture()
{
    QFile picture(QStringLiteral(":/about/ProgramIcon.jpg"));
    EXPECT_TRUE(picture.open(QIODevice::ReadOnly));
    return picture.readAll();
}

TEST(JpegPicture, TheStoredPictureDecodesToItsSizeAndColours)
{
    const QImage image = platform::DecodeJpeg(StoredPicture());
    ASSERT_EQ(image.size(), QSize(191, 64));
    // The background is dark blue, the program's name white.
    const QColor corner = image.pixelColor(1, 1);
    EXPECT_LT(corner.red(), 60);
    EXPECT_GT(corner.blue(), corner.red());
}

TEST(JpegPicture, AHugeOrEmptyFrameIsRefusedBeforeAnythingIsAllocated)
{
    const qsizetype frame = StoredPicture().indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(frame, 0);
    // Height and width of the frame header, which a damaged file can make anything.
    for (const QByteArray& size : {QByteArray("\xFF\xFF\xFF\xFF", 4), QByteArray("\x00\x00\x00\xBF", 4)}) {
        const QByteArray picture = StoredPicture().replace(frame + 5, 4, size);
        EXPECT_TRUE(platform::DecodeJpeg(picture).isNull()) << size.toHex().toStdString();
    }
}

TEST(JpegPicture, EveryCutAndDamageIsSurvived)
{
    const QByteArray good = StoredPicture();
    EXPECT_TRUE(platform::DecodeJpeg("not a picture").isNull());
    for (qsizetype length = 0; length < good.size(); length += 97) {
        const QImage image = platform::DecodeJpeg(good.left(length));
        EXPECT_TRUE(image.isNull() || image.size() == QSize(191, 64)) << length;
    }
    for (qsizetype at = 0; at < good.size(); at += 31) {
        QByteArray damaged = good;
        damaged[at] = char(damaged[at] ^ 0x5A);
        (void)platform::DecodeJpeg(damaged);
    }
}

} // namespace
