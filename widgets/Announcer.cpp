#include "Announcer.h"

#include <QAccessible>

Announcer::Announcer(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(0, 0);
    // Hidden for good: only announce() tells assistive tools that it came into view, never the
    // showing of its window with a stale announcement.
    setVisible(false);
}

// Qt 6.4 gives screen readers no announcement of its own, and its notice of a changed name carries
// no text they can read; a notification that comes into view is read out by them.
void Announcer::announce(const QString &text)
{
    m_text = text;
    if (!QAccessible::isActive() || text.isEmpty())
        return;
    QAccessibleEvent renamed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&renamed);
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}
