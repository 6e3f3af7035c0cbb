// The about box: a modal box of its own for each showing, with the program
// text, the version and the decoded picture; and the decoder on pictures it
// cannot use.

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

TEST_F(AboutEntry, EachShowingIsAModalBoxOfItsOwnWithTheVersion)
{
    const std::function<void(QWidget&)> closings[] = {
        [](QWidget& box) { box.findChild<QPushButton*>("OKButton")->click(); },
        [](QWidget& box) { QTest::keyClick(&box, Qt::Key_Return); },
    };
    for (const auto& close : closings) {
        // Checked once the box is up; a box left open is closed, so the test never hangs.
        QStringList seen;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<TAboutBox*>(QApplication::activeModalWidget());
            if (box == nullptr || box == AboutBox || box->parentWidget() != CommTermForm)
                return;
            seen << box->findChild<QLabel*>("ProductName")->text() << box->findChild<QLabel*>("Version")->text()
                 << QString::number(box->findChild<QLabel*>("Comments")->isHidden())
                 << QString::number(box->findChild<QLabel*>("ProgramIcon")->pixmap().width());
            close(*box);
            if (box->isVisible())
                box->reject();
        });
        MainEntry("About1")->trigger();
        EXPECT_EQ(seen, (QStringList{"Communications Terminal ", "Version 1.7.7.1", "1", "191"}));
    }
    // Closed boxes are gone; only the one of start-up stays, never shown.
    EXPECT_EQ(CommTermForm->findChildren<TAboutBox*>().size(), 1);
    EXPECT_FALSE(AboutBox->isVisible());
}

// A damaged picture never crashes the box: a frame too large or empty is
// refused before anything is allocated, a cut one decodes as far as it goes.
TEST(JpegPicture, TheStoredPictureDecodesAndDamagedOnesAreSurvived)
{
    QFile file(QStringLiteral(":/about/ProgramIcon.jpg"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray good = file.readAll();
    const QImage image = platform::DecodeJpeg(good);
    ASSERT_EQ(image.size(), QSize(191, 64));
    // The background is dark blue.
    EXPECT_LT(image.pixelColor(1, 1).red(), 60);
    EXPECT_GT(image.pixelColor(1, 1).blue(), image.pixelColor(1, 1).red());

    const qsizetype frame = good.indexOf(QByteArray("\xFF\xC0", 2));
    for (const QByteArray& size : {QByteArray("\xFF\xFF\xFF\xFF", 4), QByteArray("\x00\x00\x00\xBF", 4)})
        EXPECT_TRUE(platform::DecodeJpeg(QByteArray(good).replace(frame + 5, 4, size)).isNull()) << size.toHex().toStdString();
    EXPECT_TRUE(platform::DecodeJpeg("not a picture").isNull());
    for (qsizetype length = 0; length < good.size(); length += 97) {
        const QImage cut = platform::DecodeJpeg(good.left(length));
        EXPECT_TRUE(cut.isNull() || cut.size() == QSize(191, 64)) << length;
    }
    for (qsizetype at = 0; at < good.size(); at += 31) {
        QByteArray damaged = good;
        damaged[at] = char(damaged[at] ^ 0x5A);
        (void)platform::DecodeJpeg(damaged);
    }
}

} // namespace
