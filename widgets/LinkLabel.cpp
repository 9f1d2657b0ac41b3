#include "LinkLabel.h"

#include <QMouseEvent>

LinkLabel::LinkLabel(QWidget *parent) : CaptionLabel(parent)
{
}

void LinkLabel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return CaptionLabel::mousePressEvent(event);
    m_pressed = true;
    event->accept();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_pressed)
        return CaptionLabel::mouseReleaseEvent(event);
    m_pressed = false;
    event->accept();
    // Dragging off the box before letting go cancels the click.
    if (rect().contains(event->position().toPoint()))
        emit clicked();
}

// QWidget would treat this as one more press, and a double click would open the link twice.
void LinkLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return CaptionLabel::mouseDoubleClickEvent(event);
    event->accept();
}
