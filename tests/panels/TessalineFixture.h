#pragma once

#include "PanelFixture.h"

#include "panels/TessalineControl.h"
#include "platform/ControlEvents.h"

#include <QCheckBox>
#include <QMenu>
#include <QRadioButton>
#include <QSlider>

// The Tessaline panel opened from its menu entry against the instrument of
// the panel fixture; the commands of the showing are in Shown, and Wire()
// starts after them.
class TessalinePanel : public PanelFixture
{
protected:
    using Commands = QList<QByteArray>;
    static constexpr QRgb White = platform::EntryApplied;
    static constexpr QRgb Silver = platform::EntryPending;

    void SetUp() override
    {
        PanelFixture::SetUp();
        if (HasFatalFailure())
            return;
        Open(*TessalineControlForm, &TCommTermForm::GRNIRControl1Click);
        Shown = Wire();
    }

    void WriteConfigFile(const QByteArray& contents) const
    {
        QFile file(TessalineConfigFileName());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(contents), contents.size());
    }

    // Closes the panel and shows it again; the commands of both.
    Commands Reopen()
    {
        TessalineControlForm->close();
        Open(*TessalineControlForm, &TCommTermForm::GRNIRControl1Click);
        return Wire();
    }

    template <class Control = QLineEdit>
    Control* Get(const char* name) const { return Find<Control>(*TessalineControlForm, name); }
    platform::TrackBar& Bar(const char* name) const { return platform::TrackBar::Of(Get<QSlider>(name)); }
    // Check boxes and radio buttons are clicked on their indicator: a wide one
    // takes no click beyond its caption.
    void Click(const char* name)
    {
        QWidget* control = Get<QWidget>(name);
        const bool indicator = qobject_cast<QCheckBox*>(control) || qobject_cast<QRadioButton*>(control);
        const QPoint at = indicator ? QPoint(8, control->height() / 2) : control->rect().center();
        QTest::mouseClick(control, Qt::LeftButton, {}, at);
    }
    // Types the text into the box, or without a text clicks the control.
    void Work(const char* control, const char* typed)
    {
        if (typed)
            Type(*Get(control), QString::fromLatin1(typed));
        else
            Click(control);
    }
    // The user's choice of an item in a combo box (-1: none).
    void Choose(const char* combo, int item)
    {
        auto* box = Get<QComboBox>(combo);
        box->setCurrentIndex(item);
        Q_EMIT box->activated(item);
    }
    std::tuple<QString, QRgb> Shows(const char* box) const { return {Get(box)->text(), Colour(*Get(box))}; }
    static std::vector<QString> Errors(const char* error)
    {
        return error ? std::vector<QString>{QString::fromLatin1(error)} : std::vector<QString>{};
    }

    Commands Shown;
};
