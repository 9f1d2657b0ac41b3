#pragma once

#include <QLabel>

// A plain-text label that lays its text out the way the target platform does: one line every
// Tahoma::textHeight(font()) pixels, lines aligned as alignment() says, whatever passes the
// box's edge cut off there. Sized to its text (adjustSize), it is as high as the target's lines.
class CaptionLabel : public QLabel
{
    Q_OBJECT
public:
    explicit CaptionLabel(QWidget *parent = nullptr);

    int lineSpacing() const;
    // Without word wrap, a label that takes the size of its text is as high as its lines.
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};
