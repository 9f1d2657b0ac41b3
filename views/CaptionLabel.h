#pragma once

#include <QLabel>

// A plain-text label of fixed size that wraps its text the way the target platform does:
// one line every Tahoma::textHeight(font()) pixels, lines aligned as alignment() says, and
// whatever passes the box's edge cut off there.
class CaptionLabel : public QLabel
{
    Q_OBJECT
public:
    explicit CaptionLabel(QWidget *parent = nullptr);

    int lineSpacing() const;

protected:
    void paintEvent(QPaintEvent *event) override;
};
