#include "CaptionLabel.h"

#include "Tahoma.h"

#include <QPainter>
#include <QTextLayout>

CaptionLabel::CaptionLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

int CaptionLabel::lineSpacing() const
{
    return Tahoma::textHeight(font());
}

QSize CaptionLabel::sizeHint() const
{
    QSize hint = QLabel::sizeHint();
    if (wordWrap())
        return hint;
    const int lines = int(text().count(QLatin1Char('\n'))) + 1;
    hint.setHeight(lines * lineSpacing() + height() - contentsRect().height());
    return hint;
}

void CaptionLabel::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    const QRect box = contentsRect();
    QString caption = text();
    caption.replace(QLatin1Char('\n'), QChar::LineSeparator);

    QTextOption option(alignment() & Qt::AlignHorizontal_Mask);
    option.setWrapMode(wordWrap() ? QTextOption::WordWrap : QTextOption::ManualWrap);
    QTextLayout layout(caption, font());
    layout.setTextOption(option);
    const int pitch = lineSpacing();
    int lines = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(box.width());
        // The target's line is taller than Qt's above the glyphs only: the baseline sits one
        // descent above the next line's top.
        line.setPosition(QPointF(0, lines * pitch + pitch - line.height()));
        ++lines;
    }
    layout.endLayout();

    int top = 0;
    if (alignment() & Qt::AlignBottom)
        top = box.height() - lines * pitch;
    else if (alignment() & Qt::AlignVCenter)
        top = (box.height() - lines * pitch) / 2;

    QPainter painter(this);
    painter.setClipRect(box);
    painter.setPen(palette().color(isEnabled() ? QPalette::Normal : QPalette::Disabled, foregroundRole()));
    layout.draw(&painter, QPointF(box.left(), box.top() + top));
}
