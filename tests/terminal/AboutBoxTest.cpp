#include "support/WindowFixture.h"

#include "terminal/About.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

// Each showing is a modal box of its own, closed by its button or Enter, with
// the program text, the version and the picture; only the one of start-up
// stays, never shown. A box left open is closed, so the test never hangs.
using AboutBoxEntry = WindowFixture;

TEST_F(AboutBoxEntry, EachShowingIsAModalBoxOfItsOwnWithTheVersion)
{
    for (const bool byKey : {false, true}) {
        QStringList seen;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<TAboutBox*>(QApplication::activeModalWidget());
            if (box == nullptr || box == AboutBox || box->parentWidget() != CommTermForm)
                return;
            seen << box->findChild<QLabel*>("ProductName")->text() << box->findChild<QLabel*>("Version")->text()
                 << QString::number(box->findChild<QLabel*>("Comments")->isHidden())
                 << QString::number(box->findChild<QLabel*>("ProgramIcon")->pixmap().width());
            byKey ? QTest::keyClick(box, Qt::Key_Return) : box->findChild<QPushButton*>("OKButton")->click();
            if (box->isVisible())
                box->reject();
        });
        MainEntry("About1")->trigger();
        EXPECT_EQ(seen, (QStringList{"Communications Terminal ", "Version 1.7.7.1", "1", "191"}));
    }
    EXPECT_EQ(CommTermForm->findChildren<TAboutBox*>().size(), 1);
    EXPECT_FALSE(AboutBox->isVisible());
}
