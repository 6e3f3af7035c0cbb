#include "platform/LabelSize.h"

#include <QEvent>
#include <QLabel>

namespace platform {

namespace {

// Watches the label: a new font measures the design text again, and each
// painting aligns a text that does not fit to its start.
class KeptSize : public QObject
{
public:
    explicit KeptSize(QLabel& label)
        : QObject(&label), Label(label), DesignText(label.text()), DesignAlignment(label.alignment())
    {
        // A reply that looks like markup is still the instrument's text.
        Label.setTextFormat(Qt::PlainText);
        Label.setSizePolicy(QSizePolicy::Ignored, Label.sizePolicy().verticalPolicy());
        Fit();
        Label.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::FontChange)
            Fit();
        else if (event->type() == QEvent::Paint)
            AlignToFit();
        return false;
    }

private:
    // The size the label asks for with its design text, whatever it shows now.
    void Fit()
    {
        const QSize designed = SizeFor(Label, DesignText);
        Label.setMinimumWidth(designed.width());
        Label.setFixedHeight(designed.height());
    }

    void AlignToFit()
    {
        const int margin = Label.margin();
        const QSize room = Label.contentsRect().adjusted(margin, margin, -margin, -margin).size();
        const QSize text = Label.fontMetrics().size(0, Label.text());
        Qt::Alignment alignment = DesignAlignment;
        if (text.width() > room.width())
            alignment = (alignment & ~Qt::AlignHorizontal_Mask) | Qt::AlignLeft;
        if (text.height() > room.height())
            alignment = (alignment & ~Qt::AlignVertical_Mask) | Qt::AlignTop;
        if (alignment != Label.alignment())
            Label.setAlignment(alignment);
    }

    QLabel& Label;
    const QString DesignText;
    const Qt::Alignment DesignAlignment;
};

} // namespace

void KeepLabelSize(QLabel& label)
{
    new KeptSize(label);
}

QSize SizeFor(QLabel& label, const QString& text)
{
    const QString shown = label.text();
    label.setText(text);
    const QSize size = label.sizeHint();
    label.setText(shown);
    return size;
}

} // namespace platform
