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

// What the user sees in a shown box.
void ExpectTheBoxAsShown(const QWidget& box)
{
    EXPECT_NE(&box, AboutBox);
    EXPECT_EQ(box.parentWidget(), CommTermForm);
    EXPECT_TRUE(box.isModal());
    EXPECT_EQ(box.windowTitle(), "About");
    EXPECT_EQ(box.size(), QSize(225, 215));
    EXPECT_EQ(box.findChild<QLabel*>("ProductName")->text(), "Communications Terminal ");
    EXPECT_EQ(box.findChild<QLabel*>("Version")->text(), "Version 1.7.7.1");
    EXPECT_TRUE(box.findChild<QLabel*>("Comments")->isHidden());
    EXPECT_EQ(box.findChild<QLabel*>("ProgramIcon")->pixmap().size(), QSize(191, 64));
    EXPECT_TRUE(box.findChild<QPushButton*>("OKButton")->isDefault());
    // The box of start-up and the one shown.
    EXPECT_EQ(CommTermForm->findChildren<TAboutBox*>().size(), 2);
}

// Opens the box from the menu; once it is up, checks it and closes it the way
// the test says. False when no box came up; a box left open is closed, so the
// test never hangs.
bool OpenAbout(QAction& entry, const std::function<void(QWidget&)>& close)
{
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<TAboutBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        shown = true;
        ExpectTheBoxAsShown(*box);
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

// Width and height of the frame header, which a damaged file can make anything.
void SetFrameSize(QByteArray& picture, quint16 height, quint16 width)
{
    const qsizetype frame = picture.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(frame, 0);
    picture[frame + 5] = char(height >> 8);
    picture[frame + 6] = char(height & 0xFF);
    picture[frame + 7] = char(width >> 8);
    picture[frame + 8] = char(width & 0xFF);
}

TEST(JpegPicture, AHugeOrEmptyFrameIsRefusedBeforeAnythingIsAllocated)
{
    QByteArray huge = StoredPicture();
    SetFrameSize(huge, 0xFFFF, 0xFFFF);
    EXPECT_TRUE(platform::DecodeJpeg(huge).isNull());
    QByteArray empty = StoredPicture();
    SetFrameSize(empty, 0, 191);
    EXPECT_TRUE(platform::DecodeJpeg(empty).isNull());
}

TEST(JpegPicture, EveryCutAndDamageIsSurvived)
{
    const QByteArray good = StoredPicture();
    EXPECT_TRUE(platform::DecodeJpeg("not a picture").isNull());
    EXPECT_TRUE(platform::DecodeJpeg(good.left(100)).isNull());
    for (qsizetype length = 0; length < good.size(); length += 97) {
        const QImage image = platform::DecodeJpeg(good.left(length));
        EXPECT_TRUE(image.isNull() || image.size() == QSize(191, 64)) << length;
    }
    for (qsizetype at = 0; at < good.size(); at += 31) {
        QByteArray damaged = good;
        damaged[at] = char(damaged[at] ^ 0x5A);
        (void)platform::DecodeJpeg(damaged);
    }
    SUCCEED();
}

} // namespace
