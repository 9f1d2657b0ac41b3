#pragma once

#include "CaptionLabel.h"

// A caption that reports a click the way a Windows label does: the left button pressed and
// released inside the box. The second press of a double click starts no click of its own.
class LinkLabel : public CaptionLabel
{
    Q_OBJECT
public:
    explicit LinkLabel(QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
};
